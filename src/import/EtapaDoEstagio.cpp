#include "import/EtapaDoEstagio.h"

namespace norvo {

void EtapaDoEstagio::primeiro()
{
    mostrarPrimeiro(); // settles a pending record and shows the first one
    posicao_ = 0;
    total_ = estagio().recordCount();
}

void EtapaDoEstagio::proximo()
{
    if (++posicao_ < total_)
        mostrar(posicao_); // the grid follows the walk
}

} // namespace norvo
