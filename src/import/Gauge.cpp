#include "import/Gauge.h"

namespace norvo {

void Gauge::definir(int maximo)
{
    maximo_ = maximo;
    progresso_ = 0;
    op_.gauge(0, maximo_, progresso_);
}

void Gauge::avancar()
{
    if (progresso_ < maximo_)
        ++progresso_;
    op_.gauge(0, maximo_, progresso_);
}

void Gauge::zerar()
{
    progresso_ = 0;
    op_.gauge(0, maximo_, progresso_);
}

} // namespace norvo
