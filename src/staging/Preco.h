#pragma once
// Prices: how shops write them and how the table holds them.
#include <cstdint>
#include <string_view>

namespace norvo::staging {

// Money is held in ten-thousandths: texto::decimal(valor, EscalaDinheiro) is its text, with
// no trailing zeros and no decimal point for whole amounts ("12.5", "-0.0001", "7").
constexpr int EscalaDinheiro = -4;

// A price as shops write it, read for the file and for the grid alike. Blanks (codes
// 0..32) at both ends are trimmed; an optional "R$" (either case of R) and blanks may lead.
// Then digits with one decimal mark, "," or "." ("12,50", "12.50", ",5", "5,"); thousands
// are grouped by threes with the other mark ("1.234,56", "1,234.56"), or by one mark that
// appears more than once ("1.234.567"); a single mark alone is decimal ("1.234" is 1.234).
// Beyond four decimals it rounds to the nearest, halves up. No sign and no exponent: a
// negative price is refused and "+" would only hide typos.
struct PrecoLido {
    enum class Estado { Vazio, Valido, Invalido };
    Estado estado = Estado::Vazio;
    std::int64_t valor = 0; // ten-thousandths; 0 unless Valido
};
PrecoLido lerPreco(std::string_view texto);

} // namespace norvo::staging
