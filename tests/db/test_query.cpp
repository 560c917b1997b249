// Statements against the real server: their state, commits, the server's failures and the data set.
#include "Conexao.h"

using namespace norvo;
using namespace norvo::teste;

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
    try {
        query.execute();
        ADD_FAILURE() << "a repeated key passed";
    } catch (const db::UniqueViolation& e) {
        // The names come from the server's arguments, and they are the ones its text gives.
        const std::string msg = e.what();
        EXPECT_EQ(e.restricao().rfind("INTEG_", 0), 0u) << e.restricao();
        EXPECT_NE(msg.find("violation of PRIMARY or UNIQUE KEY constraint \"" + e.restricao() + "\" on table \"T\""),
                  std::string::npos)
            << msg;
        EXPECT_NE(msg.find("\r\nProblematic key value is (\"ID\" = 1)"), std::string::npos) << msg;
        EXPECT_NE(msg.back(), '.');
        const db::Causa c = db::causaDe(e);
        EXPECT_EQ(c.tipo, db::Causa::Tipo::ChaveDuplicada);
        EXPECT_EQ(c.codigo, e.codes().front());
        EXPECT_EQ(c.restricao, e.restricao());
        EXPECT_EQ(c.tabela, "T");
    }
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
