// The window in the middle of a run: the destination connection goes away (the stage logs
// that record, reconnects and goes on), or the operator works the grid (nothing of it may
// reach the run). Either way the run ends as usual and the window is free and can close.
// Needs the local Firebird server, as the other window tests with a database do.
#include <csignal>
#include <filesystem>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTableView>

#include "BancoTeste.h"
#include "JanelaTeste.h"
#include "import/Importador.h"

namespace norvo::app::teste {
namespace {

QString u8(const char* texto)
{
    return QString::fromUtf8(texto);
}

struct JanelaConexaoPerdida : Janela {
    norvo::teste::BancoTeste banco{"janela-falha"};

    ~JanelaConexaoPerdida() override { janela.reset(); }

    // The window open on the scratch destination, with products 1..n read into the grid.
    void abrirComProdutos(int n)
    {
        banco.executar(norvo::teste::esquemaDestino());
        pasta.escrever("Config.ini", "[Bancos]\r\nDestino=" + banco.caminho() + "\r\n");
        abrir();
        std::string linhas;
        for (int c = 1; c <= n; ++c)
            linhas += std::to_string(c) + ";PRODUTO " + std::to_string(c) + ";UN;xx018;x;xxx01;xxx01;1006;1.50\r\n";
        dialogos.arquivos.push_back(QString::fromStdString(csv("p.csv", linhas)));
        botao("BitBtnLerCSVProdutos")->click();
    }
};

TEST_F(JanelaConexaoPerdida, ConexaoPerdidaNaImportacaoDeixaAJanelaLivre)
{
    abrirComProdutos(6);
    ASSERT_EQ(rotulo("LabelTotalProdutos")->text(), u8("Total do Contador: 6"));

    caixa("CheckBoxProdutos")->setChecked(true);
    dialogos.respostas = {true, false}; // run it; do not open the log afterwards
    bool derrubou = false;
    janela->aoMedir = [&] {
        // The gauge moves after each product is written; end the attachment after the second.
        if (derrubou || rotulo("LabelObs")->text() != u8("Importando Produtos"))
            return;
        if (filho<QProgressBar>("GaugeImportando")->value() == 2) {
            banco.derrubarOutrasConexoes();
            derrubou = true;
        }
    };
    botao("BitBtnImportar")->click();
    ASSERT_TRUE(derrubou);

    // The stage reconnects; the product that met the loss is walked again: nothing failed.
    EXPECT_TRUE(dialogos.textosDe("mensagem").empty());
    EXPECT_TRUE(dialogos.textosDe("falha").empty()) << "nothing escapes the run";
    EXPECT_EQ(dialogos.textosDe("confirma").size(), 1u); // the run's question, no log to offer
    EXPECT_EQ(dialogos.textosDe("mostraMensagem"), std::vector<QString>{u8("Importação finalizada com sucesso")});
    EXPECT_EQ(rotulo("LabelObs")->text(), u8("Importação finalizada com sucesso"));
    EXPECT_EQ(filho<QProgressBar>("GaugeImportando")->text(), u8("0%"));
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO"), "6");
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ITENSLISTA"), "6");

    EXPECT_FALSE(janela->importador().Importando());
    EXPECT_FALSE(janela->importador().conectado());
    EXPECT_TRUE(controlesLivres());
    EXPECT_TRUE(janela->close());
}

// Every table the stages write, and the log, after one run.
struct Retrato {
    std::vector<std::vector<std::string>> produtos, itens, unidades, ncms;
    std::string log;
    bool operator==(const Retrato&) const = default;
};

Retrato retratar(norvo::teste::BancoTeste& banco, const PastaTemporaria& pasta)
{
    return {banco.consultar("SELECT * FROM PRODUTO ORDER BY PRO_CODIGO"),
            banco.consultar("SELECT * FROM ITENSLISTA ORDER BY PRO_CODIGO"),
            banco.consultar("SELECT * FROM TIPOUNIDADE ORDER BY UNI_CODIGO"),
            banco.consultar("SELECT * FROM CODIGONCM ORDER BY NCM_CODIGO"), pasta.ler("vantor.log")};
}

TEST_F(JanelaConexaoPerdida, GradeNaoMexeNaImportacao)
{
    norvo::teste::BancoTeste sossegado{"janela-sossegado"};
    banco.executar(norvo::teste::esquemaDestino());
    sossegado.executar(norvo::teste::esquemaDestino());
    pasta.escrever("Config.ini", "[Bancos]\r\nDestino=" + sossegado.caminho() + "\r\n");
    abrir();
    // Forty products, with a duplicate code and a bad ICMS so that the log has entries.
    std::string linhas;
    for (int c = 1; c <= 40; ++c)
        linhas += std::to_string(c == 20 ? 7 : c) + ";PRODUTO " + std::to_string(c) + ";U" + std::to_string(c % 3) +
                  ";xx" + (c == 30 ? "x" : "018") + ";x;xxx01;xxx01;1006" + std::to_string(c % 4) + ";1.50\r\n";
    dialogos.arquivos.push_back(QString::fromStdString(csv("p.csv", linhas)));
    botao("BitBtnLerCSVProdutos")->click();
    caixa("CheckBoxProdutos")->setChecked(true);

    // The reference: the same file into another database, with nobody touching anything.
    dialogos.respostas = {true, false};
    botao("BitBtnImportar")->click();
    const Retrato referencia = retratar(sossegado, pasta);
    ASSERT_FALSE(referencia.log.empty());
    ASSERT_EQ(referencia.produtos.size(), 38u); // the duplicate and the bad ICMS fail

    // Now the operator clicks about the grid, types, inserts and deletes all through the run.
    auto* grade = filho<QTableView>("DBGrid1");
    QAbstractItemModel* modelo = grade->model();
    destino()->setText(QString::fromStdString(banco.caminho()));
    dialogos.respostas = {true, false};
    int mexidas = 0, aceitas = 0;
    janela->aoMedir = [&] {
        if (!janela->importador().Importando())
            return;
        const int linha = (mexidas * 7) % modelo->rowCount(); // back and forth over the rows
        grade->setCurrentIndex(modelo->index(linha, 1));
        if (modelo->setData(modelo->index(linha, 1), u8("MEXIDO")))
            ++aceitas;
        for (int tecla : {int(Qt::Key_Insert), int(Qt::Key_Delete)}) {
            QKeyEvent e(QEvent::KeyPress, tecla, tecla == Qt::Key_Delete ? Qt::ControlModifier : Qt::NoModifier);
            QCoreApplication::sendEvent(grade, &e);
        }
        ++mexidas;
    };
    botao("BitBtnImportar")->click();
    janela->aoMedir = nullptr;

    EXPECT_GT(mexidas, 100);
    EXPECT_EQ(aceitas, 0);
    EXPECT_TRUE(dialogos.textosDe("exclusao").empty()) << "no question while the grid is read-only";
    EXPECT_EQ(retratar(banco, pasta), referencia);
    EXPECT_EQ(janela->importador().CdsProdutos().recordCount(), 40);
    // Once the run is over the grid edits again.
    EXPECT_TRUE(modelo->setData(modelo->index(0, 1), u8("EDITADO")));
}

TEST_F(JanelaConexaoPerdida, SinalParaARodadaEFechaComoUmFechamentoNormal)
{
    abrirComProdutos(30);
    caixa("CheckBoxProdutos")->setChecked(true);
    dialogos.respostas = {true};
    janela->aoMedir = [&] {
        if (rotulo("LabelObs")->text() == u8("Importando Produtos") &&
            filho<QProgressBar>("GaugeImportando")->value() == 10)
            janela->pararPorSinal(SIGTERM);
    };
    const std::filesystem::path estagio = std::filesystem::current_path() / "ProdutosTARVEX.cds";
    std::filesystem::remove(estagio);
    botao("BitBtnImportar")->click();

    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO"), "10");
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ITENSLISTA"), "0");
    EXPECT_EQ(janela->ultimoResultado().parada, SIGTERM);
    EXPECT_EQ(rotulo("LabelObs")->text(), u8("Importação interrompida pelo operador"));
    EXPECT_TRUE(dialogos.textosDe("mostraMensagem").empty()) << "no box waits for anyone";
    // Closed as a normal close: settings and staging file written.
    EXPECT_FALSE(janela->isVisible());
    EXPECT_EQ(config().rfind("[Bancos]\r\nDestino=" + banco.caminho() + "\r\n[Janela]", 0), 0u) << config();
    EXPECT_TRUE(std::filesystem::exists(estagio));
    std::filesystem::remove(estagio);
}

TEST_F(JanelaConexaoPerdida, ArquivoDeEstagioQueNaoGravaEhRelatadoAoFechar)
{
    abrir();
    dialogos.arquivos.push_back(QString::fromStdString(csv("p.csv", "1;A;UN;xx018;x;xxx01;xxx01;1006;1.50\r\n")));
    botao("BitBtnLerCSVProdutos")->click();
    const std::filesystem::path estagio = std::filesystem::current_path() / "ProdutosTARVEX.cds";
    std::filesystem::remove_all(estagio);
    std::filesystem::create_directory(estagio); // its name taken by a folder
    EXPECT_TRUE(janela->close());
    std::filesystem::remove_all(estagio);
    const auto falhas = dialogos.textosDe("falha");
    ASSERT_EQ(falhas.size(), 1u);
    EXPECT_TRUE(falhas[0].startsWith(u8("Cannot create file \"") + QString::fromStdString(estagio.string())))
        << falhas[0].toStdString();
}

} // namespace
} // namespace norvo::app::teste
