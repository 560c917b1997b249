#pragma once
// The reader of Tarvex product files: one product per line, fields separated by ";"
// and identified by position; a field may be quoted as spreadsheets write it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "staging/LinhaCSV.h"
#include "staging/ResultadoLeitura.h"
#include "staging/StagingTable.h"

namespace norvo::staging {

// The most file text the reader takes at once (the hidden text box's capacity).
inline constexpr std::uint64_t CapacidadeTexto = std::uint64_t(1) << 30;

// The lines of a text. CR LF, a lone CR and a lone LF each end a line; a break at the
// very end adds no line, so the empty text has none. NUL bytes are dropped first.
std::vector<std::string> dividirLinhas(std::string_view texto);

// The whole file's bytes, as they are. Fails with "Cannot open file \"%s\". %s" (the full
// path in Latin-1, then the reason) or "Text exceeds memo capacity". Only a regular file is
// read: a named pipe, device or socket is refused at once, never waited on.
std::string lerArquivo(const std::string& caminho);

// Fills an open, empty table from the file's bytes, one record per line (UTF-8 is
// converted to Latin-1). Blank lines and a first line without a code give no record. An
// empty price is stored as 0; one that cannot be read, or a line without it, is kept as
// its text (StagingTable::setFieldInvalid) for the import to report. Each record knows its
// line, and the fields the reading changed are marked. A code, PIS or COFINS that is no
// integer leaves that field empty, marked and noted; the reading goes on to the end.
ResultadoLeitura preencherTabela(StagingTable& t, std::string_view bytes,
                                 const std::function<void()>& processarEventos);

// The pieces preencherDoArquivo reads the file in.
inline constexpr std::size_t PedacoDeLeitura = std::size_t(1) << 20;

// Fills an open, empty table from the file as preencherTabela does from its bytes (the same
// records, notes and failures, and the failures of lerArquivo), without ever holding the
// whole text: a first pass over the file in pieces of `pedaco` bytes takes the UTF-8
// decision, a second reads the lines.
ResultadoLeitura preencherDoArquivo(StagingTable& t, const std::string& caminho,
                                    const std::function<void()>& processarEventos,
                                    std::size_t pedaco = PedacoDeLeitura);

// A whole reading: close (writing the previous content when changed), create empty,
// empty, read the file and fill the table. processarEventos, when given, is called every
// few tens of milliseconds so the window stays live. `textoDoArquivo`, when given, receives the
// file's text in Latin-1 without its NULs, from the same bytes the reading took; without it
// the file is read by preencherDoArquivo.
ResultadoLeitura carregarProdutos(StagingTable& t, const std::string& caminho,
                                  const std::function<void()>& processarEventos, std::string* textoDoArquivo = nullptr);

} // namespace norvo::staging
