#include "staging/ResultadoLeitura.h"

#include <algorithm>

#include "texto/Latin1.h"

namespace norvo::staging {

using texto::Utf8ParaLatin1;

long ResultadoLeitura::totalNotas() const
{
    long n = 0;
    for (long v : porTipo)
        n += v;
    return n;
}

std::string ResultadoLeitura::resumo(std::size_t limite) const
{
    const long total = totalNotas();
    if (total == 0)
        return {};
    std::string t = Utf8ParaLatin1("Notas da leitura (") + std::to_string(total) + "):";
    const bool todas = static_cast<std::size_t>(total) <= limite && naoGuardadas == 0;
    const std::size_t mostrar = todas ? notas.size() : std::min(notas.size(), limite / 2);
    for (std::size_t i = 0; i < mostrar; ++i)
        t += "\n  " + notas[i].texto();
    if (todas)
        return t;
    t += "\n  ... " + Utf8ParaLatin1("e mais ") + std::to_string(total - static_cast<long>(mostrar)) + ". Por tipo:";
    for (std::size_t k = 0; k < NotaLeitura::NumTipos; ++k)
        if (porTipo[k] > 0)
            t += "\n    " + std::to_string(porTipo[k]) + " " + NotaLeitura::nomeDoTipo(NotaLeitura::Tipo(k));
    return t;
}

} // namespace norvo::staging
