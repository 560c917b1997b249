// While an import run or a file reading goes on, the window cannot be closed and nothing
// that would start other work or change the destination can be used; afterwards, however
// the work ended, everything is usable again.
#include <stdexcept>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QObject>
#include <QTableView>
#include <QUrl>

#include "JanelaTeste.h"
#include "import/Importador.h"

namespace norvo::app::teste {
namespace {

QString u8(const char* texto)
{
    return QString::fromUtf8(texto);
}

TEST_F(Janela, DuranteUmaImportacaoNaoFechaENaoMostraNada)
{
    abrir();
    janela->operador().ocupado(true);
    EXPECT_FALSE(janela->close());
    EXPECT_TRUE(janela->isVisible());
    EXPECT_TRUE(dialogos.mostrados.empty());
    EXPECT_FALSE(pasta.existe("Config.ini"));

    janela->operador().ocupado(false);
    EXPECT_TRUE(janela->close());
    EXPECT_TRUE(pasta.existe("Config.ini"));
}

TEST_F(Janela, DuranteUmaImportacaoOsControlesFicamDesabilitados)
{
    abrir();
    ASSERT_TRUE(controlesLivres());
    janela->operador().ocupado(true);
    EXPECT_TRUE(controlesBloqueados());
    // The options and the grid stay usable.
    EXPECT_TRUE(caixa("CheckBoxProdutos")->isEnabled());
    janela->operador().ocupado(false);
    EXPECT_TRUE(controlesLivres());
}

TEST_F(Janela, BotoesClicadosDuranteUmaImportacaoNaoFazemNada)
{
    abrir();
    janela->operador().ocupado(true);
    janela->BitBtnLerCSVProdutosClick();
    janela->Button1Click();
    janela->BitBtnImportarClick();
    EXPECT_TRUE(dialogos.mostrados.empty());
    janela->operador().ocupado(false);
}

TEST_F(Janela, SoltarArquivoDuranteUmaImportacaoNaoMudaODestino)
{
    pasta.escrever("Config.ini", "[Bancos]\nDestino=/atual.fdb\n");
    abrir();
    janela->operador().ocupado(true);
    QMimeData dados;
    dados.setUrls({QUrl::fromLocalFile(u8("/outro.fdb"))});
    QDragEnterEvent entrada(QPoint(5, 5), Qt::CopyAction, &dados, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(destino(), &entrada);
    EXPECT_FALSE(entrada.isAccepted());
    EXPECT_FALSE(destino()->soltar(&dados));
    EXPECT_EQ(destino()->text(), u8("/atual.fdb"));
    janela->operador().ocupado(false);
}

// The table tells the grid when the reading closes, recreates and fills it: a point in the
// middle of the reading where the window is asked to close and its controls are looked at.
// The window outlives the test body (the fixture destroys it, and the grid resets as it
// goes), so the connection hangs on `contexto`, which dies with the spy it writes into.
struct NoMeioDaLeitura {
    int vezes = 0;
    bool fechou = false;
    bool bloqueados = false;
    QObject contexto;
};

void espiarLeitura(Janela& t, NoMeioDaLeitura& espia)
{
    auto* modelo = t.filho<QTableView>("DBGrid1")->model();
    QObject::connect(modelo, &QAbstractItemModel::modelReset, &espia.contexto, [&t, &espia] {
        if (espia.vezes++ > 0)
            return;
        espia.fechou = t.janela->close();
        espia.bloqueados = t.controlesBloqueados();
    });
}

TEST_F(Janela, DuranteALeituraNaoFechaEOsControlesFicamDesabilitados)
{
    abrir();
    dialogos.arquivos.push_back(QString::fromStdString(csv("p.csv", "1;ARROZ;UN;xx018;x;xxx01;xxx01;100;12.50\r\n\r\n"
                                                                    "2;FEIJAO;KG;xx007;x;xxx01;xxx01;200\r\n")));
    NoMeioDaLeitura espia;
    espiarLeitura(*this, espia);
    janela->BitBtnLerCSVProdutosClick();
    ASSERT_GT(espia.vezes, 0) << "the grid never heard of the reading";
    // The reading's notes come in a box of their own, the list behind its details.
    ASSERT_EQ(dialogos.textosDe("mostraMensagem").size(), 1u);
    EXPECT_TRUE(dialogos.textosDe("mostraMensagem")[0].contains(u8("2 linha(s) ou campo(s) pedem atenção")));
    EXPECT_TRUE(dialogos.detalhes[0].contains(u8("\n  linha 3, VALORVENDA: a linha tem 8 campos")));
    EXPECT_FALSE(espia.fechou);
    EXPECT_TRUE(espia.bloqueados);
    EXPECT_TRUE(janela->isVisible());
    EXPECT_TRUE(controlesLivres());
    EXPECT_EQ(rotulo("LabelTotalProdutos")->text(), u8("Total do Contador: 2"));
    EXPECT_TRUE(janela->close());
}

TEST_F(Janela, LeituraComCodigoIlegivelVaiAteOFimELiberaOsControles)
{
    abrir();
    // A code of eleven digits does not fit the table's 32-bit integer: the record is kept
    // without its code, the cell marked, and the reading goes to the end.
    dialogos.arquivos.push_back(
        QString::fromStdString(csv("p.csv", "1;ARROZ;UN;xx018;x;xxx01;xxx01;100;12.50\r\n"
                                            "12345678901;FEIJAO;KG;xx007;x;xxx01;xxx01;200;8,00\r\n"
                                            "3;SAL;KG;xx007;x;xxx01;xxx01;200;1,00\r\n")));
    NoMeioDaLeitura espia;
    espiarLeitura(*this, espia);
    janela->BitBtnLerCSVProdutosClick();
    EXPECT_TRUE(espia.bloqueados);
    EXPECT_TRUE(dialogos.textosDe("falha").empty());
    EXPECT_EQ(rotulo("LabelTotalProdutos")->text(), u8("Total do Contador: 3"));
    const auto& tabela = janela->importador().CdsProdutos();
    EXPECT_TRUE(tabela.cellMarcada(1, norvo::staging::COD_PRODUTO));
    EXPECT_EQ(tabela.cellText(1, norvo::staging::DESCRICAO), "FEIJAO");
    EXPECT_TRUE(controlesLivres());
    EXPECT_TRUE(janela->close());
}

TEST_F(Janela, ArquivoInexistenteMostraAFalhaELiberaOsControles)
{
    abrir();
    dialogos.arquivos.push_back(QString::fromStdString(pasta.arquivo("sumiu.csv")));
    janela->BitBtnLerCSVProdutosClick();
    ASSERT_EQ(dialogos.textosDe("falha").size(), 1u);
    EXPECT_TRUE(dialogos.textosDe("falha")[0].startsWith(u8("Cannot open file \"")));
    EXPECT_TRUE(controlesLivres());
}

TEST_F(Janela, LeituraCanceladaNaoMudaNada)
{
    abrir();
    dialogos.arquivos.push_back(std::nullopt);
    janela->BitBtnLerCSVProdutosClick();
    EXPECT_EQ(rotulo("LabelTotalProdutos")->text(), u8("Total produtos"));
    EXPECT_FALSE(janela->importador().CdsProdutos().active());
    EXPECT_TRUE(controlesLivres());
}

TEST_F(Janela, OUltimoArquivoLidoEOferecidoDeNovo)
{
    abrir();
    const QString primeiro = QString::fromStdString(csv("a.csv", "1;A;UN\n"));
    dialogos.arquivos.push_back(primeiro);
    dialogos.arquivos.push_back(std::nullopt);
    janela->BitBtnLerCSVProdutosClick();
    janela->BitBtnLerCSVProdutosClick();
    ASSERT_EQ(dialogos.sugeridos.size(), 2u);
    EXPECT_EQ(dialogos.sugeridos[0], QString());
    EXPECT_EQ(dialogos.sugeridos[1], primeiro);
    // Cancelling the second time left the first reading in place.
    EXPECT_EQ(rotulo("LabelTotalProdutos")->text(), u8("Total do Contador: 1"));
}

TEST_F(Janela, ImportarLeAsOpcoesNaHoraDoClique)
{
    abrir();
    janela->BitBtnImportarClick();
    EXPECT_EQ(dialogos.textosDe("mensagem"),
              std::vector<QString>{u8("Marque uma ou mais de uma tabela para ser importado!!")});

    dialogos.mostrados.clear();
    caixa("CheckBoxProdutos")->setChecked(true);
    janela->BitBtnImportarClick();
    // Past the options now; with no destination chosen the run stops at the connection.
    EXPECT_TRUE(dialogos.textosDe("mensagem").empty());
    ASSERT_EQ(dialogos.mostrados.size(), 1u);
    EXPECT_EQ(dialogos.mostrados[0].tipo, "mostraMensagem");
    EXPECT_EQ(dialogos.mostrados[0].texto, u8("Selecione o banco de dados de destino!"));
    EXPECT_FALSE(dialogos.mostrados[0].aviso);
    EXPECT_TRUE(controlesLivres());
}

TEST_F(Janela, ImportacaoQueFalhaDepoisDeOcuparLiberaOsControlesEDeixaFechar)
{
    abrir();
    caixa("CheckBoxProdutos")->setChecked(true);
    // The run becomes busy and then fails without ever saying it is idle again.
    janela->aoMostrarMensagem = [&](const std::string&, bool) {
        janela->operador().ocupado(true);
        throw std::runtime_error("queda no meio");
    };
    janela->BitBtnImportarClick();
    EXPECT_EQ(dialogos.textosDe("falha"), std::vector<QString>{u8("queda no meio.")});
    EXPECT_TRUE(controlesLivres());
    EXPECT_TRUE(janela->close());
}

} // namespace
} // namespace norvo::app::teste
