#include "texto/Arquivo.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "plataforma/Arquivos.h"
#include "texto/Error.h"
#include "texto/Latin1.h"

namespace norvo::texto {

namespace {

Error falha(const std::string& caminho, int erro)
{
    return Error("Cannot create file \"" + CaminhoEmTexto(caminho) + "\". " + std::strerror(erro));
}

} // namespace

ArquivoNovo::ArquivoNovo(std::string caminho)
    : caminho_(std::move(caminho)), f_(plataforma::abrirArquivo(caminho_, "wb"))
{
    if (!f_)
        throw falha(caminho_, errno);
}

ArquivoNovo::~ArquivoNovo()
{
    if (f_)
        std::fclose(f_);
}

void ArquivoNovo::escrever(std::string_view bytes)
{
    if (erro_ == 0 && std::fwrite(bytes.data(), 1, bytes.size(), f_) != bytes.size())
        erro_ = errno;
}

void ArquivoNovo::fechar()
{
    // fclose may change errno: the write's own reason is the one to report.
    if (std::fclose(std::exchange(f_, nullptr)) != 0 && erro_ == 0)
        erro_ = errno;
    if (erro_ != 0)
        throw falha(caminho_, erro_);
}

void salvarArquivo(const std::string& caminho, std::string_view bytes)
{
    ArquivoNovo f(caminho);
    f.escrever(bytes);
    f.fechar();
}

} // namespace norvo::texto
