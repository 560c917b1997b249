#pragma once
#include "db/Database.h"
#include "db/Query.h"
#include "db/Transaction.h"

#include <string>

namespace norvo {

// The Tarvex database the client and supplier stages read, opened by its path through the
// engine in this process; attached by its first query.
class BancoOrigem {
public:
    static constexpr const char* CaminhoPadrao = "C:\\Bantuva\\MORELIA.FDB";

    BancoOrigem();
    BancoOrigem(const BancoOrigem&) = delete;
    BancoOrigem& operator=(const BancoOrigem&) = delete;

    void setCaminho(const std::string& caminho);
    void desconectar();
    bool conectado() const { return banco_.connected(); }
    const std::string& caminho() const { return banco_.databaseName(); }
    db::Query& consulta() { return consulta_; }

private:
    db::Database banco_{"IBDBOrigem"};
    db::Transaction transacao_{"IBTransOrigem"};
    db::Query consulta_{"IBQueryOrigem"};
};

} // namespace norvo
