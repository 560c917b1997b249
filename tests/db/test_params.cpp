// The named-parameter parser, the statement text and the parameter blocks: no server needed.
#include "db/Error.h"
#include "db/Params.h"
#include "db/Query.h"

#include <gtest/gtest.h>

using namespace norvo::db;

namespace {

std::string mensagemDe(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "<no failure>";
}

} // namespace

TEST(ParametrosNomeados, MarcadoresViramInterrogacaoForaDeAspas)
{
    auto r = analisarParametros("INSERT INTO T VALUES(:A, :b,:C_1);");
    EXPECT_EQ(r.texto, "INSERT INTO T VALUES(?, ?,?);");
    EXPECT_EQ(r.nomes, (std::vector<std::string>{"A", "b", "C_1"}));

    // Quoted colons and the doubled colon start no parameter.
    r = analisarParametros("SELECT ':X', \":Y\", `:Z`, a::b FROM T WHERE C = :P");
    EXPECT_EQ(r.texto, "SELECT ':X', \":Y\", `:Z`, a:b FROM T WHERE C = ?");
    EXPECT_EQ(r.nomes, (std::vector<std::string>{"P"}));

    // A name ends at a blank, comma, semicolon, closing parenthesis, CR or LF.
    r = analisarParametros(":A\r\n:B\n:C;:D):E,:F G");
    EXPECT_EQ(r.nomes, (std::vector<std::string>{"A", "B", "C", "D", "E", "F"}));
    EXPECT_EQ(r.texto, "?\r\n?\n?;?)?,? G");

    // A repeated name gives two parameters.
    r = analisarParametros("UPDATE T SET A = :X WHERE B = :x");
    EXPECT_EQ(r.nomes.size(), 2u);
}

TEST(ParametrosNomeados, TextoDaConsultaSaoAsLinhasComCrLf)
{
    Query q("IBQueryAuxFB");
    q.clearSQL();
    q.addLine("SELECT UNI_CODIGO FROM TIPOUNIDADE ");
    q.addLine("WHERE UNI_DESCRICAO = 'UN'");
    EXPECT_EQ(q.text(), "SELECT UNI_CODIGO FROM TIPOUNIDADE \r\nWHERE UNI_DESCRICAO = 'UN'\r\n");
    q.setSQL("A\r\nB\nC\rD\r\n");
    EXPECT_EQ(q.sql(), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST(ParametrosNomeados, PorNomeSemCaixaComPrefixoDoObjeto)
{
    Query q("IBQueryFireBird");
    q.setSQL("INSERT INTO PRODUTO(PRO_CODIGO) VALUES(:PRO_CODIGO)");
    q.paramByName("pro_codigo").setAsInteger(5);
    EXPECT_EQ(q.params()[0].inteiro(), 5);
    EXPECT_EQ(mensagemDe([&] { q.paramByName("NADA"); }), "IBQueryFireBird: Parameter 'NADA' not found");

    Query semNome;
    semNome.setSQL("SELECT 1 FROM RDB$DATABASE");
    EXPECT_EQ(mensagemDe([&] { semNome.paramByName("X"); }), "Parameter 'X' not found");
}

TEST(ParametrosNomeados, ValoresPassamParaOTextoNovoPeloNome)
{
    Query q;
    q.setSQL("SELECT * FROM T WHERE A = :A AND B = :B");
    q.paramByName("A").setAsString("um");
    q.paramByName("B").setAsInteger(2);

    // Replaced without clearing: same names keep type and value, new ones start unassigned.
    q.setSQL("SELECT * FROM T WHERE a = :a AND C = :C");
    EXPECT_EQ(q.paramByName("A").tipo(), Param::Tipo::Texto);
    EXPECT_EQ(q.paramByName("A").texto(), "um");
    EXPECT_TRUE(q.paramByName("C").isNull());

    // Clearing first drops every value.
    q.clearSQL();
    q.addLine("SELECT * FROM T WHERE A = :A");
    EXPECT_TRUE(q.paramByName("A").isNull());

    q.paramByName("A").setAsCurrency(123456);
    q.clearParams();
    EXPECT_TRUE(q.paramByName("A").isNull());

    // Redefined, a statement keeps no value, even of a name it still has.
    q.paramByName("A").setAsString("um");
    EXPECT_TRUE(q.redefinir("SELECT * FROM T WHERE A = :A").paramByName("A").isNull());
    q.paramByName("A").setAsString("um");
    EXPECT_TRUE(q.redefinir({"SELECT * FROM T", "WHERE A = :A"}).paramByName("A").isNull());
    EXPECT_EQ(q.text(), "SELECT * FROM T\r\nWHERE A = :A\r\n");
}

TEST(BlocosDeParametros, ConexaoComValoresSemAparar)
{
    const std::string dpb = montarDpb({"user_name=SYSDBA", "password=kelpdrone", "lc_ctype=ISO8859_1 "});
    const std::string esperado = std::string("\x01") + "\x1c\x06SYSDBA" + "\x1d\x09kelpdrone" + "\x30\x0aISO8859_1 ";
    EXPECT_EQ(dpb, esperado);

    // Lines without "=" or without a name are skipped; the isc_dpb_ prefix and case are ignored.
    EXPECT_EQ(montarDpb({"nothing here", "=x", "ISC_DPB_USER_NAME=a"}), std::string("\x01\x1c\x01"
                                                                                    "a"));

    EXPECT_EQ(mensagemDe([] { montarDpb({"usuario=SYSDBA"}); }), "DPB Constant (usuario) is unknown");
    EXPECT_EQ(mensagemDe([] { montarDpb({"Page_Size=4096"}); }), "DPB Constant (isc_dpb_page_size) is unsupported");
}

TEST(BlocosDeParametros, TransacaoPorPalavras)
{
    EXPECT_EQ(montarTpb({"read_committed", "rec_version", "nowait"}), std::string("\x03\x0f\x11\x07"));
    EXPECT_EQ(montarTpb({}), "");
    EXPECT_EQ(montarTpb({"ISC_TPB_WRITE", "  "}), std::string("\x03\x09"));
    EXPECT_EQ(mensagemDe([] { montarTpb({"leitura"}); }), "TPB Constant (leitura) is unknown");
    EXPECT_EQ(mensagemDe([] { montarTpb({"lock_timeout=5"}); }), "TPB Constant (isc_tpb_lock_timeout) is unsupported");
    // A table reservation carries its table's name; without one there is nothing to reserve.
    EXPECT_EQ(montarTpb({"lock_write= PRODUTO", "protected", "lock_read=X"}),
              std::string("\x03\x0b\x07PRODUTO\x04\x0a\x01X"));
    EXPECT_EQ(mensagemDe([] { montarTpb({"lock_write"}); }), "TPB Constant (isc_tpb_lock_write) is unsupported");
}
