#include "import/Logs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace norvo {

void salvarLista(const std::vector<std::string>& entradas, const std::string& caminho)
{
    std::string conteudo;
    for (const std::string& e : entradas) {
        conteudo += e;
        conteudo += "\r\n";
    }
    auto falha = [&] {
        return std::runtime_error("Cannot create file \"" + caminho + "\". " + std::strerror(errno));
    };
    std::FILE* f = std::fopen(caminho.c_str(), "wb");
    if (!f)
        throw falha();
    const bool escrito = std::fwrite(conteudo.data(), 1, conteudo.size(), f) == conteudo.size();
    if (std::fclose(f) != 0 || !escrito)
        throw falha();
}

} // namespace norvo
