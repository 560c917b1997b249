#pragma once
#include "texto/Error.h"

namespace norvo::staging {

// A failure of the staging table or of the reading that fills it.
class Error : public norvo::Error {
public:
    using norvo::Error::Error;
};

} // namespace norvo::staging
