// The command line end to end: usage, a run over a small file, exit codes and logs.
#include "BancoTeste.h"
#include "cli/Argumentos.h"
#include "import/Textos.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace norvo;
using namespace norvo::teste;
namespace fs = std::filesystem;

namespace {

struct Saida {
    int codigo;
    std::string texto;
};

Saida rodar(const std::string& args)
{
    const std::string cmd = std::string(NORVO_CLI) + " " + args + " 2>&1 </dev/null";
    std::FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    const int status = pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string ler(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return f ? s.str() : "<missing>";
}

struct LinhaDeComando : ::testing::Test {
    fs::path pasta = fs::temp_directory_path() / ("norvo-cli-" + std::to_string(::getpid()) + "-" +
                                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
    LinhaDeComando()
    {
        fs::remove_all(pasta);
        fs::create_directories(pasta);
    }
    ~LinhaDeComando() override { fs::remove_all(pasta); }
    std::string csv(const std::string& conteudo)
    {
        std::ofstream(pasta / "p.csv", std::ios::binary) << conteudo;
        return (pasta / "p.csv").string();
    }
};

} // namespace

TEST(Argumentos, UsoRuimEhRecusado)
{
    EXPECT_THROW(cli::lerArgumentos({"--destino", "x"}), std::invalid_argument);
    EXPECT_THROW(cli::lerArgumentos({"--produtos", "--destino", "x"}), std::invalid_argument);
    EXPECT_THROW(cli::lerArgumentos({"--clientes"}), std::invalid_argument);
    EXPECT_THROW(cli::lerArgumentos({"--csv"}), std::invalid_argument);
    EXPECT_THROW(cli::lerArgumentos({"--talvez"}), std::invalid_argument);
    const auto a = cli::lerArgumentos({"--clientes", "--destino", "/d.fdb", "--origem", "/o.fdb", "--sim"});
    EXPECT_TRUE(a.clientes && a.sim && !a.produtos);
    EXPECT_EQ(a.origem.value_or(""), "/o.fdb");
    EXPECT_EQ(rodar("--bogus").codigo, 2);
    EXPECT_EQ(rodar("--help").codigo, 0);
}

TEST_F(LinhaDeComando, ImportaArquivoPequenoEDizOQueGravou)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino());
    const std::string arquivo = csv("1;ARROZ;UN;xx018;;xxx01;xxx01;10063021;5,50\r\n"
                                    "2;FEIJAO;KG;xx018;;xxx01;xxx01;07133399;7.25\r\n"
                                    "3;SAL;UN;xx018;;xxx01;xxx01;25010020;1.234,56\r\n");
    const Saida s = rodar("--csv " + arquivo + " --destino " + banco.caminho() + " --produtos --sim --logs " +
                          pasta.string());
    EXPECT_EQ(s.codigo, 0) << s.texto;
    EXPECT_NE(s.texto.find("Total do Contador: 3"), std::string::npos) << s.texto;
    EXPECT_NE(s.texto.find("ImportaProdutos: 3 gravados, 0 falhas"), std::string::npos) << s.texto;
    EXPECT_NE(s.texto.find("Importação finalizada com sucesso"), std::string::npos) << s.texto;
    EXPECT_EQ(banco.consultar("SELECT UNI_CODIGO, UNI_UNIDADE, UNI_DESCRICAO FROM TIPOUNIDADE ORDER BY 1"),
              (std::vector<std::vector<std::string>>{{"1", "UN", "UN"}, {"2", "KG", "KG"}}));
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM CODIGONCM"), "3");
    EXPECT_EQ(banco.valor("SELECT GER_VALOR FROM GERACODIGO WHERE GER_TABELA = 'TIPOUNIDADE'"), "3");
    EXPECT_EQ(banco.valor("SELECT ITL_PRECOATUAL FROM ITENSLISTA WHERE PRO_CODIGO = 3"), "1234.56");
    EXPECT_EQ(ler(pasta / "vantor.log"), "<missing>");
}

TEST_F(LinhaDeComando, FalhasDeLinhaDaoCodigoUmELog)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino());
    const std::string arquivo = csv("1;A;UN;xx018;;xxx01;xxx01;1;1\r\n1;B;UN;xx018;;xxx01;xxx01;1;1\r\n");
    const Saida s = rodar("--csv " + arquivo + " --destino " + banco.caminho() + " --produtos --sim --logs " +
                          pasta.string());
    EXPECT_EQ(s.codigo, 1) << s.texto;
    EXPECT_NE(s.texto.find("Log: " + (pasta / "vantor.log").string()), std::string::npos) << s.texto;
    EXPECT_NE(s.texto.find("ImportaProdutos: 1 gravados, 1 falhas"), std::string::npos) << s.texto;
    EXPECT_EQ(ler(pasta / "vantor.log").rfind(textos::L1("Erro na importação de PRODUTO no Registro 1\r\n"), 0), 0u);
}

TEST_F(LinhaDeComando, SemConfirmacaoOuSemConexaoNadaEhFeito)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino() + "INSERT INTO TIPOUNIDADE VALUES (9, 'X', 'X');");
    const std::string arquivo = csv("1;A;UN;xx018;;xxx01;xxx01;1;1\r\n");
    Saida s = rodar("--csv " + arquivo + " --destino " + banco.caminho() + " --produtos --logs " + pasta.string());
    EXPECT_EQ(s.codigo, 2) << s.texto; // no terminal to confirm on, no --sim
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM TIPOUNIDADE"), "1");

    s = rodar("--csv " + arquivo + " --destino /nao/existe.fdb --produtos --sim");
    EXPECT_EQ(s.codigo, 2);
    EXPECT_NE(s.texto.find("Falha na função: \"Connectar\""), std::string::npos) << s.texto;

    s = rodar("--csv " + (pasta / "nada.csv").string() + " --destino " + banco.caminho() + " --produtos --sim");
    EXPECT_EQ(s.codigo, 2);
    EXPECT_NE(s.texto.find("Cannot open file"), std::string::npos) << s.texto;
}
