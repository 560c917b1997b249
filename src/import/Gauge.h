#pragma once
#include "import/Operador.h"

namespace norvo {

// GaugeImportando's state; every change is passed on to the operator.
class Gauge {
public:
    explicit Gauge(Operador& op) : op_(op) {}
    void definir(int maximo);
    void avancar();
    void zerar();
    int maximo() const { return maximo_; }

private:
    Operador& op_;
    int maximo_ = 100;
    int progresso_ = 0;
};

} // namespace norvo
