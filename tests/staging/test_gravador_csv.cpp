#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "PastaTemporaria.h"
#include "staging/GravadorCSV.h"
#include "staging/LeitorCSV.h"

using namespace norvo::staging;

namespace {

std::vector<std::string> celulas(const StagingTable& t)
{
    std::vector<std::string> v;
    for (int r = 0; r < t.recordCount(); ++r)
        for (int c = 0; c < NumCampos; ++c)
            v.push_back((t.cellNull(r, Campo(c)) ? "<null>" : "") + t.cellText(r, Campo(c)));
    return v;
}

} // namespace

TEST(GravadorCSV, ATabelaCorrigidaVoltaIgualPelaLeitura)
{
    // A header, a blank line, quotes and ";" in a description, Latin-1 accents, a cut unit,
    // an NCM in groups, a code that is no integer, an unreadable price, a line without one.
    StagingTable t("");
    t.createDataSet();
    preencherTabela(t,
                    "CODIGO;DESCRICAO;UN\r\n"
                    "1;\"CAF\xC9 \"\"EXTRA\"\"; 500G\";CAIXA;xx018;;xxx01;xxx50;3402 20 00;12,50\r\n\r\n"
                    "99999999999;A\xC7\xDA"
                    "CAR;KG;xx7;;;xxx1;10063021;abc;x\r\n"
                    "3;SEM PRE\xC7O;UN;;;;;1006\n"
                    "4;ZERO;UN;xx018;;xxx01;xxx01;;0\n",
                    {});
    ASSERT_EQ(t.recordCount(), 4);
    // What the technician fixed in the grid: a code, a PIS, a price.
    t.setCellText(1, COD_PRODUTO, "2");
    t.setCellText(2, PIS, "-5");
    t.setCellText(3, VALORVENDA, "1.234,5678");
    const auto antes = celulas(t);

    norvo::teste::PastaTemporaria pasta;
    const std::string arquivo = (pasta.caminho() / "corrigido.csv").string();
    EXPECT_TRUE(gravarCSV(t, arquivo).empty());
    std::ostringstream bytes;
    bytes << std::ifstream(arquivo, std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str().substr(0, bytes.str().find("\r\n")),
              "1;\"CAF\xC9 \"\"EXTRA\"\"; 500G\";CAI;00018;;00001;00050;34022000;12,5");

    StagingTable lida("");
    lida.createDataSet();
    const ResultadoLeitura r = preencherTabela(lida, bytes.str(), {});
    EXPECT_EQ(celulas(lida), antes);
    EXPECT_EQ(r.porTipo[std::size_t(NotaLeitura::Tipo::PrecoAusente)], 1);
    EXPECT_EQ(r.porTipo[std::size_t(NotaLeitura::Tipo::PrecoIlegivel)], 1);

    // What the file's positions cannot hold is written all the same and named.
    t.setCellText(0, COFINS, "123");
    const auto inexatos = gravarCSV(t, arquivo);
    ASSERT_EQ(inexatos.size(), 1u);
    EXPECT_EQ(inexatos[0].linha, 1);
    EXPECT_EQ(inexatos[0].campo, COFINS);
    EXPECT_EQ(inexatos[0].valor, "123");
}
