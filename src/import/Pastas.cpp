#include "import/Pastas.h"

#include "plataforma/Arquivos.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace norvo {

namespace {

constexpr const char* kNome = "importa-norvo";

// Empty when the user has none the system knows of.
std::string pastaPessoal()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

// The folder an XDG variable names when it is absolute (a relative one does not count),
// else its default under the home folder. With neither, the current folder: not a shared one
// such as /tmp, where anyone could have laid a link for the logs.
std::string pastaXdg(const char* variavel, const char* padrao)
{
    const char* valor = std::getenv(variavel);
    if (valor && valor[0] == '/')
        return comSeparador(valor) + kNome + "/";
    const std::string pessoal = pastaPessoal();
    if (pessoal.empty())
        return "./";
    return comSeparador(pessoal) + padrao + kNome + "/";
}

} // namespace

std::string comSeparador(std::string pasta)
{
    if (!pasta.empty() && pasta.back() != '/')
        pasta += '/';
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
    std::error_code erro; // a folder that does not exist is simply not the installed one
    p.instalado = aqui == pastaDeInstalacao() || std::filesystem::equivalent(aqui, pastaDeInstalacao(), erro);
    if (!p.instalado) {
        p.config = p.dados = aqui;
        return p;
    }
    p.config = pastaXdg("XDG_CONFIG_HOME", ".config/");
    p.dados = pastaXdg("XDG_DATA_HOME", ".local/share/");
    p.estagio = p.dados + p.estagio;
    return p;
}

void criarPastas(const Pastas& pastas)
{
    std::error_code erro;
    std::filesystem::create_directories(pastas.config, erro);
    std::filesystem::create_directories(pastas.dados, erro);
    // The staging file's own folder: the data folder, unless the logs were sent elsewhere.
    const std::filesystem::path estagio = std::filesystem::path(pastas.estagio).parent_path();
    if (!estagio.empty())
        std::filesystem::create_directories(estagio, erro);
}

} // namespace norvo
