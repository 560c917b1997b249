#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "MensagemDeFalha.h"
#include "PastaTemporaria.h"
#include "staging/StagingTable.h"

using namespace norvo::staging;
using norvo::staging::teste::mensagem;
using norvo::teste::PastaTemporaria;

namespace {

// A table not tied to any file, so nothing is written by these tests.
struct Tabela : StagingTable {
    Tabela() : StagingTable("") { createDataSet(); }
};

void inserirCodigo(StagingTable& t, const std::string& codigo)
{
    t.insert();
    t.setFieldText(COD_PRODUTO, codigo);
    t.post();
}

std::vector<std::string> codigosNaOrdem(StagingTable& t)
{
    std::vector<std::string> r;
    for (t.first(); !t.eof(); t.next())
        r.push_back(t.asText(COD_PRODUTO));
    return r;
}

} // namespace

TEST(StagingTable, TextosCortadosAoTamanho)
{
    Tabela t;
    t.insert();
    t.setFieldText(DESCRICAO, std::string(150, 'D'));
    t.setFieldText(UNIDADE, "CX12");
    t.setFieldText(NCM, "1234.56.78");
    t.setFieldText(ICMS, "018");
    t.post();
    EXPECT_EQ(t.asText(DESCRICAO), std::string(100, 'D'));
    EXPECT_EQ(t.asText(UNIDADE), "CX1");
    EXPECT_EQ(t.asText(NCM), "12345678"); // a dotted code is kept as its digits
    EXPECT_EQ(t.asInteger(ICMS), 18);

    t.insert();
    t.setFieldText(DESCRICAO, std::string("ARROZ\0FEIJAO", 12));
    t.setFieldText(UNIDADE, "K \t");
    t.setFieldText(NCM, "  12  ");
    t.setFieldText(ICMS, "");
    t.post();
    EXPECT_EQ(t.asText(DESCRICAO), "ARROZ");
    EXPECT_EQ(t.asText(UNIDADE), "K");
    EXPECT_EQ(t.asText(NCM), "  12"); // leading blanks stay
    EXPECT_TRUE(t.isNull(ICMS));
    EXPECT_EQ(mensagem([&] { t.asInteger(ICMS); }), "'' is not a valid integer value");
    t.insert();
    t.setFieldText(ICMS, "1 8");
    t.post();
    EXPECT_EQ(mensagem([&] { t.asInteger(ICMS); }), "'1 8' is not a valid integer value");
}

TEST(StagingTable, RegraDosInteiros)
{
    Tabela t;
    t.insert();
    t.setFieldText(COFINS, "07");
    EXPECT_EQ(t.asText(COFINS), "7");
    EXPECT_EQ(mensagem([&] { t.setFieldText(COFINS, "7 "); }), "'7 ' is not a valid integer value for field 'COFINS'");
    EXPECT_EQ(t.asInteger(COFINS), 7); // the failed text left the old value
    EXPECT_EQ(mensagem([&] { t.setFieldText(COD_PRODUTO, "12345678901"); }),
              "'12345678901' is not a valid integer value for field 'COD_PRODUTO'");
    EXPECT_TRUE(t.isNull(COD_PRODUTO));
    t.setFieldText(PIS, "");
    EXPECT_TRUE(t.isNull(PIS));
    EXPECT_EQ(t.asText(PIS), "");
    EXPECT_EQ(t.asInteger(PIS), 0);
    EXPECT_TRUE(t.pending());
}

TEST(StagingTable, Dinheiro)
{
    Tabela t;
    t.insert();
    EXPECT_EQ(t.asMoney(VALORVENDA), 0);
    EXPECT_TRUE(t.isNull(VALORVENDA));
    // Exact to the last ten-thousandth, 2^53 + 1 and the 64-bit ends included.
    const std::int64_t valores[] = {123456,           125000,           -1,        1,        99999999999999,
                                    9007199254740991, 9007199254740993, INT64_MAX, INT64_MIN};
    for (std::int64_t v : valores) {
        t.setFieldMoney(VALORVENDA, v);
        EXPECT_EQ(t.asMoney(VALORVENDA), v);
    }
    t.setFieldMoney(VALORVENDA, 125000);
    t.post();
    EXPECT_EQ(t.cellText(0, VALORVENDA), "12.5"); // written by texto::decimal, tested there
    t.setCellText(0, VALORVENDA, "900719925474.0993");
    EXPECT_EQ(t.cellMoney(0, VALORVENDA), 9007199254740993LL);
    EXPECT_EQ(t.cellText(0, VALORVENDA), "900719925474.0993");
    EXPECT_ANY_THROW(t.setFieldMoney(PIS, 1));
}

