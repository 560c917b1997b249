#include "import/Pastas.h"

#include "plataforma/Arquivos.h"
#include "plataforma/Sistema.h"

#include <cstdlib>
#include <filesystem>

namespace norvo {

std::string comSeparador(std::string pasta)
{
    if (!pasta.empty() && !plataforma::terminaEmSeparador(pasta))
        pasta += plataforma::Separador;
    return pasta;
}

std::string pastaDeInstalacao()
{
    return comSeparador(NORVO_PASTA_INSTALADA);
}

Pastas pastasDoPrograma(const std::string& pastaExecutavel)
{
    Pastas p;
    const std::string aqui = comSeparador(pastaExecutavel);
    p.instalado = plataforma::executavelInstalado(aqui, pastaDeInstalacao());
    if (!p.instalado) {
        p.config = p.dados = aqui;
        return p;
    }
    // With no folder of the user's, the current folder: not a shared one such as /tmp, where
    // anyone could have laid a link for the logs.
    p.config = plataforma::pastaDeConfiguracao();
    p.dados = plataforma::pastaDeDados();
    if (p.config.empty())
        p.config = comSeparador(".");
    if (p.dados.empty())
        p.dados = comSeparador(".");
    p.estagio = p.dados + p.estagio;
    return p;
}

void criarPastas(const Pastas& pastas)
{
    std::error_code erro;
    std::filesystem::create_directories(plataforma::caminho(pastas.config), erro);
    std::filesystem::create_directories(plataforma::caminho(pastas.dados), erro);
    // The staging file's own folder: the data folder, unless the logs were sent elsewhere.
    const std::filesystem::path estagio = plataforma::caminho(pastas.estagio).parent_path();
    if (!estagio.empty())
        std::filesystem::create_directories(estagio, erro);
}

} // namespace norvo
