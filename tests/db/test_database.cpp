// Connections and transactions against the real server.
#include "Conexao.h"
#include "texto/Latin1.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace norvo;
using namespace norvo::teste;

using Conectar = Conexao;

TEST_F(Conectar, ConectaDesconectaEFalhasDaConfiguracao)
{
    database.connect();
    EXPECT_TRUE(database.connected());
    database.connect(); // already connected: nothing
    EXPECT_EQ(falha([&] { database.setDatabaseName("localhost:/outro.fdb"); }),
              "Cannot perform operation -- DB is currently open");
    database.setDatabaseName(banco.nome()); // the same name is accepted
    EXPECT_EQ(falha([&] { database.setSQLDialect(0); }), "SQL Dialect Invalid");
    EXPECT_EQ(falha([&] { database.setSQLDialect(4); }), "SQL Dialect Invalid");
    database.disconnect();
    EXPECT_FALSE(database.connected());

    db::Database semNome;
    EXPECT_EQ(falha([&] { semNome.connect(); }), "Database name is missing");

    db::Database caminhoErrado;
    caminhoErrado.setDatabaseName("localhost:/nao/existe.fdb");
    caminhoErrado.setParams(database.params());
    const std::string msg = falha([&] { caminhoErrado.connect(); });
    EXPECT_NE(msg.find("I/O error"), std::string::npos) << msg;
    EXPECT_EQ(msg.find("\n-"), std::string::npos) << "texts are joined by CR LF: " << msg;
    EXPECT_NE(msg.back(), '.');
    EXPECT_FALSE(caminhoErrado.connected());

    db::Database charsetRuim;
    charsetRuim.setDatabaseName(banco.nome());
    charsetRuim.setParams({"user_name=SYSDBA", "password=kelpdrone", "lc_ctype=KLINGON"});
    EXPECT_NE(falha([&] { charsetRuim.connect(); }).find("CHARACTER SET KLINGON is not defined"), std::string::npos);
}

TEST_F(Conectar, TransacaoExigeBancoConectadoEAtiva)
{
    db::Transaction solta;
    EXPECT_EQ(falha([&] { solta.start(); }), "No databases are listed in transaction component");
    EXPECT_EQ(falha([&] { transacao.start(); }), "Cannot perform operation -- DB is not open");
    EXPECT_EQ(falha([&] { transacao.commit(); }), "Transaction is not active");
    EXPECT_EQ(falha([&] { transacao.commitRetaining(); }), "Transaction is not active");
    EXPECT_EQ(falha([&] { transacao.rollbackRetaining(); }), "Transaction is not active");

    db::Query q;
    EXPECT_EQ(falha([&] {
                  q.setSQL("SELECT 1 FROM RDB$DATABASE");
                  q.open();
              }),
              "Database not assigned");
    q.setDatabase(&database);
    EXPECT_EQ(falha([&] { q.open(); }), "Transaction not assigned");

    database.connect();
    transacao.start();
    EXPECT_TRUE(transacao.active());
    transacao.commit();
    EXPECT_FALSE(transacao.active());
}

TEST_F(Conectar, DesconectarConfirmaOPendente)
{
    banco.executar("CREATE TABLE T (A INTEGER);");
    sql("INSERT INTO T VALUES (1)");
    query.execute(); // auto-connects and auto-starts
    EXPECT_TRUE(database.connected());
    EXPECT_TRUE(transacao.active());
    database.disconnect();
    EXPECT_FALSE(transacao.active());
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM T"), "1");
}

TEST_F(Conectar, DesconectarComCommitRecusadoDesfazSemFalhar)
{
    banco.executar("CREATE TABLE T (A INTEGER); CREATE EXCEPTION E_NAO 'commit refused';");
    banco.executarUm("CREATE TRIGGER TR_COMMIT ON TRANSACTION COMMIT AS BEGIN "
                     "  IF (RDB$GET_CONTEXT('USER_TRANSACTION', 'RECUSAR') = '1') THEN EXCEPTION E_NAO; END;");
    sql("INSERT INTO T VALUES (1)");
    query.execute();
    sql("SELECT RDB$SET_CONTEXT('USER_TRANSACTION', 'RECUSAR', '1') FROM RDB$DATABASE");
    query.open();
    query.close();
    EXPECT_NO_THROW(database.disconnect());
    EXPECT_FALSE(database.connected());
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM T"), "0");
}

TEST_F(Conectar, ConexaoPerdidaMarcaDesconectadoAntesDeFalhar)
{
    banco.executar("CREATE TABLE T (A INTEGER);");
    sql("INSERT INTO T VALUES (1)");
    query.execute();
    transacao.commitRetaining();
    banco.derrubarOutrasConexoes();
    try {
        query.execute();
        FAIL() << "the execute on a dead attachment must fail";
    } catch (const db::ConnectionLost& e) {
        EXPECT_FALSE(database.connected());
        EXPECT_FALSE(transacao.active());
        EXPECT_FALSE(query.prepared());
        EXPECT_NE(std::string(e.what()).find("shutdown"), std::string::npos) << e.what();
        EXPECT_EQ(db::causaDe(e).tipo, db::Causa::Tipo::ConexaoPerdida);
    }
    // Not behind the program's back: the next use fails with the loss until the program
    // connects again, with the same settings.
    EXPECT_THROW(query.execute(), db::ConnectionLost);
    database.connect();
    query.execute();
    database.disconnect();
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM T"), "2");
}

