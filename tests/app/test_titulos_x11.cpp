// The captions as the X server holds them. Qt's xcb plugin may add text of its own to the
// title a widget sets (the application display name, when one is set), so they are read back
// from the server with xprop rather than from windowTitle(). Needs a real X server: ctest
// runs this under Xvfb on the xcb platform (see CMakeLists.txt).
#include <memory>
#include <string>

#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <gtest/gtest.h>

#include "ExecutarTestes.h"

#include "DialogosFalsos.h"
#include "PastaTemporaria.h"
#include "app/AplicacaoImporta.h"
#include "app/FormImporta.h"

namespace {

// One property of a window, byte for byte. Asked for as 8-bit numbers so xprop does not
// escape the non-ASCII bytes according to the locale.
std::string propriedade(WId janela, const char* nome)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(janela), QStringLiteral("-f"),
                                          QLatin1String(nome), QStringLiteral("8c"), QLatin1String(nome)});
    if (!xprop.waitForFinished(10000) || xprop.exitCode() != 0) {
        ADD_FAILURE() << "xprop failed: " << xprop.errorString().toStdString();
        return {};
    }
    const QByteArray saida = xprop.readAllStandardOutput(); // NAME(TYPE) = 73, 109, ...
    const auto igual = saida.indexOf(" = ");
    if (igual < 0) {
        ADD_FAILURE() << nome << ": " << saida.toStdString();
        return {};
    }
    QByteArray bytes;
    for (const QByteArray& numero : saida.mid(igual + 3).split(','))
        bytes.append(static_cast<char>(numero.trimmed().toInt()));
    return bytes.toStdString();
}

} // namespace

TEST(TitulosX11, OServidorRecebeOsTitulosComoDefinidos)
{
    using namespace norvo::app;
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    norvo::teste::PastaTemporaria pasta;
    teste::DialogosFalsos dialogos;
    OpcoesJanela opcoes;
    opcoes.pasta = QString::fromStdString(pasta.pasta());
    opcoes.dialogos = &dialogos;
    TFormImporta janela(opcoes);
    janela.show();
    // Shown without exec(), so nothing waits for an answer.
    const QString texto = QStringLiteral("x");
    std::unique_ptr<QMessageBox> aviso(DialogosQt::caixaMensagem(&janela, texto, true));
    std::unique_ptr<QMessageBox> atencao(DialogosQt::caixaMensagem(&janela, texto, false));
    std::unique_ptr<QMessageBox> pergunta(DialogosQt::caixaConfirma(&janela, texto));
    std::unique_ptr<QMessageBox> simples(DialogosQt::caixaSimples(texto));
    for (QMessageBox* caixa : {aviso.get(), atencao.get(), pergunta.get(), simples.get()})
        caixa->show();
    QCoreApplication::processEvents();
    QGuiApplication::sync();

    EXPECT_EQ(propriedade(janela.winId(), "_NET_WM_NAME"), std::string("Importação de Firebird [TARVEX]->[NORVO] "));
    EXPECT_EQ(propriedade(aviso->winId(), "_NET_WM_NAME"), std::string("A V I S O"));
    EXPECT_EQ(propriedade(atencao->winId(), "_NET_WM_NAME"), std::string("A T E N Ç Ã O"));
    EXPECT_EQ(propriedade(pergunta->winId(), "_NET_WM_NAME"), std::string("C O N F I R M A Ç Ã O"));
    EXPECT_EQ(propriedade(simples->winId(), "_NET_WM_NAME"), std::string("Importação do Pelbra para NORVO"));
    // The task bar groups by the class part of WM_CLASS: instance, NUL, class, NUL. X11
    // reads it as Latin-1, so it carries no UTF-8 bytes (nor any other non-ASCII ones).
    const std::string classe = propriedade(janela.winId(), "WM_CLASS");
    const std::string nul(1, '\0');
    EXPECT_TRUE(classe.ends_with(nul + "Importacao do Pelbra para NORVO" + nul)) << classe;
    for (unsigned char c : classe)
        EXPECT_LT(c, 0x80) << classe;
}

int main(int argc, char** argv)
{
    return norvo::app::teste::executarTestes(argc, argv, "test_titulos_x11_");
}
