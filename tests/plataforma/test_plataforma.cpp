#include "PastaTemporaria.h"
#include "import/Pastas.h"
#include "plataforma/Arquivos.h"
#include "staging/LeitorCSV.h"
#include "texto/Arquivo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

using namespace norvo;
namespace fs = std::filesystem;

namespace {

void definir(const char* nome, const std::string& valor)
{
#ifdef _WIN32
    _putenv_s(nome, valor.c_str());
#else
    setenv(nome, valor.c_str(), 1);
#endif
}

} // namespace

// A shop's folders have accents ("Importação de Preços"): the program keeps the name in UTF-8
// and every file it writes, replaces and reads there is the one the system lists under that
// name (on Windows, through its wide-character calls); a folder is neither read nor written
// over as a file.
TEST(Plataforma, ArquivosNumaPastaComAcentos)
{
    teste::PastaTemporaria tmp;
    const std::string pasta =
        plataforma::emUtf8(tmp.caminho()) + plataforma::Separador + "Importa\xC3\xA7\xC3\xA3o de Pre\xC3\xA7os";
    ASSERT_TRUE(fs::create_directory(plataforma::caminho(pasta)));
    const std::string dentro = pasta + plataforma::Separador;
    EXPECT_EQ(plataforma::semEscritaEm(dentro), "");

    texto::salvarArquivo(dentro + "caf\xC3\xA9.csv", "1;Caf\xE9;UN\r\n");
    EXPECT_EQ(staging::lerArquivo(dentro + "caf\xC3\xA9.csv"), "1;Caf\xE9;UN\r\n");
    ASSERT_TRUE(plataforma::substituirArquivo(dentro + "Config.ini", "[Bancos]\r\nDestino=a\r\n"));
    ASSERT_TRUE(plataforma::substituirArquivo(dentro + "Config.ini", "[Bancos]\r\nDestino=b\r\n"));
    EXPECT_EQ(staging::lerArquivo(dentro + "Config.ini"), "[Bancos]\r\nDestino=b\r\n");

    std::vector<std::string> nomes;
    for (const auto& e : fs::directory_iterator(fs::path(tmp.caminho()) / u8"Importação de Preços"))
        nomes.push_back(plataforma::emUtf8(e.path().filename()));
    std::sort(nomes.begin(), nomes.end());
    EXPECT_EQ(nomes, (std::vector<std::string>{"Config.ini", "caf\xC3\xA9.csv"})); // nothing left behind

    EXPECT_EQ(plataforma::ArquivoDeLeitura(pasta).erro(), EISDIR);
    EXPECT_FALSE(plataforma::substituirArquivo(pasta, "x"));
    EXPECT_TRUE(fs::is_directory(plataforma::caminho(pasta)));
}

// Unpacked anywhere, the program keeps its files beside itself; installed, in the user's
// folders the system names, never in the folder it was installed in.
TEST(Plataforma, PastasDoProgramaDesempacotadoEInstalado)
{
    teste::PastaTemporaria tmp;
    const std::string solta = plataforma::emUtf8(tmp.caminho()) + plataforma::Separador;
    const Pastas aqui = pastasDoPrograma(solta);
    EXPECT_FALSE(aqui.instalado);
    EXPECT_EQ(aqui.config, solta);
    EXPECT_EQ(aqui.dados, solta);
    EXPECT_EQ(aqui.estagio, "ProdutosTARVEX.cds");

#ifdef _WIN32
    definir("ProgramFiles", "C:\\Program Files");
    definir("APPDATA", "C:\\Users\\t\\AppData\\Roaming");
    definir("LOCALAPPDATA", "C:\\Users\\t\\AppData\\Local\\");
    const Pastas instalado = pastasDoPrograma("C:\\program files\\ImportaNorvo\\");
    EXPECT_TRUE(instalado.instalado);
    EXPECT_EQ(instalado.config, "C:\\Users\\t\\AppData\\Roaming\\ImportaNorvo\\");
    EXPECT_EQ(instalado.dados, "C:\\Users\\t\\AppData\\Local\\ImportaNorvo\\");
    EXPECT_EQ(instalado.estagio, "C:\\Users\\t\\AppData\\Local\\ImportaNorvo\\ProdutosTARVEX.cds");
    EXPECT_FALSE(pastasDoPrograma("C:\\Program Files Antigos\\ImportaNorvo\\").instalado);
#else
    definir("XDG_CONFIG_HOME", "/casa/t/.config");
    definir("XDG_DATA_HOME", "/casa/t/dados/");
    const Pastas instalado = pastasDoPrograma(pastaDeInstalacao());
    EXPECT_TRUE(instalado.instalado);
    EXPECT_EQ(instalado.config, "/casa/t/.config/importa-norvo/");
    EXPECT_EQ(instalado.dados, "/casa/t/dados/importa-norvo/");
    EXPECT_EQ(instalado.estagio, "/casa/t/dados/importa-norvo/ProdutosTARVEX.cds");
#endif
}
