#pragma once
// The staging table's fields and the rules by which each one stores what it is given.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvo::staging {

enum Campo { COD_PRODUTO = 0, DESCRICAO, UNIDADE, ICMS, PIS, COFINS, NCM, VALORVENDA, NumCampos };

// These fail with "Invalid field index <n>" for a value outside the eight fields.
const char* nomeCampo(Campo); // "COD_PRODUTO", ...
int tamanhoCampo(Campo);      // characters of a text field, 0 for the others

// The integer rule of the table, texto::textoParaInteiro with hexadecimal digits in 32 bits:
// blanks (codes 0..32) before the number, an optional sign, then decimal digits or
// hexadecimal digits after "$", "x" or "0x" (x in either case). Nothing may follow, and
// the value must fit 32 bits: "$FFFFFFFF" fails rather than wrapping to -1. Empty when
// the text is not such an integer.
std::optional<std::int32_t> lerInteiro(std::string_view texto);

// What a text field keeps of a text, its storage rule: a NUL ends it; an NCM code written in
// groups of digits ("3402.20.00", "3402 20 00", "3402-20-00") is its digits; the field's size
// cuts it; trailing blanks go. `cortado` when the size took characters that were not blanks.
struct TextoGuardado {
    std::string texto;
    bool cortado = false;
};
TextoGuardado guardarTexto(Campo, std::string_view);

namespace detalhe {

// What a field holds; the record and the staging file go by it.
enum class TipoCampo { Inteiro, Texto, Dinheiro };
TipoCampo tipo(Campo);

} // namespace detalhe

} // namespace norvo::staging
