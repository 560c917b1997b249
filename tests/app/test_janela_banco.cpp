// The window against the local Firebird server: the connection test button and a whole
// import run started from the window. These fail (never skip) without the server.
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

#include <filesystem>

#include "BancoTeste.h"
#include "JanelaTeste.h"
#include "app/GradeProdutos.h"
#include "import/Importador.h"

namespace norvo::app::teste {
namespace {

QString u8(const char* texto)
{
    return QString::fromUtf8(texto);
}

struct JanelaComBanco : Janela {
    norvo::teste::BancoTeste banco{"janela"};

    // The window disconnects before the scratch database is dropped.
    ~JanelaComBanco() override { janela.reset(); }

    void abrirComDestino(const std::string& caminho)
    {
        pasta.escrever("Config.ini", "[Bancos]\r\nDestino=" + caminho + "\r\n");
        abrir();
    }
};

TEST_F(JanelaComBanco, TestarConexaoComSucessoDeixaConectado)
{
    abrirComDestino(banco.caminho());
    botao("Button1")->click();
    ASSERT_EQ(dialogos.mostrados.size(), 1u);
    EXPECT_EQ(dialogos.mostrados[0].tipo, "mostraMensagem");
    EXPECT_EQ(dialogos.mostrados[0].texto, u8("Base de dados Destino conectado com sucesso"));
    EXPECT_FALSE(dialogos.mostrados[0].aviso); // the warning form, as the original did
    EXPECT_TRUE(janela->importador().conectado());
    EXPECT_EQ(janela->importador().destino(), banco.caminho());
}

TEST_F(JanelaComBanco, TestarConexaoComCaminhoErradoAvisaAFalha)
{
    abrirComDestino(norvo::teste::pastaBancos() + "/nao-existe.fdb");
    botao("Button1")->click();
    ASSERT_EQ(dialogos.mostrados.size(), 1u);
    EXPECT_TRUE(dialogos.mostrados[0].texto.startsWith(u8("Falha na função: \"Connectar\"\r\nFalha: ")))
        << dialogos.mostrados[0].texto.toStdString();
    EXPECT_FALSE(janela->importador().conectado());
    EXPECT_TRUE(controlesLivres());
}

TEST_F(JanelaComBanco, ImportacaoPelaJanelaBloqueiaDuranteELiberaNoFim)
{
    banco.executar(norvo::teste::esquemaDestino());
    semCopia = false;
    abrirComDestino(banco.caminho());
    dialogos.arquivos.push_back(
        QString::fromStdString(csv("p.csv", "1;ARROZ;UN;xx018;x;xxx01;xxx01;10063011;12.50\r\n"
                                            "2;FEIJAO;KG;xx007;x;xxx01;xxx01;07133319;8,00\r\n")));
    botao("BitBtnLerCSVProdutos")->click();
    ASSERT_EQ(rotulo("LabelTotalProdutos")->text(), u8("Total do Contador: 2"));

    caixa("CheckBoxProdutos")->setChecked(true);
    dialogos.respostas = {true};
    int medidas = 0, bloqueadas = 0, fechou = 0;
    janela->aoMedir = [&] {
        if (!janela->importador().Importando())
            return;
        ++medidas;
        if (controlesBloqueados())
            ++bloqueadas;
        if (janela->close())
            ++fechou;
    };
    botao("BitBtnImportar")->click();

    EXPECT_GT(medidas, 0);
    EXPECT_EQ(bloqueadas, medidas);
    EXPECT_EQ(fechou, 0);
    EXPECT_TRUE(dialogos.textosDe("falha").empty());
    // The run made its safety copy beside the destination first; the notice names it, the
    // status keeps to the outcome.
    const auto avisos = dialogos.textosDe("mostraMensagem");
    ASSERT_EQ(avisos.size(), 1u);
    const QString prefixo = u8("Importação finalizada com sucesso\r\nCópia de segurança do destino: ");
    ASSERT_TRUE(avisos[0].startsWith(prefixo)) << avisos[0].toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(avisos[0].mid(prefixo.size()).toStdString()));
    EXPECT_EQ(rotulo("LabelObs")->text(), u8("Importação finalizada com sucesso"));
    EXPECT_EQ(filho<QProgressBar>("GaugeImportando")->text(), u8("0%"));
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO"), "2");
    EXPECT_TRUE(controlesLivres());
    EXPECT_TRUE(janela->close());
    EXPECT_EQ(config().rfind("[Bancos]\r\nDestino=" + banco.caminho() + "\r\n[Janela]", 0), 0u) << config();
}

TEST_F(JanelaComBanco, RodadaQueFalhaOfereceACopiaDeVolta)
{
    // The product stage ends early (its closing update is refused): the destination is half
    // rebuilt, and the notice offers the copy made before it back, through the restore.
    banco.executar(norvo::teste::esquemaDestino() +
                   "INSERT INTO PRODUTO (PRO_CODIGO, PRO_NOME) VALUES (900, 'ANTIGO');\n");
    banco.executarUm("CREATE EXCEPTION RECUSADO 'recusado'");
    banco.executarUm("CREATE TRIGGER RECUSA FOR PRODUTO BEFORE UPDATE AS BEGIN EXCEPTION RECUSADO; END");
    semCopia = false;
    abrirComDestino(banco.caminho());
    dialogos.arquivos.push_back(
        QString::fromStdString(csv("p.csv", "1;ARROZ;UN;xx018;x;xxx01;xxx01;10063011;12.50\r\n")));
    botao("BitBtnLerCSVProdutos")->click();
    caixa("CheckBoxProdutos")->setChecked(true);
    dialogos.respostas = {true, true, true}; // run it; restore the copy; yes, replace the destination
    botao("BitBtnImportar")->click();

    const auto perguntas = dialogos.textosDe("confirma");
    ASSERT_EQ(perguntas.size(), 3u);
    EXPECT_TRUE(perguntas[1].startsWith(u8("Restaurar a cópia de segurança?\r\nCópia de segurança do destino: ")))
        << perguntas[1].toStdString();
    EXPECT_TRUE(perguntas[2].startsWith(u8("Atenção: o banco de destino"))) << perguntas[2].toStdString();
    EXPECT_EQ(banco.consultar("SELECT PRO_CODIGO, PRO_NOME FROM PRODUTO"),
              (std::vector<std::vector<std::string>>{{"900", "ANTIGO"}}));
    EXPECT_TRUE(dialogos.textosDe("mostraMensagem").back().startsWith(u8("Banco de destino ")));
    EXPECT_TRUE(controlesLivres());
    std::filesystem::remove(perguntas[1].mid(perguntas[1].indexOf(": ") + 2).toStdString());
}

} // namespace
} // namespace norvo::app::teste

