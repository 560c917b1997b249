#include "import/Etapas.h"

#include <stdexcept>

namespace norvo {

namespace {

const DefinicaoEtapa kEtapas[] = {
#define NORVO_ETAPA(rotina, titulo, opcao, tabela, esvaziarAntes, registro)                                            \
    {#rotina, titulo, Opcao::opcao, tabela, esvaziarAntes, registro, &rotina},
#include "import/ListaDeEtapas.h"
#undef NORVO_ETAPA
};

} // namespace

std::span<const DefinicaoEtapa> todasAsEtapas()
{
    return kEtapas;
}

const DefinicaoEtapa& definicaoDe(DefinicaoEtapa::Rotina rotina)
{
    for (const DefinicaoEtapa& e : kEtapas)
        if (e.executar == rotina)
            return e;
    throw std::logic_error("a stage routine without its line in ListaDeEtapas.h");
}

} // namespace norvo