TEST(StagingTable, TabelaFechada)
{
    StagingTable t("");
    const std::string fechada = "Cannot perform this operation on a closed dataset";
    EXPECT_FALSE(t.active());
    EXPECT_EQ(mensagem([&] { t.recordCount(); }), fechada);
    EXPECT_EQ(mensagem([&] { t.first(); }), fechada);
    EXPECT_EQ(mensagem([&] { t.insert(); }), fechada);
    EXPECT_EQ(mensagem([&] { t.emptyDataSet(); }), fechada);
    EXPECT_EQ(mensagem([&] { t.asText(DESCRICAO); }), fechada);
    EXPECT_EQ(mensagem([&] { t.eof(); }), fechada);
    t.close(); // closing a closed table does nothing
    t.createDataSet();
    EXPECT_TRUE(t.active());
    EXPECT_ANY_THROW(t.createDataSet()); // only a closed table can be created
    inserirCodigo(t, "1");
    t.close();
    EXPECT_EQ(mensagem([&] { t.recNo(); }), fechada);
    t.createDataSet();
    EXPECT_EQ(t.recordCount(), 0); // nothing survives a close
}

TEST(StagingTable, OrdemDoPercursoEPendente)
{
    Tabela t;
    t.first();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recNo(), -1);
    for (const char* c : {"1", "2", "3"})
        inserirCodigo(t, c);
    EXPECT_EQ(t.recNo(), 2);
    EXPECT_EQ(codigosNaOrdem(t), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(t.recNo(), 2); // stays on the last record walked

    // Inserted after the current record.
    t.setCurrent(0);
    inserirCodigo(t, "9");
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_EQ(codigosNaOrdem(t), (std::vector<std::string>{"1", "9", "2", "3"}));

    // A pending record is stored by first() when assigned, dropped when not.
    t.insert();
    t.setFieldText(PIS, "");
    EXPECT_EQ(t.recordCount(), 4);
    t.first();
    EXPECT_EQ(t.recordCount(), 5);
    t.insert();
    t.next();
    EXPECT_EQ(t.recordCount(), 5);
    // A failed assignment alone does not count as assigned.
    t.insert();
    EXPECT_ANY_THROW(t.setFieldText(PIS, "P1"));
    t.first();
    EXPECT_EQ(t.recordCount(), 5);
    EXPECT_ANY_THROW(t.post()); // nothing pending
}

TEST(StagingTable, OperacoesDaGrade)
{
    Tabela t;
    for (const char* c : {"1", "2", "3"})
        inserirCodigo(t, c);
    t.setCellText(1, PIS, "$A");
    EXPECT_EQ(t.cellText(1, PIS), "10");
    EXPECT_ANY_THROW(t.setCellText(1, PIS, "abc"));
    EXPECT_EQ(t.cellText(1, PIS), "10");
    t.setCellText(1, VALORVENDA, "3,14159");
    EXPECT_EQ(t.cellText(1, VALORVENDA), "3.1416");
    t.setCellText(1, VALORVENDA, " R$ 1.234,5 ");
    EXPECT_EQ(t.cellText(1, VALORVENDA), "1234.5");
    EXPECT_ANY_THROW(t.setCellText(1, VALORVENDA, "-0.5")); // no negative prices
    EXPECT_ANY_THROW(t.setCellText(1, VALORVENDA, "1.2.3"));
    EXPECT_EQ(t.cellText(1, VALORVENDA), "1234.5");
    t.setCellText(1, DESCRICAO, "NOVO   ");
    EXPECT_EQ(t.cellText(1, DESCRICAO), "NOVO");
    EXPECT_ANY_THROW(t.cellText(3, DESCRICAO));

    t.setCurrent(2);
    t.deleteRecord(0);
    EXPECT_EQ(t.recNo(), 1);
    t.deleteRecord(1);
    EXPECT_EQ(t.recNo(), 0);
    // The grid's new row is pending: a blank one is never stored, the first value stores it.
    t.appendRecord();
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t.gridRowCount(), 2);
    t.setCurrent(0);
    EXPECT_EQ(t.gridRowCount(), 1);
    t.appendRecord();
    EXPECT_ANY_THROW(t.setCellText(1, PIS, "abc")); // refused: still pending, not stored
    EXPECT_EQ(t.recordCount(), 1);
    t.setCellText(1, DESCRICAO, "NOVO");
    EXPECT_EQ(t.recordCount(), 2);
    EXPECT_EQ(t.cellText(1, DESCRICAO), "NOVO");
    EXPECT_TRUE(t.cellText(1, COD_PRODUTO).empty());
    t.appendRecord();
    t.deleteRecord(2); // deleting the new row drops it
    EXPECT_EQ(t.gridRowCount(), 2);
    t.deleteRecord(1);
    t.deleteRecord(0);
    EXPECT_EQ(t.recNo(), -1);
}

