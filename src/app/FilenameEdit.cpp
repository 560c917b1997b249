#include "app/FilenameEdit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QResizeEvent>
#include <QToolButton>
#include <QUrl>

namespace norvo::app {

namespace {
// The first local file among the dropped items; several may be dropped, one is taken.
QString primeiroArquivo(const QMimeData* dados)
{
    if (!dados || !dados->hasUrls())
        return {};
    for (const QUrl& url : dados->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}
} // namespace

FilenameEdit::FilenameEdit(QWidget* pai) : QWidget(pai), linha_(new QLineEdit(this)), botao_(new QToolButton(this))
{
    linha_->setReadOnly(true);
    linha_->setObjectName(QStringLiteral("Texto"));
    // Drops go to the box as a whole, not to the line's own text drop handling.
    linha_->setAcceptDrops(false);
    setAcceptDrops(true);
    botao_->setObjectName(QStringLiteral("BotaoProcurar"));
    botao_->setText(QStringLiteral("..."));
    botao_->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(linha_);
    connect(linha_, &QLineEdit::textChanged, this, &FilenameEdit::textChanged);
    connect(botao_, &QToolButton::clicked, this, &FilenameEdit::procurar);
}

QString FilenameEdit::text() const
{
    return linha_->text();
}

void FilenameEdit::setText(const QString& texto)
{
    linha_->setText(texto);
}

QString FilenameEdit::textoDoCaminho(const QString& caminho)
{
    return caminho.contains(u' ') ? u'"' + caminho + u'"' : caminho;
}

void FilenameEdit::resizeEvent(QResizeEvent* e)
{
    const int w = e->size().width();
    const int h = e->size().height();
    linha_->setGeometry(0, 0, qMax(0, w - LarguraBotao), h);
    botao_->setGeometry(qMax(0, w - LarguraBotao), 0, qMin(w, LarguraBotao), h);
}

void FilenameEdit::dragEnterEvent(QDragEnterEvent* e)
{
    if (isEnabled() && !primeiroArquivo(e->mimeData()).isEmpty())
        e->acceptProposedAction();
    else
        e->ignore();
}

void FilenameEdit::dragMoveEvent(QDragMoveEvent* e)
{
    if (isEnabled() && !primeiroArquivo(e->mimeData()).isEmpty())
        e->acceptProposedAction();
    else
        e->ignore();
}

void FilenameEdit::dropEvent(QDropEvent* e)
{
    if (soltar(e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}

bool FilenameEdit::soltar(const QMimeData* dados)
{
    const QString arquivo = isEnabled() ? primeiroArquivo(dados) : QString();
    if (arquivo.isEmpty())
        return false;
    setText(textoDoCaminho(arquivo));
    return true;
}

void FilenameEdit::procurar()
{
    if (!escolher_ || !isEnabled())
        return;
    if (const auto escolhido = escolher_(text()))
        setText(textoDoCaminho(*escolhido));
}

} // namespace norvo::app
