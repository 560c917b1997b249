#pragma once
// The sequence register and the text-built lookups, on the destination. Lookups build their
// text from quoted values, as the destination's own tools do; values are quoted, so no text
// can break the statement.
#include "import/BancoDestino.h"
#include "import/ContextoEtapa.h"

#include <string>

namespace norvo {

// A lookup of a code by a key, declared once: its text form as the default mode sends it (two
// lines, the quoted key after the second) and, derived from its table and columns, the
// prepared form fast mode sends (BuscaPreparada). The key is given as the column holds it.
struct DefinicaoBusca {
    const char* tabela;
    const char* chave;  // the column compared
    const char* codigo; // the column answered
    const char* linha1;
    const char* linha2;
};
extern const DefinicaoBusca BuscaUnidade; // a unit's code by its description
extern const DefinicaoBusca BuscaNCM;     // an NCM's code by its code string
extern const DefinicaoBusca BuscaCidade;  // a city's code by its name
// Whether the unit or NCM stage has already written a value: the same tables and keys.
extern const DefinicaoBusca ExisteUnidade;
extern const DefinicaoBusca ExisteNCM;

// The text form on `q`, opened: the first row's code, 0 when none matches.
int buscarTextual(db::Query& q, const DefinicaoBusca& d, const std::string& chave);
// The text form on `q`, opened: whether any row matches.
bool existeTextual(db::Query& q, const DefinicaoBusca& d, const std::string& chave);

// Records `valor` as the next code of `tabela` in GERACODIGO. A failure is shown and kept
// as a failed step of the run; it never ends the stage.
void GravaCodigoSequencial(ContextoEtapa& ctx, const std::string& tabela, int valor);
// The first row's code, 0 when none matches.
int BuscaCodigoUnidade(BancoDestino& destino, const std::string& descricao);
int BuscaCodigoNCM(BancoDestino& destino, const std::string& ncm);

} // namespace norvo
