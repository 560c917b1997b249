#pragma once
#include "import/CausaDeFalha.h"

#include "db/Error.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace norvo {

// What one stage did. Its records always add up: registros = gravados + falhas + ignorados
// + naoTentados.
struct ResumoEtapa {
    std::string nome;          // "ImportaProdutos", ...
    std::string titulo;        // the operator\'s name for it, Latin-1: "Produtos", "Lista de preços"...
    bool iniciada = true;      // false: the run was stopped before it
    long registros = 0;        // records it had to walk (its gauge's maximum)
    long gravados = 0;         // rows written and committed
    long falhas = 0;           // rows that failed, each with its log entry
    long ignorados = 0;        // records that needed no row (a blank unit, a code already written)
    long naoTentados = 0;      // records never reached because the stage ended early
    int reconexoes = 0;        // lost connections it came back from
    bool falhou = false;       // ended through its stage guard
    bool interrompida = false; // ended early because the operator asked the run to stop
    // Ended by a failure every later row would meet (a full disk...): the run stops there.
    std::optional<db::BancoInutilizavel::Motivo> inutilizavel;
    std::string mensagemMostrada;     // the stage failure text shown, when falhou
    std::string motivo;               // that failure's own message, without the stage's text
    std::vector<CausaDeFalha> causas; // its row failures by cause, most frequent first, ten at most
    // City names the client and supplier stages did not find in CIDADE (the record got city
    // code 0), with how many records each, most frequent first, ten at most; and all such records.
    std::vector<std::pair<std::string, long>> cidadesNaoEncontradas;
    long semCidade = 0;
    double segundos = 0; // wall-clock time the stage took
};

// A stage's failures by cause and its cities not found, one indented line each ("    3x
// <cause> - registros: 1 (linha 2), 7 (linha 8), ..."); empty when there are none.
std::string textoDasCausas(const ResumoEtapa& r);

} // namespace norvo
