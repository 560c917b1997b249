// The command line when it is asked to stop, or given something that would never end: a
// named pipe as the product file, a closed terminal (SIGHUP).
#include "BancoTeste.h"
#include "Processo.h"
#include "plataforma/Sinais.h"

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

// The first signal is the one the run stops for and the exit status tells, whatever follows.
TEST(SinaisNoProcesso, OPrimeiroEhOQueConta)
{
    norvo::sinais::instalar();
    ::raise(SIGTERM); // delivered before raise returns
    ::raise(SIGINT);
    EXPECT_EQ(norvo::sinais::recebido(), SIGTERM);
    EXPECT_EQ(norvo::sinais::codigoDeSaida(), 128 + SIGTERM);
}

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
    EXPECT_NE(p.texto().find("Produtos: " + std::to_string(gravados) + " gravados, 0 falhas, " +
                             std::to_string(2000 - gravados) + " não tentados, interrompida pelo operador"),
              std::string::npos)
        << p.texto();
    // Said once, though the run made a safety copy (the notice names it, the status does not).
    const std::string& t = p.texto();
    const std::string desfecho = "Importação interrompida pelo operador";
    const std::size_t primeiro = t.find(desfecho);
    EXPECT_NE(primeiro, std::string::npos) << t;
    EXPECT_EQ(t.find(desfecho, primeiro + 1), std::string::npos) << t;
    EXPECT_NE(t.find("Cópia de segurança do destino: "), std::string::npos) << t;
}
