#include "import/Operador.h"

namespace norvo {

void Operador::desfecho(const std::string& aviso, const std::string& texto, const std::string& causas)
{
    detalhes(causas);
    try {
        mostraMensagem(aviso, true);
    } catch (...) {
        status(texto);
        throw;
    }
    status(texto);
}

} // namespace norvo
