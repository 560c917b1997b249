#pragma once
// One line of a product file taken apart into the staging fields.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "staging/Campos.h"
#include "staging/Preco.h"

namespace norvo::staging {

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

} // namespace norvo::staging
