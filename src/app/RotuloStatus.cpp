#include "app/RotuloStatus.h"

#include <QPainter>
#include <QResizeEvent>
#include <QStyle>

namespace norvo::app {

RotuloStatus::RotuloStatus(QWidget* pai) : QLabel(pai) {}

void RotuloStatus::mostrar(const QString& texto)
{
    setText(texto);
    atualizarDica();
    update();
}

bool RotuloStatus::cabe() const
{
    return fontMetrics().horizontalAdvance(text()) <= contentsRect().width();
}

void RotuloStatus::atualizarDica()
{
    setToolTip(cabe() ? QString() : text());
}

void RotuloStatus::resizeEvent(QResizeEvent* e)
{
    QLabel::resizeEvent(e);
    atualizarDica();
}

void RotuloStatus::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = contentsRect();
    const QString visivel = fontMetrics().elidedText(text(), Qt::ElideRight, r.width());
    style()->drawItemText(&p, r, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), visivel, foregroundRole());
}

} // namespace norvo::app
