#pragma once
#include "texto/Error.h"

namespace norvo::staging {

// A failure of the staging table or of the reading that fills it.
class Error : public norvo::Error {
public:
    using norvo::Error::Error;
};

// A stored value that cannot be read as what was asked of it (an ICMS that is no integer, a
// price that is no amount): which field it was is part of the failure.
class ValorIlegivel : public Error {
public:
    ValorIlegivel(int campo, const std::string& mensagem) : Error(mensagem), campo_(campo) {}
    int campo() const { return campo_; } // staging::Campo
private:
    int campo_;
};

} // namespace norvo::staging
