// Statements against the real server: binding, reading, walking, commits and the data set.
#include "Conexao.h"

using namespace norvo;
using namespace norvo::teste;

struct Consulta : Conexao {
    Consulta()
    {
        banco.executar("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(15), SIGLA CHAR(5), "
                       "QTD INTEGER, PRECO NUMERIC(15,4), VALOR NUMERIC(15,2), REAL_ DOUBLE PRECISION, "
                       "QUANDO TIMESTAMP, OBS BLOB SUB_TYPE TEXT);");
    }
};

TEST_F(Consulta, TextosVaziosEEstadoDaConsulta)
{
    EXPECT_EQ(falha([&] { query.execute(); }), "Empty SQL Statement");
    query.addLine("");
    EXPECT_EQ(falha([&] { query.execute(); }), "Empty SQL Statement");
    sql("  \r\n  ");
    EXPECT_EQ(falha([&] { query.open(); }), "Empty SQL Statement");

    sql("SELECT ID FROM T");
    EXPECT_EQ(falha([&] { query.execute(); }), "use Open for a Select Statement");
    query.open();
    EXPECT_EQ(falha([&] { query.execute(); }), "IBQueryFireBird: Cannot perform this operation on an open dataset");
    EXPECT_EQ(falha([&] { query.fieldByName("NADA"); }), "IBQueryFireBird: Field 'NADA' not found");

    db::DataSet ds("IBDataSetGeraCodFB");
    ds.setDatabase(&database);
    ds.setTransaction(&transacao);
    EXPECT_EQ(falha([&] { ds.open(); }), "Empty SQL Statement");
}

TEST_F(Consulta, RegrasDeVinculo)
{
    sql("INSERT INTO T (ID, NOME, QTD, PRECO, REAL_, QUANDO) VALUES (:ID, :NOME, :QTD, :PRECO, :REAL_, :QUANDO)");
    query.paramByName("ID").setAsInteger(1);
    query.paramByName("NOME").setAsString("0123456789ABCDEF"); // 16 into VARCHAR(15)
    const std::string msg = falha([&] { query.execute(); });
    EXPECT_EQ(msg, "Trying to store a string of length 16 into a field that can only contain 15");
    EXPECT_NE(msg.find("can only contain 15"), std::string::npos);

    query.paramByName("NOME").setAsString("0123456789ABCDE"); // 15 passes
    query.paramByName("QTD").setAsString("");                 // empty text to INTEGER: NULL
    query.paramByName("PRECO").setAsCurrency(123456);         // 12.3456
    query.paramByName("REAL_").setAsFloat(0.25);
    query.paramByName("QUANDO").setAsDateTime({2024, 2, 29, 13, 45, 7});
    query.execute();

    // Not assigned again: the old values are sent again.
    query.paramByName("ID").setAsString("2");  // text to an INTEGER: the server converts it
    query.paramByName("NOME").setAsString(""); // empty text to VARCHAR: empty, not NULL
    query.execute();
    transacao.commitRetaining();

    auto linhas = banco.consultar("SELECT ID, NOME, QTD, PRECO, REAL_, QUANDO FROM T ORDER BY ID");
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[0],
              (std::vector<std::string>{"1", "0123456789ABCDE", "<null>", "12.3456", "0.25", "2024-02-29 13:45:07"}));
    EXPECT_EQ(linhas[1], (std::vector<std::string>{"2", "", "<null>", "12.3456", "0.25", "2024-02-29 13:45:07"}));
}

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

TEST_F(Consulta, CommitRetendoMantemCursorCommitFecha)
{
    banco.executar("INSERT INTO T (ID) VALUES (1); INSERT INTO T (ID) VALUES (2); INSERT INTO T (ID) VALUES (3);");
    db::Query escrita("escrita");
    escrita.setDatabase(&database);
    escrita.setTransaction(&transacao);
    escrita.setSQL("UPDATE T SET QTD = 1 WHERE ID = 3");

    sql("SELECT ID FROM T ORDER BY ID");
    query.open();
    escrita.execute();
    transacao.commitRetaining();
    EXPECT_TRUE(query.isOpen());
    query.next();
    query.next();
    EXPECT_EQ(query.fieldByName("ID").asInteger(), 3);

    transacao.commit();
    EXPECT_FALSE(query.isOpen());
    EXPECT_FALSE(escrita.prepared());
    escrita.execute(); // prepared again, transaction started again
    EXPECT_TRUE(transacao.active());
}

TEST_F(Consulta, FalhaDoServidorTextoInterpretado)
{
    sql("INSERT INTO T (ID) VALUES (:ID)");
    query.paramByName("ID").setAsInteger(1);
    query.execute();
    const std::string msg = falha([&] { query.execute(); });
    EXPECT_NE(msg.find("violation of PRIMARY or UNIQUE KEY constraint \"INTEG_"), std::string::npos) << msg;
    EXPECT_NE(msg.find("\r\nProblematic key value is (\"ID\" = 1)"), std::string::npos) << msg;
    EXPECT_NE(msg.back(), '.');
    EXPECT_TRUE(transacao.active());
    transacao.commitRetaining();
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM T"), "1");
}

TEST_F(Consulta, ConjuntoDeDadosInsereEAltera)
{
    banco.executar("CREATE TABLE GERACODIGO (GER_TABELA VARCHAR(31) NOT NULL PRIMARY KEY, GER_VALOR INTEGER);");
    db::DataSet ds("IBDataSetGeraCodFB");
    ds.setDatabase(&database);
    ds.setTransaction(&transacao);
    ds.setInsertSQL({"insert into GERACODIGO", "  (GER_TABELA, GER_VALOR)", "values", "  (:GER_TABELA, :GER_VALOR)"});
    ds.setModifySQL({"update GERACODIGO", "set", "  GER_TABELA = :GER_TABELA,", "  GER_VALOR = :GER_VALOR", "where",
                     "  GER_TABELA = :OLD_GER_TABELA"});
    ds.setSQL(" SELECT * FROM GERACODIGO WHERE GER_TABELA = 'TIPOUNIDADE'");
    ds.open();
    EXPECT_TRUE(ds.isEmpty());
    ds.insert();
    ds.setFieldAsInteger("GER_VALOR", 5);
    ds.setFieldAsString("GER_TABELA", "TIPOUNIDADE");
    ds.post();
    ds.close();
    transacao.commitRetaining();
    EXPECT_EQ(banco.consultar("SELECT GER_TABELA, GER_VALOR FROM GERACODIGO"),
              (std::vector<std::vector<std::string>>{{"TIPOUNIDADE", "5"}}));

    ds.open();
    ASSERT_FALSE(ds.isEmpty());
    ds.edit();
    ds.setFieldAsString("GER_TABELA", "RENOMEADA_E_COM_UM_NOME_LONGO_DEMAIS_PARA_A_COLUNA");
    ds.setFieldAsInteger("GER_VALOR", 8);
    ds.post(); // OLD_GER_TABELA finds the row by the name it was read with
    ds.close();
    transacao.commitRetaining();
    EXPECT_EQ(banco.consultar("SELECT GER_TABELA, GER_VALOR FROM GERACODIGO"),
              (std::vector<std::vector<std::string>>{{"RENOMEADA_E_COM_UM_NOME_LONGO_D", "8"}}));
}
