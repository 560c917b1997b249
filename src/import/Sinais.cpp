#include "import/Sinais.h"

#include "db/Database.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace norvo::sinais {

namespace {

volatile std::sig_atomic_t g_recebido = 0;
int g_tubo[2] = {-1, -1};

void aoReceber(int sinal)
{
    const int erroAntes = errno;
    if (g_recebido == 0)
        g_recebido = sinal;
    if (g_tubo[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] const ssize_t n = ::write(g_tubo[1], &c, 1);
    }
    errno = erroAntes;
}

} // namespace

void instalar()
{
    if (g_tubo[0] < 0 && ::pipe2(g_tubo, O_CLOEXEC | O_NONBLOCK) != 0)
        g_tubo[0] = g_tubo[1] = -1;
    // The client library's own handler would shut the connections down under the run.
    db::deixarSinaisAoPrograma();
    struct sigaction acao = {};
    acao.sa_handler = aoReceber;
    sigemptyset(&acao.sa_mask);
    acao.sa_flags = SA_RESTART; // a server call in progress goes on to its end
    sigaction(SIGINT, &acao, nullptr);
    sigaction(SIGTERM, &acao, nullptr);
}

int recebido() { return g_recebido; }

int descritor() { return g_tubo[0]; }

void consumir()
{
    char lixo[16];
    while (g_tubo[0] >= 0 && ::read(g_tubo[0], lixo, sizeof lixo) > 0) {
    }
}

int codigoDeSaida() { return g_recebido ? 128 + g_recebido : 0; }

} // namespace norvo::sinais
