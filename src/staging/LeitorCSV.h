#pragma once
// The reader of Tarvex product files: one product per line, fields separated by ";"
// and identified by position; a field may be quoted as spreadsheets write it.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "staging/StagingTable.h"

namespace norvo::staging {

// The most file text the reader takes at once (the hidden text box's capacity).
inline constexpr std::uint64_t CapacidadeTexto = std::uint64_t(1) << 30;

// The lines of a text. CR LF, a lone CR and a lone LF each end a line; a break at the
// very end adds no line, so the empty text has none. NUL bytes are dropped first.
std::vector<std::string> dividirLinhas(std::string_view texto);

// What one line gives for each staging field, before the table's storage rules.
struct CamposLinha {
    std::string codigo;      // the digits of field 1
    std::string descricao;   // field 2
    std::string unidade;     // field 3
    std::string icms;        // 3 characters from the 3rd of field 4
    std::string pis;         // 2 characters from the 4th of field 6
    std::string cofins;      // 2 characters from the 4th of field 7
    std::string ncm;         // field 8
    std::string precoTexto;  // field 9, blanks at both ends trimmed
    PrecoLido preco;         // field 9 read by lerPreco
};

// The line is split into fields first. A field that starts with a double quote runs to
// the next quote that is not doubled ("" inside stands for one quote, ";" inside belongs
// to it), then what follows up to the next ";" is appended without its quotes; any other
// field runs to the next ";", its quotes removed. When a quoted field has no closing
// quote, the whole line is read with every quote removed and every ";" separating, so a
// stray quote cannot swallow the line's fields. A line without quotes is split at every
// ";". A field that is not closed by ";" reads as empty; the price is the field after the
// 8th ";" up to the next one or the end of the line (the field after the last ";", or the
// whole line, when there are fewer than 8).
CamposLinha lerLinha(std::string_view linha);

// The whole file's bytes, as they are. Fails with "Cannot open file \"%s\". %s" (the full
// path in Latin-1, then the reason) or "Text exceeds memo capacity". Only a regular file is
// read: a named pipe, device or socket is refused at once, never waited on.
std::string lerArquivo(const std::string& caminho);

// Fills an open, empty table from the file's bytes (UTF-8 converted to Latin-1), one
// record per line. An empty price is stored as 0; one that cannot be read is kept as its
// text (StagingTable::setFieldInvalid) for the import to report. The first integer
// failure propagates: earlier records stay stored and the failing one stays pending.
// Returns the record count.
int preencherTabela(StagingTable& t, std::string_view bytes,
                    const std::function<void()>& processarEventos);

// A whole reading: close (writing the previous content when changed), create empty,
// empty, read the file and fill the table. processarEventos, when given, is called every
// few tens of milliseconds so the window stays live. Returns the record count.
int carregarProdutos(StagingTable& t, const std::string& caminho,
                     const std::function<void()>& processarEventos);

} // namespace norvo::staging
