#pragma once
#include "import/Importador.h"
#include "import/Operador.h"

#include <cstdio>
#include <string>

namespace norvo::cli {

// The operator on a terminal: notices and failures as text, a progress bar per stage
// (plain lines when the output is not a terminal), questions on the terminal.
class OperadorTerminal : public Operador {
public:
    OperadorTerminal(bool sim, std::FILE* saida, std::FILE* entrada);

    void gauge(int minimo, int maximo, int progresso) override;
    void status(const std::string& texto) override;
    void mostraMensagem(const std::string& texto, bool aviso) override;
    bool confirma(const std::string& texto, Pergunta qual) override;
    void mensagem(const std::string& texto) override;
    void abrirArquivo(const std::string& nome, const std::string& pasta) override;
    void processarEventos() override {}
    void ocupado(bool sim) override;
    int paradaPedida() override;
    // The closing notice, once: the status line's last text is the same outcome.
    void desfecho(const std::string& aviso, const std::string& status, const std::string& detalhes) override;

    void imprimir(const std::string& latin1);

private:
    void terminarBarra();
    void desenhar();

    bool sim_;
    std::FILE* saida_;
    std::FILE* entrada_;
    bool terminal_;
    struct Medida {
        int progresso = 0;
        int maximo = 0;
        bool operator==(const Medida&) const = default;
    };
    bool barraAberta_ = false;
    std::string etapa_;
    Medida gauge_, desenhado_;         // the stage's gauge, and as its line last showed it
    std::size_t larguraDesenhada_ = 0; // what the line holds, to be covered by a shorter text
    int percentual_ = -1;
};

// One stage's line of the closing summary (Latin-1).
std::string linhaDoResumo(const ResumoEtapa& r, bool simulada = false);

// Latin-1 bytes as UTF-8, for a terminal.
std::string paraUtf8(const std::string& latin1);

} // namespace norvo::cli
