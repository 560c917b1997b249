#include "plataforma/Sinais.h"

#include <cerrno>
#include <csignal>
#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace norvo::sinais {

namespace {

volatile std::sig_atomic_t g_recebido = 0;

#ifdef _WIN32
constexpr int SinalInterrupcao = 2; // SIGINT
constexpr int SinalTerminal = 1;    // SIGHUP, which Windows does not name

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI aoEventoDoConsole(DWORD evento)
{
    const bool fechando = evento == CTRL_CLOSE_EVENT || evento == CTRL_LOGOFF_EVENT || evento == CTRL_SHUTDOWN_EVENT;
    if (g_recebido == 0)
        g_recebido = fechando ? SinalTerminal : SinalInterrupcao;
    // A closed console ends the process as soon as this returns: holding it gives the run the
    // seconds the system allows to end its record and write its logs; main's return ends the
    // process, this thread with it.
    if (fechando)
        Sleep(INFINITE);
    return TRUE;
}
#else
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
#endif

} // namespace

void instalar()
{
#ifdef _WIN32
    SetConsoleCtrlHandler(aoEventoDoConsole, TRUE);
#else
    if (g_tubo[0] < 0 && ::pipe2(g_tubo, O_CLOEXEC | O_NONBLOCK) != 0)
        g_tubo[0] = g_tubo[1] = -1;
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
#endif
}

int recebido()
{
    return g_recebido;
}

int descritor()
{
#ifdef _WIN32
    return -1;
#else
    return g_tubo[0];
#endif
}

void consumir()
{
#ifndef _WIN32
    char lixo[16];
    while (g_tubo[0] >= 0 && ::read(g_tubo[0], lixo, sizeof lixo) > 0) {}
#endif
}

int codigoDeSaida()
{
    return g_recebido ? 128 + g_recebido : 0;
}

bool esperarEntrada(std::FILE* entrada)
{
#ifdef _WIN32
    // Ctrl+C ends the console's read itself; the caller finds the signal afterwards.
    (void)entrada;
#else
    pollfd espera[2] = {{fileno(entrada), POLLIN, 0}, {descritor(), POLLIN, 0}};
    while (::poll(espera, descritor() >= 0 ? 2 : 1, -1) < 0 && errno == EINTR) {}
#endif
    return recebido() == 0;
}

} // namespace norvo::sinais
