// What the operator sees when the window opens, and the settings it remembers.
#include <QCoreApplication>
#include <QDropEvent>
#include <QFont>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTableView>
#include <QToolButton>
#include <QUrl>

#include "JanelaTeste.h"
#include "app/Dialogos.h"
#include "import/Importador.h"

namespace norvo::app::teste {
namespace {

QString u8(const char* texto)
{
    return QString::fromUtf8(texto);
}

// ---- captions, places and looks ----

TEST_F(Janela, LegendaTerminaComUmBranco)
{
    abrir();
    EXPECT_EQ(janela->objectName(), u8("FormImporta"));
    EXPECT_EQ(janela->windowTitle(), u8("Importação de Firebird [TARVEX]->[NORVO] "));
    EXPECT_TRUE(janela->windowTitle().endsWith(u' '));
    EXPECT_FALSE(janela->windowTitle().endsWith(u8("  ")));
}

// The name is the class part of WM_CLASS, which the window system reads as Latin-1.
TEST_F(Janela, NomeDaAplicacaoSemAcentos)
{
    const QString nome = QCoreApplication::applicationName();
    EXPECT_EQ(nome, u8("Importacao do Pelbra para NORVO"));
    for (QChar c : nome)
        EXPECT_LT(c.unicode(), 0x80) << nome.toStdString();
}

TEST_F(Janela, AbreNoLugarEComOTamanhoDoProjeto)
{
    abrir();
    EXPECT_EQ(janela->pos(), QPoint(77, 120));
    // 694 x 377 with the designed frame; the client area the controls were laid out in.
    EXPECT_EQ(janela->size(), QSize(686, 350));
}

TEST_F(Janela, NaoFicaMenorQueOProjetoETodosOsControlesAparecem)
{
    abrir(true);
    janela->resize(300, 200);
    EXPECT_EQ(janela->size(), QSize(686, 350));
    janela->resize(686, 100);
    EXPECT_EQ(janela->size(), QSize(686, 350));
    const QRect area = janela->rect();
    for (const char* nome :
         {"CheckBoxProdutos", "CheckBoxClientes", "CheckBoxFornec", "DBGrid1", "BitBtnLerCSVProdutos", "Label1",
          "BitBtnImportar", "FilenameEditDestino", "Button1", "LabelObs", "LabelTotalProdutos", "GaugeImportando"}) {
        QWidget* w = filho<QWidget>(nome);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible()) << nome;
        const QRect onde(w->mapTo(janela.get(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(area.contains(onde)) << nome;
    }
}

TEST_F(Janela, PaineisAlinhadosComoProjetados)
{
    abrir();
    EXPECT_EQ(filho<QWidget>("PanelCabecalho")->geometry(), QRect(0, 0, 686, 297));
    EXPECT_EQ(filho<QWidget>("PageControl")->geometry(), QRect(1, 1, 684, 193));
    // The lower panel covers the bottom of the page control.
    EXPECT_EQ(filho<QWidget>("Panel1")->geometry(), QRect(1, 152, 684, 144));
    EXPECT_EQ(filho<QWidget>("PanelCorpo")->geometry(), QRect(0, 297, 273, 53));
    EXPECT_EQ(filho<QWidget>("GaugeImportando")->geometry(), QRect(284, 297, 402, 53));
}

TEST_F(Janela, AoCrescerAsPaginasTomamOEspacoEAJanelaLembraOTamanho)
{
    // Enlarged, the page control takes the extra height and width; the lower panel and the
    // status strip keep their height, the gauge its proportion.
    abrir();
    janela->resize(900, 500);
    EXPECT_EQ(filho<QWidget>("PanelCabecalho")->geometry(), QRect(0, 0, 900, 447));
    EXPECT_EQ(filho<QWidget>("PageControl")->geometry(), QRect(1, 1, 898, 343));
    EXPECT_EQ(filho<QWidget>("Panel1")->geometry(), QRect(1, 302, 898, 144));
    EXPECT_EQ(filho<QWidget>("PanelCorpo")->geometry(), QRect(0, 447, 273, 53));
    EXPECT_EQ(filho<QWidget>("GaugeImportando")->geometry(), QRect(373, 447, 527, 53));
    EXPECT_EQ(filho<QWidget>("DBGrid1")->geometry(), QRect(128, 8, 751, 270));
    // The problems page shows what the grid shows: none of its list lies under the panel.
    QWidget* problemas = filho<QWidget>("TB_PROBLEMAS");
    filho<QTabWidget>("PageControl")->setCurrentWidget(problemas);
    const QRect area = problemas->contentsRect();
    const QPoint base = problemas->mapTo(filho<QWidget>("PanelCabecalho"), area.bottomLeft());
    EXPECT_LE(base.y(), filho<QWidget>("Panel1")->geometry().top()); // its bevel covers the last row, as the grid's
    EXPECT_EQ(problemas->mapTo(janela.get(), area.bottomLeft()).y(),
              filho<QWidget>("DBGrid1")->mapTo(janela.get(), filho<QWidget>("DBGrid1")->rect().bottomLeft()).y());

    // Remembered in a section of its own, and given back at the next start.
    janela->move(40, 30);
    const QRect onde = janela->geometry();
    EXPECT_TRUE(janela->close());
    EXPECT_EQ(config().rfind("[Bancos]\r\nDestino=\r\n", 0), 0u) << config();
    EXPECT_NE(config().find("[Janela]\r\nEsquerda=" + std::to_string(onde.x()) +
                            "\r\nTopo=" + std::to_string(onde.y()) + "\r\nLargura=900\r\nAltura=500\r\nMaximizada=0"),
              std::string::npos)
        << config();
    abrir();
    EXPECT_EQ(janela->geometry(), onde);
    EXPECT_EQ(filho<QWidget>("DBGrid1")->geometry(), QRect(128, 8, 751, 270));
}

TEST_F(Janela, PaginaNorvoAtivaEProblemasAoLado)
{
    abrir();
    auto* paginas = filho<QTabWidget>("PageControl");
    ASSERT_EQ(paginas->count(), 2);
    EXPECT_EQ(paginas->tabText(0), u8("Norvo"));
    EXPECT_EQ(paginas->widget(0)->objectName(), u8("TB_NORVO"));
    EXPECT_EQ(paginas->currentIndex(), 0);
    EXPECT_EQ(paginas->tabText(1), u8("Problemas (0)"));
    auto* arvore = filho<QTreeWidget>("ArvoreProblemas");
    ASSERT_EQ(arvore->topLevelItemCount(), 1); // a page with nothing says so
    EXPECT_TRUE(arvore->topLevelItem(0)->text(0).startsWith(u8("Nenhum problema")));
}

// The rehearsal and fast mode are switches under the product option, preset by the start-up
// options only: every use starts writing unless the technician asks for a rehearsal.
TEST_F(Janela, ChavesDeSimulacaoEModoRapidoChegamARodada)
{
    modo.simular = true;
    abrir();
    QCheckBox* simular = caixa("CheckBoxSimular");
    QCheckBox* rapido = caixa("CheckBoxRapido");
    EXPECT_EQ(simular->text().replace(u'\n', u' '), u8("Simular (não grava nada)")); // in two lines if need be
    EXPECT_EQ(simular->accessibleName(), u8("Simular (não grava nada)"));
    EXPECT_EQ(rapido->text().replace(u'\n', u' '), u8("Modo rápido"));
    EXPECT_TRUE(simular->isVisible() && rapido->isVisible());
    EXPECT_EQ(simular->geometry().top(), 32); // under "Produtos", where hidden options would be
    EXPECT_LE(simular->geometry().right(), caixa("CheckBoxProdutos")->geometry().left() + 120);
    EXPECT_TRUE(simular->isChecked());
    EXPECT_FALSE(rapido->isChecked());
    EXPECT_TRUE(rotulo("LabelSimulacao")->isVisible());
    simular->setChecked(false);
    EXPECT_FALSE(rotulo("LabelSimulacao")->isVisible());
    simular->setChecked(true);
    rapido->setChecked(true);
    caixa("CheckBoxProdutos")->setChecked(true);
    janela->BitBtnImportarClick(); // no destination: refused, but with the options asked
    const OpcoesImportacao& pedido = janela->ultimoResultado().pedido;
    EXPECT_TRUE(pedido.produtos && pedido.modo.simular && pedido.modo.rapido && pedido.semCopia);
    EXPECT_TRUE(janela->close());

    modo = {};
    abrir();
    EXPECT_FALSE(caixa("CheckBoxSimular")->isChecked()); // not remembered
    EXPECT_FALSE(rotulo("LabelSimulacao")->isVisible());
}

TEST_F(Janela, BotoesComLegendaELugar)
{
    abrir();
    auto* ler = botao("BitBtnLerCSVProdutos");
    EXPECT_EQ(ler->text(), u8("Ler Arquivo CSV de produtos"));
    EXPECT_EQ(ler->geometry(), QRect(456, 3, 177, 25));
    auto* importar = botao("BitBtnImportar");
    EXPECT_EQ(importar->text(), u8("Importar"));
    EXPECT_EQ(importar->geometry(), QRect(18, 62, 93, 44));
    EXPECT_TRUE(importar->font().bold());
    EXPECT_FALSE(importar->icon().isNull());
    EXPECT_EQ(importar->icon().actualSize(QSize(16, 16)), QSize(16, 16));
    auto* testar = botao("Button1");
    EXPECT_EQ(testar->text(), u8("Testar Conexão"));
    EXPECT_EQ(testar->geometry(), QRect(528, 111, 110, 25));
    EXPECT_EQ(ler->parentWidget()->objectName(), u8("Panel1"));
}

TEST_F(Janela, RotulosComTextoEFonte)
{
    abrir();
    auto* base = rotulo("Label1");
    EXPECT_EQ(base->text(), u8("Base de Dados Destino"));
    EXPECT_EQ(base->pos(), QPoint(117, 56));
    EXPECT_TRUE(base->font().bold());
    EXPECT_EQ(base->font().pointSize(), 12);

    auto* obs = rotulo("LabelObs");
    EXPECT_EQ(obs->pos(), QPoint(8, 12));
    EXPECT_TRUE(obs->font().bold());
    EXPECT_EQ(obs->font().pointSize(), 10);
    EXPECT_EQ(obs->palette().color(QPalette::WindowText), QColor(128, 0, 128));

    auto* total = rotulo("LabelTotalProdutos");
    EXPECT_EQ(total->text(), u8("Total produtos"));
    EXPECT_EQ(total->pos(), QPoint(16, 32));
    EXPECT_EQ(total->parentWidget()->objectName(), u8("PanelCorpo"));
}

TEST_F(Janela, FonteDaJanela)
{
    abrir();
    EXPECT_EQ(janela->font().family(), u8("MS Sans Serif"));
    EXPECT_EQ(janela->font().pointSize(), 8);
}

TEST_F(Janela, CaixaDoDestinoSoLeituraComBotaoDe30)
{
    abrir();
    auto* caixa = destino();
    EXPECT_EQ(caixa->geometry(), QRect(117, 79, 521, 27));
    EXPECT_TRUE(caixa->linha()->isReadOnly());
    EXPECT_EQ(caixa->botao()->width(), 30);
    EXPECT_EQ(caixa->botao()->geometry().right(), 520);
    EXPECT_TRUE(caixa->font().bold());
    EXPECT_EQ(caixa->font().pointSize(), 12);
    EXPECT_TRUE(caixa->acceptDrops());
}

TEST_F(Janela, GradeMemoEMedidor)
{
    abrir();
    auto* grade = filho<QTableView>("DBGrid1");
    EXPECT_EQ(grade->geometry(), QRect(128, 8, 537, 120));
    EXPECT_EQ(grade->parentWidget()->objectName(), u8("TB_NORVO"));

    auto* memo = filho<QPlainTextEdit>("MemoCSV");
    EXPECT_TRUE(memo->isHidden());
    EXPECT_EQ(memo->geometry(), QRect(608, 40, 161, 89));

    auto* medidor = filho<QProgressBar>("GaugeImportando");
    EXPECT_EQ(medidor->palette().color(QPalette::Highlight), QColor(0, 0, 128));
    EXPECT_TRUE(medidor->isTextVisible());
    EXPECT_EQ(medidor->value(), 0);
    EXPECT_EQ(medidor->text(), u8("0%"));
}

// ---- the status line and the rehearsal ----

TEST_F(Janela, StatusLongoCabeNaFaixaEApareceInteiroNaDica)
{
    abrir();
    auto* obs = rotulo("LabelObs");
    const QRect faixa = filho<QWidget>("PanelCorpo")->rect();
    const std::string longo = "Simula\xE7\xE3o finalizada com sucesso (nada foi gravado no banco de "
                              "destino): 1200 registros seriam gravados, 3 falhariam";
    janela->operador().status(longo);
    EXPECT_EQ(obs->text(), QString::fromLatin1(longo));
    EXPECT_EQ(obs->toolTip(), QString::fromLatin1(longo));
    EXPECT_TRUE(faixa.contains(obs->geometry()));
    janela->operador().status("Importando Produtos");
    EXPECT_EQ(obs->text(), u8("Importando Produtos"));
    EXPECT_EQ(obs->toolTip(), QString());
    EXPECT_TRUE(faixa.contains(obs->geometry()));
}

TEST_F(Janela, EnsaioAvisaQueNadaSeraGravadoAntesEDuranteAExecucao)
{
    modo.simular = true;
    abrir();
    const QString aviso = u8("Simulação: nada será gravado no banco de destino");
    EXPECT_EQ(rotulo("LabelObs")->text(), aviso);
    auto* marca = rotulo("LabelSimulacao");
    EXPECT_EQ(marca->text(), aviso);
    EXPECT_TRUE(marca->isVisible());
    EXPECT_TRUE(QRect(QPoint(0, 0), marca->parentWidget()->size()).contains(marca->geometry()));
    // The run's own statuses take the status line; the mark stays.
    janela->operador().status("Importando Produtos");
    EXPECT_TRUE(marca->isVisible());
}

TEST_F(Janela, SemEnsaioNaoHaAvisoDeEnsaio)
{
    abrir();
    EXPECT_TRUE(rotulo("LabelSimulacao")->isHidden());
    EXPECT_EQ(rotulo("LabelObs")->text(), u8("Status da importação"));
}

// ---- the three options ----

TEST_F(Janela, SoProdutosAparece)
{
    abrir();
    EXPECT_TRUE(caixa("CheckBoxProdutos")->isVisible());
    EXPECT_TRUE(caixa("CheckBoxClientes")->isHidden());
    EXPECT_TRUE(caixa("CheckBoxFornec")->isHidden());
    for (const char* nome : {"CheckBoxProdutos", "CheckBoxClientes", "CheckBoxFornec"})
        EXPECT_FALSE(caixa(nome)->isChecked()) << nome;
    EXPECT_EQ(caixa("CheckBoxProdutos")->text(), u8("Produtos"));
    EXPECT_EQ(caixa("CheckBoxProdutos")->geometry(), QRect(8, 12, 63, 17));
    EXPECT_EQ(caixa("CheckBoxClientes")->geometry(), QRect(8, 32, 63, 17));
    EXPECT_EQ(caixa("CheckBoxFornec")->text(), u8("Fornecedores"));
    EXPECT_EQ(caixa("CheckBoxFornec")->geometry(), QRect(8, 54, 96, 17));
}

TEST_F(Janela, ComCadastrosAsTresAparecem)
{
    abrir(true);
    EXPECT_TRUE(caixa("CheckBoxProdutos")->isVisible());
    EXPECT_TRUE(caixa("CheckBoxClientes")->isVisible());
    EXPECT_TRUE(caixa("CheckBoxFornec")->isVisible());
    EXPECT_FALSE(caixa("CheckBoxClientes")->isChecked());
}

TEST(LinhaDeComando, ChaveCadastros)
{
    EXPECT_FALSE(opcoesDaLinhaDeComando({u8("importa-norvo")}).cadastros);
    EXPECT_TRUE(opcoesDaLinhaDeComando({u8("importa-norvo"), u8("--cadastros")}).cadastros);
    EXPECT_FALSE(opcoesDaLinhaDeComando({u8("importa-norvo"), u8("--cadastro")}).cadastros);
    // The program's own name is not a switch, whatever it is called.
    EXPECT_FALSE(opcoesDaLinhaDeComando({u8("--cadastros")}).cadastros);
    EXPECT_EQ(opcoesDaLinhaDeComando({u8("importa-norvo"), u8("--csv"), u8("/tmp/p.csv")}).csv, u8("/tmp/p.csv"));
    EXPECT_TRUE(opcoesDaLinhaDeComando({u8("importa-norvo"), u8("--csv")}).csv.isEmpty());
}

// ---- Config.ini at start and at the end ----

TEST_F(Janela, AoAbrirMostraOStatusEAindaNaoImporta)
{
    abrir();
    EXPECT_EQ(rotulo("LabelObs")->text(), u8("Status da importação"));
    EXPECT_FALSE(janela->importador().Importando());
    EXPECT_FALSE(janela->ocupada());
    EXPECT_TRUE(dialogos.mostrados.empty());
}

TEST_F(Janela, SemConfigACaixaComecaVaziaEFechandoOArquivoECriado)
{
    abrir();
    EXPECT_EQ(destino()->text(), QString());
    EXPECT_TRUE(janela->close());
    EXPECT_EQ(config().rfind("[Bancos]\r\nDestino=\r\n[Janela]\r\n", 0), 0u) << config();
}

TEST_F(Janela, DestinoLidoDoConfigSemAspas)
{
    pasta.escrever("Config.ini", "[Bancos]\r\nDestino=\"/dados/minha loja.fdb\"\r\n");
    abrir();
    EXPECT_EQ(destino()->text(), u8("/dados/minha loja.fdb"));
    EXPECT_EQ(janela->importador().destino(), "/dados/minha loja.fdb");
}

TEST_F(Janela, AspasNoMeioDoDestinoTambemSaem)
{
    pasta.escrever("Config.ini", "[Bancos]\nDestino=/da\"dos\"/loja.fdb\n");
    abrir();
    EXPECT_EQ(destino()->text(), u8("/dados/loja.fdb"));
    EXPECT_EQ(janela->importador().destino(), "/dados/loja.fdb");
}

TEST_F(Janela, OrigemDoConfigVaiParaOBancoDeOrigem)
{
    pasta.escrever("Config.ini", "[Bancos]\nOrigem=/dados/origem.fdb\nDestino=/d.fdb\n");
    abrir();
    EXPECT_EQ(janela->importador().origem(), "/dados/origem.fdb");
    janela->close();
    // The source is only read, never written back.
    EXPECT_EQ(config().rfind("[Bancos]\nOrigem=/dados/origem.fdb\nDestino=/d.fdb\n[Janela]", 0), 0u) << config();
}

TEST_F(Janela, AoFecharGravaODestinoEGuardaAsOutrasLinhas)
{
    const std::string antes = "; loja 1\r\n[Geral]\r\nx = 1\r\n\r\n[Bancos]\r\n"
                              "Destino=/velho.fdb\r\nOrigem=/o.fdb\r\n";
    pasta.escrever("Config.ini", antes);
    abrir();
    dialogos.arquivos.push_back(u8("/dados/nova loja.fdb"));
    destino()->botao()->click();
    EXPECT_TRUE(janela->close());
    EXPECT_EQ(config().rfind("; loja 1\r\n[Geral]\r\nx = 1\r\n\r\n[Bancos]\r\n"
                             "Destino=/dados/nova loja.fdb\r\nOrigem=/o.fdb\r\n[Janela]",
                             0),
              0u)
        << config();
}

TEST_F(Janela, ConfigQueNaoPodeSerGravadoEMostradoEAJanelaFechaMesmoAssim)
{
    const QString semPasta = QString::fromStdString(pasta.pasta()) + u8("nao-existe/");
    abrir(false, semPasta);
    EXPECT_TRUE(janela->close());
    EXPECT_FALSE(janela->isVisible());
    ASSERT_EQ(dialogos.textosDe("falha").size(), 1u);
    EXPECT_EQ(dialogos.textosDe("falha")[0], u8("Unable to write to ") + semPasta + u8("Config.ini."));
}

// ---- the destination box ----

TEST_F(Janela, ProcurarComBrancoFicaSemAspas)
{
    abrir();
    dialogos.arquivos.push_back(u8("/dados/minha loja.fdb"));
    destino()->botao()->click();
    EXPECT_EQ(destino()->text(), u8("/dados/minha loja.fdb"));
    EXPECT_EQ(janela->importador().destino(), "/dados/minha loja.fdb");
    ASSERT_EQ(dialogos.textosDe("banco").size(), 1u);
}

TEST_F(Janela, ProcurarCanceladoNaoMudaNada)
{
    pasta.escrever("Config.ini", "[Bancos]\nDestino=/atual.fdb\n");
    abrir();
    dialogos.arquivos.push_back(std::nullopt);
    destino()->botao()->click();
    EXPECT_EQ(destino()->text(), u8("/atual.fdb"));
    ASSERT_EQ(dialogos.sugeridos.size(), 1u);
    EXPECT_EQ(dialogos.sugeridos[0], u8("/atual.fdb"));
}

TEST(CaixaDeArquivo, CaminhoComBrancoVemEntreAspas)
{
    EXPECT_EQ(FilenameEdit::textoDoCaminho(u8("/a b/c.fdb")), u8("\"/a b/c.fdb\""));
    EXPECT_EQ(FilenameEdit::textoDoCaminho(u8("/ab/c.fdb")), u8("/ab/c.fdb"));
}

// The box says it takes a drag of files, and takes the drop.
bool soltar(FilenameEdit* alvo, const QList<QUrl>& urls)
{
    QMimeData dados;
    dados.setUrls(urls);
    QDragEnterEvent entrada(QPoint(5, 5), Qt::CopyAction, &dados, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(alvo, &entrada);
    const bool soltou = alvo->soltar(&dados);
    EXPECT_EQ(entrada.isAccepted(), soltou);
    return soltou;
}

TEST_F(Janela, SoltarVariosArquivosFicaComOPrimeiroDeQualquerTipo)
{
    abrir();
    EXPECT_TRUE(soltar(destino(),
                       {QUrl::fromLocalFile(u8("/planilhas/minha base.txt")), QUrl::fromLocalFile(u8("/outra.fdb"))}));
    EXPECT_EQ(destino()->text(), u8("/planilhas/minha base.txt"));
    EXPECT_EQ(janela->importador().destino(), "/planilhas/minha base.txt");
}

TEST_F(Janela, SoltarAlgoQueNaoEArquivoNaoMudaNada)
{
    abrir();
    EXPECT_FALSE(soltar(destino(), {QUrl(u8("https://example.com/x.fdb"))}));
    EXPECT_EQ(destino()->text(), QString());
}

TEST_F(Janela, TextoPostoPeloProgramaPerdeAsAspas)
{
    abrir();
    destino()->setText(u8("\"/x y/\"z\".fdb\""));
    EXPECT_EQ(destino()->text(), u8("/x y/z.fdb"));
    EXPECT_EQ(janela->importador().destino(), "/x y/z.fdb");
}

} // namespace
} // namespace norvo::app::teste