TEST(StagingTable, TravadaNaoMudaMasDeixaMoverOAtual)
{
    Tabela t;
    for (const char* c : {"1", "2", "3"})
        inserirCodigo(t, c);
    t.appendRecord();
    t.lock(); // settles the blank new row away
    EXPECT_EQ(t.gridRowCount(), 3);
    EXPECT_ANY_THROW(t.setCellText(0, PIS, "5"));
    EXPECT_ANY_THROW(t.appendRecord());
    EXPECT_ANY_THROW(t.deleteRecord(0));
    EXPECT_ANY_THROW(t.insert());
    EXPECT_ANY_THROW(t.emptyDataSet());
    EXPECT_ANY_THROW(t.close());
    t.setCurrent(2);
    EXPECT_EQ(t.cellInteger(0, COD_PRODUTO), 1); // reading by position ignores the current
    EXPECT_EQ(t.recNo(), 2);
    t.unlock();
    t.setCellText(0, PIS, "5");
    EXPECT_EQ(t.cellText(0, PIS), "5");
}

TEST(StagingTable, AvisaOuvinteForaDoLote)
{
    struct Ouvinte : StagingTable::Listener {
        int resets = 0;
        std::vector<int> atuais;
        void tableReset() override { ++resets; }
        void currentChanged(int row) override { atuais.push_back(row); }
    } o;
    Tabela t;
    t.setListener(&o);
    inserirCodigo(t, "1");
    EXPECT_EQ(o.resets, 1);
    EXPECT_EQ(o.atuais, std::vector<int>{0});
    o.resets = 0;
    o.atuais.clear();
    t.beginBulk();
    for (int i = 0; i < 10; ++i)
        inserirCodigo(t, "2");
    t.first();
    EXPECT_EQ(o.resets, 1);
    EXPECT_TRUE(o.atuais.empty());
    t.endBulk();
    EXPECT_EQ(o.resets, 2);
    EXPECT_EQ(o.atuais, std::vector<int>{0});
    t.setListener(nullptr);
}

TEST(StagingTable, ArquivoDeStagingGravadoAoFecharComMudancas)
{
    PastaTemporaria pasta;
    pasta.entrar();
    const auto arquivo = pasta.caminho() / "ProdutosTARVEX.cds";
    {
        StagingTable t;
        t.createDataSet();
        t.close();
        EXPECT_FALSE(std::filesystem::exists(arquivo)); // created but unchanged

        t.createDataSet();
        t.emptyDataSet();
        t.insert();
        t.setFieldText(COD_PRODUTO, "42");
        t.setFieldText(DESCRICAO, "A\tB\\C");
        t.setFieldMoney(VALORVENDA, 9007199254740993LL);
        t.post();
        t.insert(); // pending at close: dropped
        t.setFieldText(COD_PRODUTO, "43");
    } // the destructor closes
    const std::string conteudo = pasta.ler("ProdutosTARVEX.cds");
    EXPECT_EQ(conteudo.rfind("NorvoStaging\t1\n", 0), 0u);
    EXPECT_NE(conteudo.find("DESCRICAO\ttext\t100\n"), std::string::npos);
    EXPECT_NE(conteudo.find("RECORDS\t1\n42\tA\\tB\\\\C\t\\N\t\\N\t\\N\t\\N\t\\N\t900719925474.0993\n"),
              std::string::npos);

    // An empty table that was emptied still counts as changed and is written.
    std::filesystem::remove(arquivo);
    {
        StagingTable t;
        t.createDataSet();
        t.emptyDataSet();
        EXPECT_TRUE(t.changed());
        t.close();
    }
    EXPECT_NE(pasta.ler("ProdutosTARVEX.cds").find("RECORDS\t0\n"), std::string::npos);
}

