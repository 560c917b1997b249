// A stage's failures grouped into causes for the summary: by the cause the access layer names,
// else by the message with its varying values left out.
#include "import/ResumoDasCausas.h"

#include <gtest/gtest.h>

using namespace norvo;

namespace {

Recusa recusa(const std::string& mensagem, db::Causa::Tipo tipo = db::Causa::Tipo::Outro, long codigo = 0,
              const std::string& qual = {})
{
    Recusa r{mensagem, {}};
    r.causa.tipo = tipo;
    r.causa.codigo = codigo;
    (tipo == db::Causa::Tipo::TextoLongo ? r.causa.coluna : r.causa.restricao) = qual;
    return r;
}

} // namespace

TEST(Causas, AgrupadasPeloQueACamadaDizOuPeloTextoSemOsValores)
{
    using T = db::Causa::Tipo;
    ResumoDasCausas resumo;
    int n = 0;
    auto contar = [&](const Recusa& r) { resumo.contar({"R" + std::to_string(++n), n + 1, n}, r); };
    // Numbers and quoted texts differ from record to record: one cause each.
    contar(recusa("Integer overflow: 3000000000"));
    contar(recusa("Integer overflow: 45"));
    contar(recusa("'P1' is not a valid integer value"));
    contar(recusa("'XY' is not a valid integer value"));
    // One constraint, whatever the key's value on the next line.
    for (int i = 0; i < 7; ++i)
        contar(recusa("violation of PRIMARY or UNIQUE KEY constraint \"PK_PRODUTO\" on table \"PRODUTO\"\r\n"
                      "Problematic key value is (\"PRO_CODIGO\" = " +
                          std::to_string(i) + ")",
                      T::ChaveDuplicada, 335544665, "PK_PRODUTO"));
    // The same text on two columns: two causes.
    const std::string longo = "Trying to store a string of length 18 into a field that can only contain 15";
    contar(recusa(longo, T::TextoLongo, 0, "CPF_CNPJ"));
    contar(recusa(longo, T::TextoLongo, 0, "FOR_CNPJ"));

    const std::vector<CausaDeFalha> c = resumo.causas();
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].causa,
              "[335544665] violation of PRIMARY or UNIQUE KEY constraint \"PK_PRODUTO\" on table \"PRODUTO\"");
    EXPECT_EQ(c[0].vezes, 7);
    ASSERT_EQ(c[0].registros.size(), 5u); // the first five records it hit
    EXPECT_EQ(c[0].registros[0].nome, "R5");
    EXPECT_EQ(c[0].registros[0].linha, 6);
    EXPECT_EQ(c[0].registros[0].posicao, 5);
    // Ties in the order of their texts.
    EXPECT_EQ(c[1].causa, "'...' is not a valid integer value");
    EXPECT_EQ(c[1].vezes, 2);
    EXPECT_EQ(c[2].causa, "Integer overflow: #");
    EXPECT_EQ(c[2].vezes, 2);
    EXPECT_EQ(c[3].causa, "Trying to store a string of length # into a field that can only contain #");
    EXPECT_EQ(c[4].causa, c[3].causa);
    EXPECT_EQ(c[3].vezes + c[4].vezes, 2);
}
