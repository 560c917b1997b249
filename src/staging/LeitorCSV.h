#pragma once
// The reader of Tarvex product files: one product per line, fields separated by ";"
// and identified by position, double quotes ignored.
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
    std::int64_t preco = 0;  // field 9, in ten-thousandths
};

// Double quotes are removed first. A field that is not followed by ";" reads as empty;
// the price is the text after the 8th ";" up to the next one or the end of the line
// (after the last ";", or the whole line, when there are fewer than 8).
CamposLinha lerLinha(std::string_view linha);

// The price as ten-thousandths, rounded to the nearest (halves away from zero).
// Blanks at both ends are trimmed; "1.234,56" (thousands grouped by ".") is 1234.56;
// otherwise every "." counts as "," and "," is the decimal separator: optional sign,
// digits, optional "," and digits, optional exponent. Anything else, and an amount
// beyond the 64-bit range, gives 0. Never fails.
std::int64_t converterPreco(std::string_view texto);

// The whole file's bytes, as they are. Fails with "Cannot open file \"%s\". %s" or
// "Text exceeds memo capacity".
std::string lerArquivo(const std::string& caminho);

// Fills an open, empty table from the file's bytes (UTF-8 converted to Latin-1), one
// record per line. The first integer failure propagates: earlier records stay stored and
// the failing one stays pending. Returns the record count.
int preencherTabela(StagingTable& t, std::string_view bytes,
                    const std::function<void()>& processarEventos);

// A whole reading: close (writing the previous content when changed), create empty,
// empty, read the file and fill the table. processarEventos, when given, is called every
// few tens of milliseconds so the window stays live. Returns the record count.
int carregarProdutos(StagingTable& t, const std::string& caminho,
                     const std::function<void()>& processarEventos);

} // namespace norvo::staging
