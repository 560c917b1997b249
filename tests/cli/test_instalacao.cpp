// What an installed copy relies on: its folders and its manual page.
#include "cli/Argumentos.h"
#include "import/Pastas.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>

using namespace norvo;
namespace fs = std::filesystem;

namespace {

// Sets an environment variable for one scope (nullptr: unset) and puts the old value back.
class Variavel {
public:
    Variavel(const char* nome, const char* valor) : nome_(nome)
    {
        if (const char* v = std::getenv(nome))
            antes_ = v;
        valor ? setenv(nome, valor, 1) : unsetenv(nome);
    }
    ~Variavel() { antes_ ? setenv(nome_, antes_->c_str(), 1) : unsetenv(nome_); }

private:
    const char* nome_;
    std::optional<std::string> antes_;
};

std::set<std::string> opcoes(const std::string& texto)
{
    static const std::regex opcao("--[a-z][a-z-]*");
    std::set<std::string> r;
    for (auto i = std::sregex_iterator(texto.begin(), texto.end(), opcao); i != std::sregex_iterator(); ++i)
        r.insert(i->str());
    return r;
}

} // namespace

TEST(Instalacao, ForaDaPastaDeCompilacaoOsArquivosVaoParaAsPastasDoUsuario)
{
    Variavel home("HOME", "/home/tecnico"), config("XDG_CONFIG_HOME", nullptr), dados("XDG_DATA_HOME", nullptr);

    // Run from where it was built: everything beside it, the staging file where the shell is.
    Pastas p = pastasDoPrograma("/work/importa/build/src/cli");
    EXPECT_FALSE(p.instalado);
    EXPECT_EQ(p.config, "/work/importa/build/src/cli/");
    EXPECT_EQ(p.dados, "/work/importa/build/src/cli/");
    EXPECT_EQ(p.estagio, "ProdutosTARVEX.cds");

    p = pastasDoPrograma(pastaDeInstalacao());
    EXPECT_TRUE(p.instalado);
    EXPECT_EQ(p.config, "/home/tecnico/.config/importa-norvo/");
    EXPECT_EQ(p.dados, "/home/tecnico/.local/share/importa-norvo/");
    EXPECT_EQ(p.estagio, "/home/tecnico/.local/share/importa-norvo/ProdutosTARVEX.cds");

    // Reached by another path to the same folder (a link), it is still the installed copy.
    const fs::path ligacao = fs::temp_directory_path() / ("instalada-" + std::to_string(getpid()));
    fs::create_directory_symlink(pastaDeInstalacao(), ligacao);
    const bool instalada = pastasDoPrograma(ligacao.string()).instalado;
    fs::remove(ligacao);
    EXPECT_TRUE(instalada);

    // The variables are obeyed when absolute; a relative one is ignored, as the rules say.
    Variavel c2("XDG_CONFIG_HOME", "/srv/config/"), d2("XDG_DATA_HOME", "dados");
    p = pastasDoPrograma(pastaDeInstalacao());
    EXPECT_EQ(p.config, "/srv/config/importa-norvo/");
    EXPECT_EQ(p.dados, "/home/tecnico/.local/share/importa-norvo/");

    // Logs sent elsewhere (--logs) by a user who never ran it: the staging file's folder is
    // made all the same.
    const fs::path casa = fs::temp_directory_path() / ("casa-" + std::to_string(getpid()));
    Variavel h2("HOME", casa.c_str()), d3("XDG_DATA_HOME", nullptr);
    p = pastasDoPrograma(pastaDeInstalacao());
    p.dados = (casa / "logs/").string();
    criarPastas(p);
    EXPECT_TRUE(fs::is_directory(casa / ".local/share/importa-norvo")) << p.estagio;
    EXPECT_TRUE(fs::is_directory(casa / "logs"));
    fs::remove_all(casa);
}

// The manual page is written by hand: every option --help lists must be in it, and no other.
TEST(Instalacao, OManualTrazAsOpcoesDaAjuda)
{
    std::ifstream f(NORVO_MANUAL_CLI);
    ASSERT_TRUE(f) << NORVO_MANUAL_CLI;
    std::stringstream ss;
    ss << f.rdbuf();
    const std::string manual = std::regex_replace(ss.str(), std::regex(R"(\\-)"), "-");
    EXPECT_EQ(opcoes(manual), opcoes(cli::textoDeAjuda()));
    EXPECT_GE(opcoes(cli::textoDeAjuda()).size(), 13u);
}
