#pragma once
// What the "Problemas" page lists, as rows a spreadsheet takes: the last reading's notes and
// the last run's failed records. The window saves them ("Salvar problemas..."), the command
// line writes them with --problemas.
#include <string>
#include <vector>

#include "import/CausaDeFalha.h"
#include "import/ResultadoImportacao.h"
#include "staging/ResultadoLeitura.h"

namespace norvo {

struct Problema {
    int linha = 0;        // in the product file; 0 for none
    std::string campo;    // the staging field's name, or empty
    std::string problema; // Latin-1
    std::string conteudo; // what the line held, or the record as the run names it
};

// The cause in the technician's words where the layer says what it was (Latin-1); else the
// text the server gave.
std::string descreverCausa(const CausaDeFalha& c);

// The reading's notes, then (when given) the run's failures stage by stage, in the page's order.
std::vector<Problema> listarProblemas(const staging::ResultadoLeitura& leitura, const ResultadoImportacao* rodada);

// A header ("linha;campo;problema;o que a linha tinha") and one row per problem: Latin-1,
// ";" between fields, CR LF.
std::string textoDosProblemas(const std::vector<Problema>& problemas);
// Writes it to `arquivo` (a UTF-8 name); throws norvo::Error with the reason when it cannot.
void gravarProblemas(const std::vector<Problema>& problemas, const std::string& arquivo);

} // namespace norvo
