#include "app/Dialogos.h"

#include <memory>

#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QFileInfo>
#include <QMessageBox>

namespace norvo::app {

namespace {
int executar(QMessageBox* caixa)
{
    std::unique_ptr<QMessageBox> dono(caixa);
    return dono->exec();
}
} // namespace

QString textoDaFalha(const QString& mensagem)
{
    if (!mensagem.isEmpty() && mensagem.back().unicode() > u'.')
        return mensagem + u'.';
    return mensagem;
}

QMessageBox* DialogosQt::caixaMensagem(QWidget* dono, const QString& texto, bool aviso)
{
    return new QMessageBox(aviso ? QMessageBox::Information : QMessageBox::Warning,
                           aviso ? textos::TituloAviso : textos::TituloAtencao, texto, QMessageBox::Ok, dono);
}

QMessageBox* DialogosQt::caixaConfirma(QWidget* dono, const QString& texto)
{
    auto* caixa = new QMessageBox(QMessageBox::Question, textos::TituloConfirmacao, texto,
                                  QMessageBox::Yes | QMessageBox::No, dono);
    // Application-modal: no window of the program takes input while the question is open.
    caixa->setWindowModality(Qt::ApplicationModal);
    return caixa;
}

QMessageBox* DialogosQt::caixaSimples(const QString& texto)
{
    // No owner, so the window manager centres it on the screen.
    return new QMessageBox(QMessageBox::NoIcon, textos::TituloAplicacao, texto, QMessageBox::Ok);
}

QMessageBox* DialogosQt::caixaFalha(QWidget* dono, const QString& texto)
{
    return new QMessageBox(QMessageBox::Critical, textos::TituloAplicacao, texto, QMessageBox::Ok, dono);
}

QMessageBox* DialogosQt::caixaExclusao(QWidget* dono)
{
    auto* caixa = new QMessageBox(QMessageBox::Question, textos::TituloExcluir, textos::PerguntaExcluir,
                                  QMessageBox::Ok | QMessageBox::Cancel, dono);
    caixa->setDefaultButton(QMessageBox::Ok);
    return caixa;
}

void DialogosQt::mostraMensagem(QWidget* dono, const QString& texto, bool aviso, const QString& detalhes)
{
    QMessageBox* caixa = caixaMensagem(dono, texto, aviso);
    if (!detalhes.isEmpty())
        caixa->setDetailedText(detalhes);
    executar(caixa);
}

bool DialogosQt::confirma(QWidget* dono, const QString& texto)
{
    return executar(caixaConfirma(dono, texto)) == QMessageBox::Yes;
}

void DialogosQt::mensagem(QWidget*, const QString& texto)
{
    executar(caixaSimples(texto));
}

void DialogosQt::falha(QWidget* dono, const QString& texto)
{
    executar(caixaFalha(dono, texto));
}

bool DialogosQt::confirmaExclusao(QWidget* dono)
{
    return executar(caixaExclusao(dono)) == QMessageBox::Ok;
}

std::optional<QString> DialogosQt::escolherArquivoCSV(QWidget* dono, const QString& ultimo)
{
    const QString nome = QFileDialog::getOpenFileName(dono, QString(), ultimo);
    if (nome.isEmpty())
        return std::nullopt;
    return nome;
}

std::optional<QString> DialogosQt::escolherOndeSalvar(QWidget* dono, const QString& titulo, const QString& sugestao)
{
    const QString nome = QFileDialog::getSaveFileName(dono, titulo, sugestao, textos::FiltroCSV);
    if (nome.isEmpty())
        return std::nullopt;
    return nome;
}

std::optional<QString> DialogosQt::escolherBanco(QWidget* dono, const QString& atual)
{
    const QString pasta = atual.isEmpty() ? QString() : QFileInfo(atual).absolutePath();
    const QString nome = QFileDialog::getOpenFileName(dono, textos::TituloProcurar, pasta, textos::FiltroBancos);
    if (nome.isEmpty())
        return std::nullopt;
    return nome;
}

QDialog* DialogosQt::janelaDoLog(QWidget* dono, const QString& caminho, const QString& conteudo)
{
    auto* janela = new QDialog(dono);
    janela->setObjectName(QStringLiteral("JanelaDoLog"));
    janela->setWindowTitle(textos::TituloLog);
    janela->resize(640, 420);
    auto* layout = new QVBoxLayout(janela);
    auto* onde = new QLabel(caminho, janela);
    onde->setObjectName(QStringLiteral("CaminhoDoLog"));
    onde->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(onde);
    auto* texto = new QPlainTextEdit(janela);
    texto->setObjectName(QStringLiteral("TextoDoLog"));
    texto->setReadOnly(true);
    texto->setLineWrapMode(QPlainTextEdit::NoWrap);
    texto->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    texto->setPlainText(conteudo);
    layout->addWidget(texto);
    auto* botoes = new QDialogButtonBox(QDialogButtonBox::Close, janela);
    auto* copiar = botoes->addButton(textos::CopiarCaminho, QDialogButtonBox::ActionRole);
    copiar->setObjectName(QStringLiteral("CopiarCaminho"));
    QObject::connect(copiar, &QPushButton::clicked, janela,
                     [caminho] { QGuiApplication::clipboard()->setText(caminho); });
    QObject::connect(botoes, &QDialogButtonBox::rejected, janela, &QDialog::reject);
    layout->addWidget(botoes);
    return janela;
}

void DialogosQt::mostrarLog(QWidget* dono, const QString& caminho, const QString& conteudo)
{
    std::unique_ptr<QDialog> janela(janelaDoLog(dono, caminho, conteudo));
    janela->exec();
}

Dialogos& DialogosQt::padrao()
{
    static DialogosQt instancia;
    return instancia;
}

} // namespace norvo::app
