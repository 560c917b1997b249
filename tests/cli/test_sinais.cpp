// The command line when it is asked to stop, or given something that would never end: a
// named pipe as the product file, a closed terminal (SIGHUP).
#include "BancoTeste.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace norvo::teste;
namespace fs = std::filesystem;

namespace {

using Relogio = std::chrono::steady_clock;

// importa-norvo-cli as a child process, its output (stdout and stderr) read as it comes and
// never waited on past a deadline, so that a run that hangs fails the test instead of
// hanging it.
class Processo {
public:
    explicit Processo(const std::vector<std::string>& args)
    {
        int tubo[2];
        if (::pipe2(tubo, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2");
        std::vector<char*> argv{const_cast<char*>(NORVO_CLI)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int nada = ::open("/dev/null", O_RDONLY);
            ::dup2(nada, 0);
            ::dup2(tubo[1], 1);
            ::dup2(tubo[1], 2);
            ::execv(NORVO_CLI, argv.data());
            ::_exit(127);
        }
        ::close(tubo[1]);
        saida_ = tubo[0];
    }
    ~Processo()
    {
        if (codigo_ == kAindaRodando) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(saida_);
    }
    Processo(const Processo&) = delete;
    Processo& operator=(const Processo&) = delete;

    // True once the output holds `texto`; false when the output ended first or the time ran out.
    bool aguardar(const std::string& texto, std::chrono::seconds limite = std::chrono::seconds(60))
    {
        const auto fim = Relogio::now() + limite;
        while (texto_.find(texto) == std::string::npos)
            if (!ler(fim))
                return false;
        return true;
    }
    void sinal(int s) { ::kill(pid_, s); }
    // The exit code (or -signal) once the output has ended; kAindaRodando when it has not
    // within the limit.
    int terminar(std::chrono::seconds limite = std::chrono::seconds(60))
    {
        const auto fim = Relogio::now() + limite;
        while (ler(fim)) {
        }
        if (Relogio::now() >= fim)
            return kAindaRodando;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        codigo_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        return codigo_;
    }
    const std::string& texto() const { return texto_; }

    static constexpr int kAindaRodando = -1000;

private:
    bool ler(Relogio::time_point fim)
    {
        const auto resta = std::chrono::duration_cast<std::chrono::milliseconds>(fim - Relogio::now()).count();
        if (resta <= 0)
            return false;
        pollfd p{saida_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(resta)) <= 0)
            return false;
        char buf[4096];
        const ssize_t n = ::read(saida_, buf, sizeof buf);
        if (n <= 0)
            return false;
        texto_.append(buf, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int saida_ = -1;
    int codigo_ = kAindaRodando;
    std::string texto_;
};

struct Sinais : ::testing::Test {
    fs::path pasta = fs::temp_directory_path() / ("norvo-sinais-" + std::to_string(::getpid()));
    Sinais()
    {
        fs::remove_all(pasta);
        fs::create_directories(pasta);
    }
    ~Sinais() override { fs::remove_all(pasta); }
};

} // namespace

TEST_F(Sinais, PipeNomeadoComoArquivoDeProdutosEhRecusadoNaHora)
{
    // Nobody ever writes to it: opened the ordinary way, it would wait for a writer for good.
    const std::string fifo = (pasta / "produtos.csv").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Processo p({"--csv", fifo, "--destino", (pasta / "nunca.fdb").string(), "--produtos", "--sim"});
    const int codigo = p.terminar();
    ASSERT_NE(codigo, Processo::kAindaRodando) << "the run hung on the named pipe: " << p.texto();
    EXPECT_EQ(codigo, 2) << p.texto();
    EXPECT_NE(p.texto().find("Cannot open file \"" + fifo + "\". Não é um arquivo comum"), std::string::npos)
        << p.texto();
}

TEST_F(Sinais, TerminalFechadoNoMeioDoRunParaComoCtrlC)
{
    BancoTeste banco("sinais");
    banco.executar(esquemaDestino());
    std::string conteudo;
    for (int c = 1; c <= 2000; ++c)
        conteudo += std::to_string(c) + ";ITEM " + std::to_string(c) + ";UN;xx018;;xxx01;xxx01;1006;2.00\r\n";
    const std::string arquivo = (pasta / "p.csv").string();
    std::ofstream(arquivo, std::ios::binary) << conteudo;

    Processo p({"--csv", arquivo, "--destino", banco.caminho(), "--produtos", "--sim", "--logs", pasta.string()});
    ASSERT_TRUE(p.aguardar("Importando Produtos")) << p.texto();
    for (int i = 0; i < 600 && std::stoi(banco.valor("SELECT COUNT(*) FROM PRODUTO")) < 20; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    p.sinal(SIGHUP);
    const int codigo = p.terminar();
    ASSERT_NE(codigo, Processo::kAindaRodando) << p.texto();
    EXPECT_EQ(codigo, 128 + SIGHUP) << p.texto();

    // The record in progress was finished, the rest left, and the summary says so.
    const int gravados = std::stoi(banco.valor("SELECT COUNT(*) FROM PRODUTO"));
    EXPECT_GE(gravados, 20);
    EXPECT_LT(gravados, 2000) << "the signal came too late to test anything";
    EXPECT_NE(p.texto().find("ImportaProdutos: " + std::to_string(gravados) + " gravados, 0 falhas, " +
                             std::to_string(2000 - gravados) + " não tentados, interrompida pelo operador"),
              std::string::npos)
        << p.texto();
    EXPECT_NE(p.texto().find("Importação interrompida pelo operador"), std::string::npos) << p.texto();
}
