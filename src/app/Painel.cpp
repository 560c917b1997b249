#include "app/Painel.h"

#include <QPainter>
#include <QResizeEvent>
#include <qdrawutil.h>

namespace norvo::app {

Painel::Painel(QWidget* pai, Chanfro externo, Chanfro interno) : QWidget(pai), externo_(externo), interno_(interno)
{
    setAutoFillBackground(true);
}

void Painel::alinhar(QWidget* filho, Borda borda, int tamanho, Medida medida, int desenho)
{
    alinhados_.push_back({filho, borda, tamanho, medida, desenho});
    posicionar();
}

int Painel::espessura() const
{
    return (externo_ != Chanfro::Nenhum ? 1 : 0) + (interno_ != Chanfro::Nenhum ? 1 : 0);
}

void Painel::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    posicionar();
}

void Painel::posicionar()
{
    const int b = espessura();
    int esquerda = b, topo = b, direita = width() - b, base = height() - b;
    for (Borda vez : {Borda::Topo, Borda::Base, Borda::Esquerda, Borda::Direita}) {
        for (const Alinhado& a : alinhados_) {
            if (a.borda != vez)
                continue;
            const int largura = qMax(0, direita - esquerda);
            const int altura = qMax(0, base - topo);
            const bool deitada = a.borda == Borda::Topo || a.borda == Borda::Base;
            const int extensao = deitada ? height() : width();
            int tamanho = a.tamanho;
            if (a.medida == Medida::Cresce)
                tamanho = qMax(a.tamanho, a.tamanho + extensao - a.desenho);
            else if (a.medida == Medida::Proporcional && a.desenho > 0)
                tamanho = qMax(a.tamanho, a.tamanho * extensao / a.desenho);
            switch (a.borda) {
            case Borda::Topo:
                a.filho->setGeometry(esquerda, topo, largura, tamanho);
                topo += tamanho;
                break;
            case Borda::Base:
                a.filho->setGeometry(esquerda, base - tamanho, largura, tamanho);
                base -= tamanho;
                break;
            case Borda::Esquerda:
                a.filho->setGeometry(esquerda, topo, tamanho, altura);
                esquerda += tamanho;
                break;
            case Borda::Direita:
                a.filho->setGeometry(direita - tamanho, topo, tamanho, altura);
                direita -= tamanho;
                break;
            }
        }
    }
}

void Painel::paintEvent(QPaintEvent*)
{
    if (externo_ == Chanfro::Nenhum && interno_ == Chanfro::Nenhum)
        return;
    QPainter p(this);
    QRect r = rect();
    for (Chanfro c : {externo_, interno_}) {
        if (c == Chanfro::Nenhum)
            continue;
        qDrawShadePanel(&p, r, palette(), c == Chanfro::Baixo, 1);
        r.adjust(1, 1, -1, -1);
    }
}

} // namespace norvo::app
