#pragma once
// A destination-like database object and transaction over a scratch database.
#include "BancoTeste.h"
#include "db/Causa.h"
#include "db/DataSet.h"
#include "db/Database.h"
#include "db/Error.h"
#include "db/Query.h"
#include "db/Transaction.h"

#include <functional>
#include <gtest/gtest.h>

namespace norvo::teste {

struct Conexao : ::testing::Test {
    BancoTeste banco{"db"};
    db::Database database{"IBDatabaseDestino"};
    db::Transaction transacao{"IBTransactionFireBird"};
    db::Query query{"IBQueryFireBird"};

    Conexao()
    {
        database.setDatabaseName(banco.nome());
        database.setParams({"user_name=SYSDBA", "password=kelpdrone", "lc_ctype=ISO8859_1 "});
        database.setDefaultTransaction(&transacao);
        transacao.setParams({"read_committed", "rec_version", "nowait"});
        query.setDatabase(&database);
        query.setTransaction(&transacao);
    }

    void sql(const std::string& texto)
    {
        query.close();
        query.setSQL(texto);
    }
};

// A table with a column of each kind the program binds and reads.
struct Consulta : Conexao {
    Consulta()
    {
        banco.executar("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(15), SIGLA CHAR(5), "
                       "QTD INTEGER, PRECO NUMERIC(15,4), VALOR NUMERIC(15,2), REAL_ DOUBLE PRECISION, "
                       "QUANDO TIMESTAMP, OBS BLOB SUB_TYPE TEXT);");
    }
};

inline std::string falha(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "<no failure>";
}

} // namespace norvo::teste
