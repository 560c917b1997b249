// The window as the core's operator, the dialogs it shows, and the default failure report.
#include <stdexcept>

#include <QAbstractButton>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressBar>

#include "JanelaTeste.h"
#include "app/AplicacaoImporta.h"
#include "app/Dialogos.h"

namespace norvo::app::teste {
namespace {

QString u8(const char* texto)
{
    return QString::fromUtf8(texto);
}

// ---- operator routines ----

TEST_F(Janela, MensagensDoNucleoChegamEmLatin1)
{
    abrir();
    janela->operador().mostraMensagem("Importa\xE7\xE3o finalizada com sucesso", true);
    janela->operador().mostraMensagem("Selecione o banco de dados de destino!", false);
    janela->operador().mensagem("Falha na importa\xE7\xE3o dos pre\xE7os");
    ASSERT_EQ(dialogos.mostrados.size(), 3u);
    EXPECT_EQ(dialogos.mostrados[0].texto, u8("Importação finalizada com sucesso"));
    EXPECT_TRUE(dialogos.mostrados[0].aviso);
    EXPECT_FALSE(dialogos.mostrados[1].aviso);
    EXPECT_EQ(dialogos.mostrados[2].tipo, "mensagem");
    EXPECT_EQ(dialogos.mostrados[2].texto, u8("Falha na importação dos preços"));
}

TEST_F(Janela, ConfirmaDevolveARespostaDoOperador)
{
    abrir();
    dialogos.respostas = {true, false};
    EXPECT_TRUE(janela->operador().confirma("Confirma ?", Operador::Pergunta::ApagarEImportar));
    EXPECT_FALSE(janela->operador().confirma("Confirma ?", Operador::Pergunta::ApagarEImportar));
    EXPECT_EQ(dialogos.textosDe("confirma").size(), 2u);
}

TEST_F(Janela, StatusVaiParaLabelObs)
{
    abrir();
    janela->operador().status("Importando pre\xE7o dos produtos 3");
    EXPECT_EQ(rotulo("LabelObs")->text(), u8("Importando preço dos produtos 3"));
}

TEST_F(Janela, MedidorMostraAPorcentagem)
{
    abrir();
    auto* medidor = filho<QProgressBar>("GaugeImportando");
    janela->operador().gauge(0, 200, 50);
    EXPECT_EQ(medidor->text(), u8("25%"));
    janela->operador().gauge(0, 200, 500);
    EXPECT_EQ(medidor->text(), u8("100%"));
    janela->operador().gauge(0, 200, 0);
    EXPECT_EQ(medidor->text(), u8("0%"));
}

TEST_F(Janela, MedidorSemRegistrosMostraZero)
{
    abrir();
    auto* medidor = filho<QProgressBar>("GaugeImportando");
    janela->operador().gauge(0, 0, 0);
    EXPECT_EQ(medidor->text(), u8("0%"));
    EXPECT_LT(medidor->minimum(), medidor->maximum()); // not the busy animation
}

struct Receptor : QObject {
    Q_OBJECT
public:
    QList<QUrl> abertos;
public slots:
    void abrir(const QUrl& url) { abertos.append(url); }
};

TEST_F(Janela, AbrirArquivoPedeAoDesktopOArquivoDaPasta)
{
    abrir();
    Receptor receptor;
    QDesktopServices::setUrlHandler(u8("file"), &receptor, "abrir");
    janela->operador().abrirArquivo("vantor.log", pasta.pasta());
    QDesktopServices::unsetUrlHandler(u8("file"));
    ASSERT_EQ(receptor.abertos.size(), 1);
    EXPECT_EQ(receptor.abertos[0].toLocalFile(), QDir::cleanPath(QString::fromStdString(pasta.arquivo("vantor.log"))));
    EXPECT_TRUE(dialogos.mostrados.empty());
}

// The offscreen platform has no desktop to open anything with: the window shows the log
// itself, Latin-1 read right, or where it is when it cannot be read.
TEST_F(Janela, LogQueODesktopNaoAbreAJanelaMostra)
{
    abrir();
    const QString caminho = QString::fromStdString(pasta.arquivo("vantor.log"));
    janela->operador().abrirArquivo("vantor.log", pasta.pasta());
    ASSERT_EQ(dialogos.mostrados.size(), 1u);
    EXPECT_EQ(dialogos.mostrados[0].tipo, "mostraMensagem");
    EXPECT_FALSE(dialogos.mostrados[0].aviso);
    EXPECT_EQ(dialogos.mostrados[0].texto, u8("Não foi possível abrir o log. Ele está em:\n") + caminho);

    pasta.escrever("vantor.log", "Erro na importa\xE7\xE3o de PRODUTO no Registro 7\r\n");
    janela->operador().abrirArquivo("vantor.log", pasta.pasta());
    ASSERT_EQ(dialogos.textosDe("log"), std::vector<QString>{caminho});
    EXPECT_EQ(dialogos.logs[0], u8("Erro na importação de PRODUTO no Registro 7\r\n"));

    // The real window: the log read-only, its path, a button that copies the path.
    std::unique_ptr<QDialog> log(DialogosQt::janelaDoLog(janela.get(), caminho, dialogos.logs[0]));
    auto* texto = log->findChild<QPlainTextEdit*>(u8("TextoDoLog"));
    ASSERT_TRUE(texto);
    EXPECT_TRUE(texto->isReadOnly());
    EXPECT_EQ(texto->toPlainText(), u8("Erro na importação de PRODUTO no Registro 7\n"));
    EXPECT_EQ(log->findChild<QLabel*>(u8("CaminhoDoLog"))->text(), caminho);
    log->findChild<QPushButton*>(u8("CopiarCaminho"))->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), caminho);
}

