// Rows read from the real server: decoding each column type, and walking the rows read.
#include "Conexao.h"

using namespace norvo;
using namespace norvo::teste;

TEST_F(Consulta, LeituraDeCampos)
{
    banco.executar(
        "INSERT INTO T (ID, NOME, SIGLA, QTD, VALOR, QUANDO, OBS) VALUES (1, 'A\xe7\xe3o', 'UN', 7, 1234.50, "
        "'2023-01-02 03:04:05', 'texto longo');"
        "INSERT INTO T (ID) VALUES (2);");
    sql("SELECT * FROM T ORDER BY ID");
    query.open();
    EXPECT_EQ(query.fieldByName("nome").asString(), "A\xe7\xe3o"); // Latin-1 bytes
    EXPECT_EQ(query.fieldByName("SIGLA").asString(), "UN");        // CHAR without its padding
    EXPECT_EQ(query.fieldByName("QTD").asInteger(), 7);
    EXPECT_EQ(query.fieldByName("VALOR").asString(), "1234.5");
    EXPECT_EQ(query.fieldByName("QUANDO").asDateTime(), (db::DateTime{2023, 1, 2, 3, 4, 5}));
    EXPECT_EQ(query.fieldByName("OBS").asString(), "texto longo");
    query.next();
    EXPECT_TRUE(query.fieldByName("NOME").isNull());
    EXPECT_EQ(query.fieldByName("NOME").asString(), "");
    EXPECT_EQ(query.fieldByName("QTD").asInteger(), 0);
    EXPECT_TRUE(query.fieldByName("QUANDO").asDateTime().isZero());
}

TEST_F(Consulta, AbrirEPercorrer)
{
    sql("SELECT ID FROM T");
    query.open(); // connects and starts the transaction by itself
    EXPECT_TRUE(database.connected());
    EXPECT_TRUE(transacao.active());
    EXPECT_TRUE(query.isEmpty());
    EXPECT_TRUE(query.eof());
    EXPECT_EQ(query.recordCount(), 0);
    query.close();

    banco.executar("INSERT INTO T (ID) VALUES (1); INSERT INTO T (ID) VALUES (2); INSERT INTO T (ID) VALUES (3);");
    sql("SELECT ID FROM T ORDER BY ID");
    query.open();
    EXPECT_FALSE(query.eof());
    EXPECT_EQ(query.recordCount(), 1);
    std::vector<int> ids;
    while (!query.eof()) {
        ids.push_back(query.fieldByName("ID").asInteger());
        query.next();
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(query.recordCount(), 3);
    EXPECT_EQ(query.fieldByName("ID").asInteger(), 3); // next on the last row keeps it current
    query.first();
    EXPECT_EQ(query.fieldByName("ID").asInteger(), 1);
}
