#pragma once
// The staging table written back as a product file: what the technician corrected in the
// grid, kept in the form the reading takes, to be read again later or elsewhere.
#include <string>
#include <string_view>
#include <vector>

#include "staging/Campos.h"
#include "staging/StagingTable.h"

namespace norvo::staging {

// A value the file's positions cannot carry: read back, the field would not hold it. The
// file is written all the same; the caller tells the operator which ones they are.
struct ValorInexato {
    int registro = 0;        // index in the table; -1 for the file as a whole
    int linha = 0;           // its line in the written file
    Campo campo = NumCampos; // NumCampos for the file as a whole
    std::string valor;       // what the table holds, Latin-1
    std::string motivo;      // what reading it back would give instead, Latin-1
};

// Appends a field as a ";"-separated file holds it: quoted, its quotes doubled, when it holds
// ";" or a quote (the reading's rule, and a spreadsheet's).
void acrescentarCampoCSV(std::string& out, std::string_view v);

// The table as a product file: Latin-1, one line per record ending in CR LF, no header, ";"
// between the nine positions, a field quoted (its quotes doubled) when it holds ";" or a
// quote. ICMS, PIS and COFINS sit where the reading takes them from, behind "00" and "000".
// A price that could not be read is written as it was; one the line did not have leaves the
// line with eight fields.
std::string textoCSV(const StagingTable& tabela, std::vector<ValorInexato>& inexatos);

// Writes textoCSV to `arquivo` (a UTF-8 name) through a new file and a rename, so a full disk
// never leaves it half written. Throws staging::Error with the reason when it cannot.
std::vector<ValorInexato> gravarCSV(const StagingTable& tabela, const std::string& arquivo);

} // namespace norvo::staging