TEST(StagingTable, NaoConsegueCriarArquivo)
{
    PastaTemporaria pasta;
    pasta.entrar();
    std::filesystem::create_directory(pasta.caminho() / "ProdutosTARVEX.cds");
    StagingTable t;
    t.createDataSet();
    inserirCodigo(t, "1");
    const std::string esperado = "Cannot create file \"" +
                                 (std::filesystem::current_path() / "ProdutosTARVEX.cds").string() +
                                 "\". Is a directory";
    EXPECT_EQ(mensagem([&] { t.close(); }), esperado);
    EXPECT_TRUE(t.active()); // nothing staged is lost
    EXPECT_EQ(t.recordCount(), 1);
    std::filesystem::remove(pasta.caminho() / "ProdutosTARVEX.cds");
    t.close();
    EXPECT_FALSE(t.active());
    EXPECT_TRUE(std::filesystem::is_regular_file(pasta.caminho() / "ProdutosTARVEX.cds"));
}

// Past the first blocks of records (4,096 each) and of descriptions (1 MiB): inserts in the
// middle, deletions, descriptions edited longer and shorter (the last one stored over and
// over) and prices read back as a plain list of rows says, and the staging file has them.
TEST(StagingTable, MuitosRegistrosEmBlocos)
{
    PastaTemporaria pasta;
    pasta.entrar();
    struct Linha {
        std::string codigo, descricao, preco;
    };
    std::vector<Linha> modelo;
    auto texto = [](char c, int i) { return std::string(1, c) + std::to_string(i) + std::string(30 + i % 61, 'D'); };
    {
        StagingTable t;
        t.createDataSet();
        for (int i = 0; i < 30000; ++i) {
            if (i % 7000 == 6999)
                t.setCurrent(i / 2); // this one goes after it
            t.insert();
            t.setFieldText(COD_PRODUTO, std::to_string(i));
            t.setFieldText(DESCRICAO, texto('A', i));
            t.setFieldText(DESCRICAO, texto('B', i)); // takes the room of the first
            t.setFieldInvalid(VALORVENDA, texto('P', i));
            t.post();
            modelo.insert(modelo.begin() + t.recNo(), {std::to_string(i), texto('B', i), texto('P', i)});
            t.setCurrent(t.recordCount() - 1);
        }
        for (int row : {29999, 4096, 4095, 0, 20000}) {
            t.deleteRecord(row);
            modelo.erase(modelo.begin() + row);
        }
        const int ultimo = t.recordCount() - 1;
        for (int row : {ultimo, 4095, ultimo, ultimo, 12288, ultimo}) {
            modelo[static_cast<std::size_t>(row)].descricao = texto('E', row).substr(0, 10 + row % 90);
            t.setCellText(row, DESCRICAO, modelo[static_cast<std::size_t>(row)].descricao);
        }
        t.setCellText(4096, VALORVENDA, "2,5");
        modelo[4096].preco = "2.5";
        ASSERT_EQ(t.recordCount(), static_cast<int>(modelo.size()));
        for (int row = 0; row < t.recordCount(); ++row) {
            const Linha& l = modelo[static_cast<std::size_t>(row)];
            ASSERT_EQ(t.cellText(row, COD_PRODUTO), l.codigo) << row;
            ASSERT_EQ(t.cellText(row, DESCRICAO), l.descricao) << row;
            ASSERT_EQ(t.cellText(row, VALORVENDA), l.preco) << row;
        }
    }
    const std::string cds = pasta.ler("ProdutosTARVEX.cds");
    std::string esperado = "RECORDS\t" + std::to_string(modelo.size()) + "\n";
    for (const Linha& l : modelo)
        esperado += l.codigo + "\t" + l.descricao + "\t\\N\t\\N\t\\N\t\\N\t\\N\t" + (l.preco == "2.5" ? "" : "!") +
                    l.preco + "\n";
    EXPECT_EQ(cds.substr(cds.find("RECORDS\t")), esperado);
}
