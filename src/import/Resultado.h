#pragma once
// What a run is asked to do and what it did, as values: the front ends decide what to say
// and how to exit from these, never from what was shown.
#include <string>
#include <utility>
#include <vector>

namespace norvo {

// The options the operator marks.
enum class Opcao { Clientes, Fornecedores, Produtos };

// How a run writes. The default is the one-row-one-commit run with text-built lookups.
struct ModoExecucao {
    // Commits every `lote` rows (and at the end of each stage) instead of after each one;
    // lookups and existence checks run as statements prepared once, and what the stage
    // already looked up or wrote is answered from memory. Same rows, same failures.
    bool rapido = false;
    // Everything in one transaction that is rolled back at the end: the destination is left
    // as it was, the logs are written as the real run would write them.
    bool simular = false;
    int lote = 1000;
};

// One press of "Importar".
struct OpcoesImportacao {
    bool clientes = false;
    bool fornecedores = false;
    bool produtos = false;
    ModoExecucao modo;
    // Skips the safety copy a real run makes of the destination before it empties anything.
    bool semCopia = false;

    bool marcada(Opcao o) const
    {
        return o == Opcao::Clientes ? clientes : o == Opcao::Fornecedores ? fornecedores : produtos;
    }
};

// A record a failure names: as the summary names it (its code, unit, description...) and,
// for a staged record, where it came from and where it is.
struct RegistroCitado {
    std::string nome;
    int linha = 0;    // its line in the product file; 0 for a source row or one typed in the grid
    int posicao = -1; // its position in the staging table during the run; -1 for a source row
};

// One cause of a stage's row failures: the server's code and message with the values that
// vary (quoted texts, numbers) left out, how many records it hit and the first few of them.
struct CausaDeFalha {
    std::string causa;
    long vezes = 0;
    std::vector<RegistroCitado> registros;
    bool operator<(const CausaDeFalha& o) const { return causa < o.causa; }
};

// What one stage did. Its records always add up: registros = gravados + falhas + ignorados
// + naoTentados.
struct ResumoEtapa {
    std::string nome;                 // "ImportaProdutos", ...
    bool iniciada = true;             // false: the run was stopped before it
    long registros = 0;               // records it had to walk (its gauge's maximum)
    long gravados = 0;                // rows written and committed
    long falhas = 0;                  // rows that failed, each with its log entry
    long ignorados = 0;               // records that needed no row (a blank unit, a code already written)
    long naoTentados = 0;             // records never reached because the stage ended early
    int reconexoes = 0;               // lost connections it came back from
    bool falhou = false;              // ended through its stage guard
    bool interrompida = false;        // ended early because the operator asked the run to stop
    std::string falha;                // the stage failure text shown, when falhou
    std::string motivo;               // that failure's own message, without the stage's text
    std::vector<CausaDeFalha> causas; // its row failures by cause, most frequent first, ten at most
    // City names the client and supplier stages did not find in CIDADE (the record got city
    // code 0), with how many records each, most frequent first, ten at most; and all such records.
    std::vector<std::pair<std::string, long>> cidadesNaoEncontradas;
    long semCidade = 0;
    double segundos = 0; // wall-clock time the stage took
};

// A step of the run outside the stages' rows that failed: the sequence register, a log
// file, the final disconnect.
struct PassoFalho {
    std::string passo;
    std::string mensagem;
    bool relatar = true; // not shown yet: the front end reports it as a failure
};

// A stage's failures by cause and its cities not found, one indented line each ("    3x
// <cause> - registros: 1 (linha 2), 7 (linha 8), ..."); empty when there are none.
std::string textoDasCausas(const ResumoEtapa& r);

struct ResultadoImportacao {
    enum class Inicio { NadaMarcado, SemPastaDeLogs, SemConexao, DestinoEmUso, NaoConfirmada, Iniciada };
    Inicio inicio = Inicio::NadaMarcado;
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

    bool iniciada() const { return inicio == Inicio::Iniciada; }
    // A stage failed, a row failed, or a step of the run failed.
    bool comErros() const;
    bool interrompida() const { return parada != 0; }
    // The summary of the stage of that name, or nullptr.
    const ResumoEtapa* etapa(const std::string& nome) const;
};

} // namespace norvo
