#include "texto/Arquivo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "texto/Error.h"
#include "texto/Latin1.h"

namespace norvo::texto {

void salvarArquivo(const std::string& caminho, std::string_view bytes)
{
    auto falha = [&](int erro) {
        return Error("Cannot create file \"" + CaminhoEmTexto(caminho) + "\". " + std::strerror(erro));
    };
    std::FILE* f = std::fopen(caminho.c_str(), "wb");
    if (!f)
        throw falha(errno);
    const bool escrito = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    // fclose may change errno: the write's own reason is the one to report.
    const int erroEscrita = errno;
    if (std::fclose(f) != 0 || !escrito)
        throw falha(escrito ? errno : erroEscrita);
}

} // namespace norvo::texto
