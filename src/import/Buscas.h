#pragma once
// The sequence register and the text-built lookups, on the destination. Lookups build their
// text from quoted values, as the destination's own tools do; values are quoted, so no text
// can break the statement.
#include "import/BancoDestino.h"
#include "import/ContextoEtapa.h"

#include <string>

namespace norvo {

// Records `valor` as the next code of `tabela` in GERACODIGO. A failure is shown and kept
// as a failed step of the run; it never ends the stage.
void GravaCodigoSequencial(ContextoEtapa& ctx, const std::string& tabela, int valor);
// The first row's code, 0 when none matches.
int BuscaCodigoUnidade(BancoDestino& destino, const std::string& descricao);
int BuscaCodigoNCM(BancoDestino& destino, const std::string& ncm);
// The text-built lookup every one of them is: the statement `q` opened with its two lines.
int buscarCodigoTextual(db::Query& q, const std::string& linha1, const std::string& linha2, const char* campo);

} // namespace norvo
