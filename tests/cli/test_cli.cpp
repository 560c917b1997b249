// The command line end to end: usage, a run over a small file, exit codes and logs.
#include "BancoTeste.h"
#include "cli/Argumentos.h"
#include "import/Textos.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <thread>
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

Saida rodar(const std::string& args, const std::string& pastaDeTrabalho = ".")
{
    const std::string cmd = "cd " + pastaDeTrabalho + " && " + NORVO_CLI + " " + args + " 2>&1 </dev/null";
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
    EXPECT_EQ(banco.consultar("SELECT UNI_CODIGO, UNI_DESCRICAO, UNI_UNIDADE FROM TIPOUNIDADE ORDER BY 1"),
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

namespace {

// The command line as a child process whose output is read as it comes, so that a test can
// send it a signal at a chosen point of the run.
class Filho {
public:
    explicit Filho(const std::vector<std::string>& args)
    {
        int tubo[2];
        if (::pipe(tubo) != 0)
            throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(tubo[1], 1);
            ::dup2(tubo[1], 2);
            ::close(tubo[0]);
            ::close(tubo[1]);
            std::vector<char*> argv{const_cast<char*>(NORVO_CLI)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(NORVO_CLI, argv.data());
            ::_exit(127);
        }
        ::close(tubo[1]);
        leitura_ = tubo[0];
    }
    ~Filho()
    {
        if (pid_ > 0 && !terminou_) {
            ::kill(pid_, SIGKILL);
            esperar();
        }
        ::close(leitura_);
    }

    // Reads until the output holds `texto`; false when the process ended or 60 s passed.
    bool aguardar(const std::string& texto)
    {
        const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (saida.find(texto) == std::string::npos) {
            if (std::chrono::steady_clock::now() > limite || !ler())
                return false;
        }
        return true;
    }
    void sinal(int s) { ::kill(pid_, s); }
    // The exit status (or -signal), once the rest of the output is read.
    int esperar()
    {
        while (ler()) {
        }
        int status = 0;
        ::waitpid(pid_, &status, 0);
        terminou_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    std::string saida;

private:
    bool ler()
    {
        char buf[4096];
        const ssize_t n = ::read(leitura_, buf, sizeof buf);
        if (n <= 0)
            return false;
        saida.append(buf, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int leitura_ = -1;
    bool terminou_ = false;
};

} // namespace

TEST_F(LinhaDeComando, SinalParaORunDepoisDoRegistroEmCursoESaiLimpo)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino());
    std::string conteudo;
    for (int c = 1; c <= 2000; ++c)
        conteudo += std::to_string(c) + ";PRODUTO " + std::to_string(c) + ";UN;xx018;;xxx01;xxx01;1006;1.50\r\n";
    const std::string arquivo = csv(conteudo);
    const std::vector<std::string> args{"--csv", arquivo, "--destino", banco.caminho(), "--produtos", "--sim",
                                        "--logs", pasta.string()};

    for (const int s : {SIGINT, SIGTERM}) {
        // Rows of the round before would make the wait below end before this run's DELETE.
        banco.executar("DELETE FROM ITENSLISTA; DELETE FROM PRODUTO;");
        Filho filho(args);
        ASSERT_TRUE(filho.aguardar("Importando Produtos")) << filho.saida;
        // Once some products are committed, in the middle of the stage.
        for (int i = 0; i < 600 && std::stoi(banco.valor("SELECT COUNT(*) FROM PRODUTO")) < 20; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        filho.sinal(s);
        const int codigo = filho.esperar();
        const std::string& out = filho.saida;
        EXPECT_EQ(codigo, 128 + s) << out;

        // The summary tells what was written and what was left, and nothing committed is lost.
        const int gravados = std::stoi(banco.valor("SELECT COUNT(*) FROM PRODUTO"));
        EXPECT_GE(gravados, 20);
        EXPECT_LT(gravados, 2000) << "the signal came too late to test anything";
        EXPECT_NE(out.find("ImportaProdutos: " + std::to_string(gravados) + " gravados, 0 falhas, " +
                           std::to_string(2000 - gravados) + " não tentados, interrompida pelo operador"),
                  std::string::npos)
            << out;
        EXPECT_NE(out.find("ImportaPrecos: não iniciada, interrompida pelo operador"), std::string::npos) << out;
        EXPECT_NE(out.find("Importação interrompida pelo operador"), std::string::npos) << out;
        EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ITENSLISTA"), "0");
        // The stage's closing update still covered the products it wrote.
        EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO WHERE PRO_BLOQUEADO = 'F'"), std::to_string(gravados));
    }
}

TEST_F(LinhaDeComando, ArquivoDeEstagioQueNaoPodeSerGravadoNaoPassaCalado)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino());
    const std::string arquivo = csv("1;ARROZ;UN;xx018;;xxx01;xxx01;10063021;5,50\r\n");
    // The staging file lands in the working directory, where its name is taken by a folder.
    fs::create_directory(pasta / "ProdutosTARVEX.cds");
    const Saida s = rodar("--csv " + arquivo + " --destino " + banco.caminho() + " --produtos --sim --logs " +
                          pasta.string(), pasta.string());
    EXPECT_EQ(s.codigo, 1) << s.texto;
    EXPECT_NE(s.texto.find("Cannot create file \"" + (pasta / "ProdutosTARVEX.cds").string() + "\""),
              std::string::npos) << s.texto;
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO"), "1"); // the run itself went through
}
