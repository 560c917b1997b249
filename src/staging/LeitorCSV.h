#pragma once
// The reader of Tarvex product files: one product per line, fields separated by ";"
// and identified by position; a field may be quoted as spreadsheets write it.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "staging/NotaLeitura.h"
#include "staging/StagingTable.h"

namespace norvo::staging {

// The most file text the reader takes at once (the hidden text box's capacity).
inline constexpr std::uint64_t CapacidadeTexto = std::uint64_t(1) << 30;

// The lines of a text. CR LF, a lone CR and a lone LF each end a line; a break at the
// very end adds no line, so the empty text has none. NUL bytes are dropped first.
std::vector<std::string> dividirLinhas(std::string_view texto);

// What one line gives for each staging field, before the table's storage rules. Fields
// are taken by position: a field the line does not have is empty, and so is the price.
struct CamposLinha {
    std::size_t campos = 0; // how many fields the line has: its separators plus one
    std::string codigo;     // the digits of field 1
    std::string descricao;  // field 2
    std::string unidade;    // field 3
    std::string icms;       // 3 characters from the 3rd of field 4
    std::string pis;        // 2 characters from the 4th of field 6
    std::string cofins;     // 2 characters from the 4th of field 7
    std::string ncm;        // field 8
    bool temPreco = false;  // the line has a field 9
    std::string precoTexto; // field 9, blanks at both ends trimmed
    PrecoLido preco;        // field 9 read by lerPreco
    std::string codigoLido; // field 1 as written
    // For a UTF-8 line: the characters of each field that Latin-1 has no form for.
    std::array<std::u32string, NumCampos> semForma;
};

// The line is split into fields first. A field that starts with a double quote runs to
// the next quote that is not doubled ("" inside stands for one quote, ";" inside belongs
// to it), then what follows up to the next ";" is appended without its quotes; any other
// field runs to the next ";", its quotes removed. When a quoted field has no closing
// quote, the whole line is read with every quote removed and every ";" separating, so a
// stray quote cannot swallow the line's fields. Field k is the text after the (k-1)th ";"
// up to the next one or the end of the line; the price is field 9 alone. `utf8`: the line
// is UTF-8, each field converted to Latin-1 after the split.
CamposLinha lerLinha(std::string_view linha, bool utf8 = false);

// The whole file's bytes, as they are. Fails with "Cannot open file \"%s\". %s" (the full
// path in Latin-1, then the reason) or "Text exceeds memo capacity". Only a regular file is
// read: a named pipe, device or socket is refused at once, never waited on.
std::string lerArquivo(const std::string& caminho);

// A reading's outcome: the records it stored and its notes in line order. Past MaxNotas
// the notes are only counted, so that a file of a million odd lines cannot exhaust memory.
struct ResultadoLeitura {
    static constexpr std::size_t MaxNotas = 10000;
    int registros = 0;
    std::vector<NotaLeitura> notas;
    std::array<long, NotaLeitura::NumTipos> porTipo{}; // every note, kept or not
    long naoGuardadas = 0;

    long totalNotas() const;
    // The notes as the command line prints them: all of them up to `limite`, else the first
    // ones and a count by kind. Empty when there is none.
    std::string resumo(std::size_t limite = 20) const;
};

// Fills an open, empty table from the file's bytes, one record per line (UTF-8 is
// converted to Latin-1). Blank lines and a first line without a code give no record. An
// empty price is stored as 0; one that cannot be read, or a line without it, is kept as
// its text (StagingTable::setFieldInvalid) for the import to report. Each record knows its
// line, and the fields the reading changed are marked. The first integer failure
// propagates, naming the line and what it held: earlier records stay stored and the
// failing one stays pending.
ResultadoLeitura preencherTabela(StagingTable& t, std::string_view bytes,
                                 const std::function<void()>& processarEventos);

// A whole reading: close (writing the previous content when changed), create empty,
// empty, read the file and fill the table. processarEventos, when given, is called every
// few tens of milliseconds so the window stays live.
ResultadoLeitura carregarProdutos(StagingTable& t, const std::string& caminho,
                                  const std::function<void()>& processarEventos);

} // namespace norvo::staging