namespace norvo::app::teste {
namespace {

QTreeWidgetItem* filhoQueComeca(QTreeWidgetItem* pai, const QString& inicio)
{
    for (int i = 0; pai && i < pai->childCount(); ++i)
        if (pai->child(i)->text(0).startsWith(inicio))
            return pai->child(i);
    return nullptr;
}

} // namespace

// From the menu to a corrected import: the reading's notes and a rehearsal's failures on the
// problems page, a record chosen there shown in the grid on the field at fault, marked until
// it is corrected, and the real run after it writing everything.
TEST_F(JanelaComBanco, ProblemasLevamAoRegistroQueSeCorrigeNaGrade)
{
    banco.executar(norvo::teste::esquemaDestino());
    abrirComDestino(banco.caminho());
    dialogos.arquivos.push_back(
        QString::fromStdString(csv("p.csv", "1;ARROZ;UN;xx018;x;xxx01;xxx01;10063011;12.50\r\n"
                                            "\r\n"
                                            "2;SEM PRECO;CAIXA;xx007;x;xxx01;xxx01;07133319\r\n")));
    botao("BitBtnLerCSVProdutos")->click();
    auto* paginas = filho<QTabWidget>("PageControl");
    auto* arvore = filho<QTreeWidget>("ArvoreProblemas");
    EXPECT_EQ(paginas->tabText(1), u8("Problemas (3)")); // blank line, unit cut, price missing
    QTreeWidgetItem* leitura = arvore->topLevelItem(0);
    ASSERT_TRUE(leitura);
    EXPECT_EQ(leitura->text(0), u8("Leitura do arquivo: 3 nota(s)"));

    // A rehearsal from the switch: the missing price is the price stage's failure.
    caixa("CheckBoxProdutos")->setChecked(true);
    caixa("CheckBoxSimular")->setChecked(true);
    botao("BitBtnImportar")->click();
    EXPECT_TRUE(janela->ultimoResultado().simulada);
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO"), "0");
    EXPECT_EQ(paginas->tabText(1), u8("Problemas (4)"));
    QTreeWidgetItem* rodada = arvore->topLevelItem(1);
    ASSERT_TRUE(rodada);
    EXPECT_EQ(rodada->text(0), u8("Simulação: 1 falha(s)"));
    QTreeWidgetItem* causa = filhoQueComeca(filhoQueComeca(rodada, u8("Lista de preços")), u8("1x Preço ausente"));
    ASSERT_TRUE(causa);
    ASSERT_EQ(causa->childCount(), 1);
    EXPECT_EQ(causa->child(0)->text(0), u8("SEM PRECO (linha 3)"));

    // The first record deleted in the grid, then the failure chosen: the grid, on the record
    // of that line (now the first), on its price.
    auto* grade = filho<GradeProdutos>("DBGrid1");
    grade->setCurrentIndex(grade->model()->index(0, 0));
    dialogos.respostas = {true};
    grade->excluirRegistroAtual();
    emit arvore->itemActivated(causa->child(0), 0);
    EXPECT_EQ(paginas->currentIndex(), 0);
    const QModelIndex celula = grade->currentIndex();
    EXPECT_EQ(celula.row(), 0);
    EXPECT_EQ(celula.column(), int(staging::VALORVENDA));
    auto* modelo = grade->model();
    EXPECT_TRUE(modelo->data(celula, Qt::BackgroundRole).isValid());
    EXPECT_TRUE(modelo->data(celula, Qt::ToolTipRole).toString().startsWith(u8("linha 3, VALORVENDA: ")));
    // The cut unit's note reaches its cell too, and a note of the reading leads there as well.
    EXPECT_TRUE(modelo->data(modelo->index(0, staging::UNIDADE), Qt::ToolTipRole).toString().contains(u8("'CAIXA'")));
    emit arvore->itemActivated(filhoQueComeca(leitura, u8("linha 3, UNIDADE")), 0);
    EXPECT_EQ(grade->currentIndex(), modelo->index(0, staging::UNIDADE));

    ASSERT_TRUE(modelo->setData(celula, u8("4,50")));
    EXPECT_FALSE(modelo->data(celula, Qt::BackgroundRole).isValid());

    // The corrected table kept as a product file, the page's list as a spreadsheet's.
    dialogos.arquivos = {QString::fromStdString(pasta.arquivo("corrigido.csv")),
                         QString::fromStdString(pasta.arquivo("problemas.csv"))};
    filho<QPushButton>("BotaoSalvarTabela")->click();
    filho<QPushButton>("BotaoSalvarProblemas")->click();
    EXPECT_EQ(pasta.ler("corrigido.csv"), "2;SEM PRECO;CAI;00007;;00001;00001;07133319;4,5\r\n");
    EXPECT_NE(pasta.ler("problemas.csv").find("\r\n3;VALORVENDA;Lista de pre\xE7os: "), std::string::npos)
        << pasta.ler("problemas.csv");

    caixa("CheckBoxSimular")->setChecked(false);
    dialogos.respostas = {true};
    botao("BitBtnImportar")->click();
    EXPECT_FALSE(janela->ultimoResultado().comErros());
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ITENSLISTA"), "1");
    EXPECT_EQ(paginas->tabText(1), u8("Problemas (3)")); // the reading's notes stay until the next reading
}

} // namespace norvo::app::teste
