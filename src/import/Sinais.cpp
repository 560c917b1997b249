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

// Only so that a write to a closed pipe or socket fails with EPIPE instead of ending the
// process; a handler, unlike SIG_IGN, is not passed on to programs we start.
void aoPerderSaida(int) {}

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
    // SIGHUP is a closed terminal or SSH session: the run must still end the record it is
    // writing and leave its logs and summary, as it does when asked with Ctrl+C.
    for (const int sinal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sinal, &acao, nullptr);
    // A closed session also takes the output's reader with it; the summary then goes nowhere,
    // but the logs are still written.
    struct sigaction semSaida = {};
    semSaida.sa_handler = aoPerderSaida;
    sigemptyset(&semSaida.sa_mask);
    semSaida.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &semSaida, nullptr);
}

int recebido()
{
    return g_recebido;
}

int descritor()
{
    return g_tubo[0];
}

void consumir()
{
    char lixo[16];
    while (g_tubo[0] >= 0 && ::read(g_tubo[0], lixo, sizeof lixo) > 0) {}
}

int codigoDeSaida()
{
    return g_recebido ? 128 + g_recebido : 0;
}

} // namespace norvo::sinais
