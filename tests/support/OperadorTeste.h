#pragma once
#include "import/Operador.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace norvo::teste {

// Stands in for the operator: records what the core showed and asked, in order, and gives
// the answers the test queued (Yes when none is queued).
class OperadorTeste : public Operador {
public:
    // Each dialog as "kind: text": "aviso", "atencao", "confirma", "mensagem", "abrir".
    std::vector<std::string> dialogos;
    std::vector<std::string> status_;
    std::deque<bool> respostas;
    int eventosProcessados = 0;
    int maximo = 0, progresso = 0;
    std::vector<int> progressos; // every progress shown
    std::vector<bool> ocupacoes;

    void gauge(int minimo, int max, int prog) override;
    void status(const std::string& texto) override { status_.push_back(texto); }
    void mostraMensagem(const std::string& texto, bool aviso) override;
    bool confirma(const std::string& texto, Pergunta qual) override;
    void mensagem(const std::string& texto) override { dialogos.push_back("mensagem: " + texto); }
    void abrirArquivo(const std::string& nome, const std::string& pasta) override;
    // Called when the core asks its question, before the answer: what another program could
    // do while the operator reads it.
    std::function<void()> aoConfirmar;
    // Called each time the core lets events through, as a window's handler would run then.
    std::function<void()> aoProcessarEventos;
    void processarEventos() override
    {
        ++eventosProcessados;
        if (aoProcessarEventos)
            aoProcessarEventos();
    }
    void ocupado(bool sim) override { ocupacoes.push_back(sim); }
    // What paradaPedida answers: set it (from a hook) to stop the run.
    int parada = 0;
    int paradaPedida() override { return parada; }

    // Dialogs of one kind, texts only.
    std::vector<std::string> dialogosDo(const std::string& tipo) const;
};

} // namespace norvo::teste