TEST_F(Janela, ProcessarEventosDeixaOsEventosPendentesRodarem)
{
    abrir();
    bool rodou = false;
    // Should the call stay pending, it must die with `rodou`, not run once the body is over.
    QObject contexto;
    QMetaObject::invokeMethod(
        &contexto, [&] { rodou = true; }, Qt::QueuedConnection);
    EXPECT_FALSE(rodou);
    janela->operador().processarEventos();
    EXPECT_TRUE(rodou);
}

// ---- the real boxes, built but not shown ----

struct Caixa {
    std::unique_ptr<QMessageBox> caixa;
    explicit Caixa(QMessageBox* c) : caixa(c) {}
    QMessageBox* operator->() const { return caixa.get(); }
};

TEST(DialogosReais, AvisoEAtencao)
{
    Caixa aviso(DialogosQt::caixaMensagem(nullptr, u8("feito"), true));
    EXPECT_EQ(aviso->windowTitle(), u8("A V I S O"));
    EXPECT_EQ(aviso->icon(), QMessageBox::Information);
    EXPECT_EQ(aviso->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(aviso->text(), u8("feito"));

    Caixa atencao(DialogosQt::caixaMensagem(nullptr, u8("cuidado"), false));
    EXPECT_EQ(atencao->windowTitle(), u8("A T E N Ç Ã O"));
    EXPECT_EQ(atencao->icon(), QMessageBox::Warning);
    EXPECT_EQ(atencao->standardButtons(), QMessageBox::Ok);
}

TEST(DialogosReais, ConfirmacaoSimOuNao)
{
    Caixa c(DialogosQt::caixaConfirma(nullptr, u8("Confirma ?")));
    EXPECT_EQ(c->windowTitle(), u8("C O N F I R M A Ç Ã O"));
    EXPECT_EQ(c->icon(), QMessageBox::Question);
    EXPECT_EQ(c->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(c->windowModality(), Qt::ApplicationModal);
}

// Qt's own button and file dialog texts come in Portuguese (qt6-translations-l10n).
TEST(DialogosReais, BotoesPadraoEmPortugues)
{
    Caixa pergunta(DialogosQt::caixaConfirma(nullptr, u8("Confirma ?")));
    EXPECT_EQ(pergunta->button(QMessageBox::Yes)->text(), u8("&Sim"));
    EXPECT_EQ(pergunta->button(QMessageBox::No)->text(), u8("&Não"));
    Caixa exclusao(DialogosQt::caixaExclusao(nullptr));
    EXPECT_EQ(exclusao->button(QMessageBox::Ok)->text(), u8("OK"));
    EXPECT_EQ(exclusao->button(QMessageBox::Cancel)->text(), u8("Cancelar"));
    // The dialog getOpenFileName opens where the desktop offers none of its own.
    QFileDialog arquivo(nullptr, QString(), QString(), textos::FiltroBancos);
    arquivo.setOption(QFileDialog::DontUseNativeDialog);
    arquivo.setFileMode(QFileDialog::ExistingFile);
    auto* botoes = arquivo.findChild<QDialogButtonBox*>();
    ASSERT_NE(botoes, nullptr);
    EXPECT_EQ(botoes->button(QDialogButtonBox::Open)->text(), u8("&Abrir"));
    EXPECT_EQ(botoes->button(QDialogButtonBox::Cancel)->text(), u8("Cancelar"));
}

TEST(DialogosReais, MensagemSimplesSemIconeComUmOK)
{
    Caixa c(DialogosQt::caixaSimples(u8("Marque uma ou mais de uma tabela para ser importado!!")));
    EXPECT_EQ(c->windowTitle(), u8("Importação do Pelbra para NORVO"));
    EXPECT_EQ(c->icon(), QMessageBox::NoIcon);
    ASSERT_EQ(c->buttons().size(), 1);
    EXPECT_EQ(c->buttons()[0]->text(), u8("OK"));
    EXPECT_EQ(c->parentWidget(), nullptr); // centred on the screen, not on the window
}

TEST(DialogosReais, FalhaComIconeDeErro)
{
    Caixa c(DialogosQt::caixaFalha(nullptr, u8("Unable to write to /x/Config.ini.")));
    EXPECT_EQ(c->windowTitle(), u8("Importação do Pelbra para NORVO"));
    EXPECT_EQ(c->icon(), QMessageBox::Critical);
    EXPECT_EQ(c->standardButtons(), QMessageBox::Ok);
}

TEST(DialogosReais, PerguntaDeExclusaoDaGrade)
{
    Caixa c(DialogosQt::caixaExclusao(nullptr));
    EXPECT_EQ(c->text(), u8("Delete record?"));
    EXPECT_EQ(c->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
}

// ---- default failure report ----

TEST(RelatorioDeFalha, PontoFinalAcrescentado)
{
    EXPECT_EQ(textoDaFalha(u8("Unable to write to /x/Config.ini")), u8("Unable to write to /x/Config.ini."));
    EXPECT_EQ(textoDaFalha(u8("barra/")), u8("barra/.")); // '/' is 0x2F
    EXPECT_EQ(textoDaFalha(u8("valor 0")), u8("valor 0."));
    EXPECT_EQ(textoDaFalha(u8("importação")), u8("importação."));
}

TEST(RelatorioDeFalha, SemPontoQuandoOUltimoCaracterNaoPassaDoPonto)
{
    EXPECT_EQ(textoDaFalha(u8("fim.")), u8("fim."));
    EXPECT_EQ(textoDaFalha(u8("fim!")), u8("fim!"));
    EXPECT_EQ(textoDaFalha(u8("fim ")), u8("fim "));
    EXPECT_EQ(textoDaFalha(u8("fim\r\n")), u8("fim\r\n"));
    EXPECT_EQ(textoDaFalha(u8("fim-")), u8("fim-")); // '-' is 0x2D
    EXPECT_EQ(textoDaFalha(u8("fim,")), u8("fim,")); // ',' is 0x2C
    EXPECT_EQ(textoDaFalha(u8("\"citado\"")), u8("\"citado\""));
    EXPECT_EQ(textoDaFalha(QString()), QString());
}

struct Explosivo : QObject {
    int recebidos = 0;
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (++recebidos == 1)
            throw std::runtime_error("Cannot open file \"/x.csv\". No such file");
        return true;
    }
};

// The application outlives the test body: the dialogs lent to it are taken back however
// the body ends, or a later report would land in a dead object.
struct DialogosEmprestados {
    AplicacaoImporta* app;
    DialogosEmprestados(AplicacaoImporta* a, Dialogos* d) : app(a) { app->setDialogos(d); }
    ~DialogosEmprestados() { app->setDialogos(nullptr); }
    DialogosEmprestados(const DialogosEmprestados&) = delete;
    DialogosEmprestados& operator=(const DialogosEmprestados&) = delete;
};

TEST(RelatorioDeFalha, FalhaNaoTratadaEMostradaEOProgramaContinua)
{
    auto* app = qobject_cast<AplicacaoImporta*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    DialogosFalsos dialogos;
    Explosivo alvo;
    {
        DialogosEmprestados emprestimo(app, &dialogos);
        QEvent evento(QEvent::User);
        EXPECT_FALSE(QCoreApplication::sendEvent(&alvo, &evento));
        EXPECT_TRUE(QCoreApplication::sendEvent(&alvo, &evento));
    }
    EXPECT_EQ(alvo.recebidos, 2);
    EXPECT_EQ(dialogos.textosDe("falha"), std::vector<QString>{u8("Cannot open file \"/x.csv\". No such file.")});
}

TEST(RelatorioDeFalha, JanelaSemDialogosPropriosUsaOsDaAplicacao)
{
    auto* app = qobject_cast<AplicacaoImporta*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    DialogosFalsos dialogos;
    PastaTemporaria pasta;
    {
        DialogosEmprestados emprestimo(app, &dialogos);
        OpcoesJanela o;
        o.pasta = QString::fromStdString(pasta.pasta());
        TFormImporta janela(o);
        janela.operador().mensagem("oi");
    }
    EXPECT_EQ(dialogos.textosDe("mensagem"), std::vector<QString>{u8("oi")});
}

} // namespace
} // namespace norvo::app::teste

#include "test_operador.moc"
