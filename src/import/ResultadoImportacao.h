#pragma once
// What a run did, as a value: the front ends decide what to say and how to exit from it,
// never from what was shown.
#include "import/Opcoes.h"
#include "import/PassoFalho.h"
#include "import/ResumoEtapa.h"

#include <optional>
#include <string>
#include <vector>

namespace norvo {

struct ResultadoImportacao {
    enum class Inicio { NadaMarcado, SemPastaDeLogs, SemConexao, DestinoEmUso, NaoConfirmada, Iniciada };
    Inicio inicio = Inicio::NadaMarcado;
    OpcoesImportacao pedido; // what the run was asked to do
    std::vector<ResumoEtapa> etapas;
    std::vector<PassoFalho> passosFalhos;
    std::vector<std::string> logs;       // the log files written, full paths
    std::vector<std::string> erros;      // the entries of vantor.log, in order
    std::vector<std::string> duplicados; // the entries of vantor2.log
    int parada = 0;                      // what paradaPedida() said when the run stopped early
    bool simulada = false;               // a rehearsal: nothing was written
    // The table the run could not empty before its stages, and the server's reason: it
    // stopped there, having changed nothing.
    std::string tabelaNaoEsvaziada, motivoNaoEsvaziada;
    // The safety copy made before the run emptied anything, and why it could not be made
    // (the run then stopped, having changed nothing).
    std::string copia, copiaFalhou;
    // A rehearsal whose connection was lost: the server undid all it had done, so it ended
    // there and forecasts nothing for the rest. The loss's message.
    std::string simulacaoPerdida;
    // A failure every later row would meet (a full disk, a database shut down...): the stage
    // that met it ended, no later stage started. What it was, and the server's message.
    std::optional<db::BancoInutilizavel::Motivo> inutilizavel;
    std::string motivoInutilizavel;
    // How it ended, in the words of the status line and the closing notice (the notice
    // also names the safety copy): set when the run ends.
    std::string desfecho;

    bool iniciada() const { return inicio == Inicio::Iniciada; }
    // A stage failed, a row failed, or a step of the run failed.
    bool comErros() const;
    bool interrompida() const { return parada != 0; }
    // The run failed or stopped half way (a stage ended early, or it was stopped) after its
    // safety copy was made: the copy is worth offering back. Row failures alone are not.
    bool copiaAOferecer() const;
    // The summary of the stage of that name, or nullptr.
    const ResumoEtapa* etapa(const std::string& nome) const;
};

} // namespace norvo