TEST_F(Conectar, ConflitoDeTravaSemEspera)
{
    banco.executar("CREATE TABLE T (A INTEGER); INSERT INTO T VALUES (1);");
    db::Database outro;
    db::Transaction outraTr;
    outro.setDatabaseName(banco.nome());
    outro.setParams(database.params());
    outro.setDefaultTransaction(&outraTr);
    outraTr.setParams(transacao.params());
    db::Query segura;
    segura.setDatabase(&outro);
    segura.setTransaction(&outraTr);
    segura.setSQL("UPDATE T SET A = 2");
    segura.execute();

    sql(" DELETE FROM T ");
    try {
        query.execute();
        ADD_FAILURE() << "a row another transaction holds was deleted";
    } catch (const db::LockConflict& e) {
        // The server words it as a lock conflict or an update conflict, depending on timing;
        // it is the same conflict.
        const std::string msg = e.what();
        EXPECT_TRUE(msg.find("lock conflict on no wait transaction") != std::string::npos ||
                    msg.find("update conflicts with concurrent update") != std::string::npos)
            << msg;
        EXPECT_EQ(db::causaDe(e).tipo, db::Causa::Tipo::ConflitoDeTrava);
    }
    EXPECT_TRUE(transacao.active()); // a failed execute leaves the transaction as it was
    EXPECT_FALSE(query.isOpen());
}

namespace {

const std::string kPastaUtf8 = "Importa\xC3\xA7\xC3\xA3o"; // "Importação" as the file system holds it
const std::string kPastaLatin1 = "Importa\xE7\xE3o";       // and as the server reports it in ISO8859_1

// An attachment to a database in a folder with accents, with the destination's parameters.
// What went wrong, or nothing.
std::string anexarEmPastaComAcentos()
{
    const std::string sufixo = "-" + std::to_string(::getpid());
    const std::string pasta = pastaBancos() + "/" + kPastaUtf8 + sufixo;
    ::mkdir(pasta.c_str(), 0777);
    ::chmod(pasta.c_str(), 0777);
    if (const passwd* fb = ::getpwnam("firebird"))
        if (::chown(pasta.c_str(), fb->pw_uid, fb->pw_gid) != 0) {}
    const std::vector<std::string> parametros{"user_name=SYSDBA", "password=kelpdrone", "lc_ctype=ISO8859_1 "};
    std::string erro;
    {
        // The first attachment of the process, before the file exists: the server itself
        // must answer, about this very file, where the client used to refuse the name.
        db::Database ausente;
        ausente.setDatabaseName("localhost:" + pasta + "/AUSENTE.FDB");
        ausente.setParams(parametros);
        const std::string msg = falha([&] { ausente.connect(); });
        if (msg.find("I/O error") == std::string::npos || msg.find("AUSENTE.FDB") == std::string::npos)
            erro += "missing file: " + msg + "\n";
    }
    try {
        BancoTeste banco(kPastaUtf8 + sufixo + "/NORVO");
        db::Database destino("IBDatabaseDestino");
        db::Transaction tr;
        db::Query q;
        destino.setDatabaseName(banco.nome());
        destino.setParams(parametros);
        destino.setDefaultTransaction(&tr);
        q.setDatabase(&destino);
        q.setTransaction(&tr);
        destino.connect();
        q.setSQL("SELECT MON$DATABASE_NAME FROM MON$DATABASE");
        q.open();
        std::string esperado = banco.caminho();
        esperado.replace(esperado.find(kPastaUtf8), kPastaUtf8.size(), kPastaLatin1);
        const std::string nome = db::Field(&q, 0).asString();
        if (nome != esperado)
            erro += "attached to \"" + nome + "\", not \"" + esperado + "\"\n";
        destino.disconnect();
    } catch (const std::exception& e) {
        erro += std::string("attachment: ") + e.what() + "\n";
    }
    std::error_code semErro;
    std::filesystem::remove_all(pasta, semErro);
    return erro;
}

} // namespace

TEST(NomeDoBanco, PastaComAcentosAbreComoNoIsql)
{
    EXPECT_TRUE(texto::Utf8ComAcentos("/dados/" + kPastaUtf8 + "/NORVO.FDB"));
    EXPECT_FALSE(texto::Utf8ComAcentos("localhost:/dados/NORVO.FDB"));
    EXPECT_FALSE(texto::Utf8ComAcentos("/dados/" + kPastaLatin1 + "/NORVO.FDB"));

    // The client library settles how it converts file names at the first attachment a process
    // makes, and other tests of this program may have attached already under the C locale: the
    // attachment is checked in a process started afresh, which runs this test alone.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string erro = anexarEmPastaComAcentos();
            std::fputs(erro.c_str(), stderr);
            std::fflush(stderr);
            std::_Exit(erro.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
