#include "import/EtapaDoEstagio.h"

namespace norvo {

void PercursoDoEstagio::primeiro()
{
    registros_.first(); // settles a pending record and shows the first one
    posicao_ = 0;
    total_ = registros_.recordCount();
}

void PercursoDoEstagio::proximo()
{
    if (++posicao_ < total_)
        registros_.setCurrent(posicao_); // the grid follows the walk
}

} // namespace norvo
