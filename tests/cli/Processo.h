#pragma once
// importa-norvo-cli as a child process for the command line's tests.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace norvo::teste {

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
        while (ler(fim)) {}
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

} // namespace norvo::teste
