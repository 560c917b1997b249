#include "import/ResumoEtapa.h"

#include "import/Textos.h"

namespace norvo {

std::string textoDasCausas(const ResumoEtapa& r)
{
    std::string t;
    for (const CausaDeFalha& c : r.causas) {
        t += "\n    " + std::to_string(c.vezes) + "x " + c.causa + " - registros: ";
        for (std::size_t i = 0; i < c.registros.size(); ++i) {
            const CausaDeFalha::Registro& reg = c.registros[i];
            t += (i ? ", " : "") + reg.nome;
            if (reg.linha > 0)
                t += " (linha " + std::to_string(reg.linha) + ")";
        }
        if (c.vezes > static_cast<long>(c.registros.size()))
            t += ", ...";
    }
    if (r.semCidade > 0) {
        t += "\n    " + std::to_string(r.semCidade) + textos::CidadesNaoEncontradas;
        for (std::size_t i = 0; i < r.cidadesNaoEncontradas.size(); ++i)
            t += (i ? ", " : "") + r.cidadesNaoEncontradas[i].first + " (" +
                 std::to_string(r.cidadesNaoEncontradas[i].second) + ")";
    }
    return t;
}

} // namespace norvo
