#pragma once
// Text helpers that the database layer, the staging table and the window all need: blanks,
// trimming, names without regard to case, integers read from text and scaled integers
// written as decimals. Text is Latin-1, one byte per character; nothing here needs the
// Firebird client, so anything may use it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvo::texto {

// Which characters count as blanks.
enum class Brancos {
    Ate32,   // every code 0..32: this program's blank, for data from files and the server
    IsSpace, // " \t\v\f\r\n", C's isspace: what settings files are trimmed of
    Espaco,  // ' ' alone: the server's integer texts
};

bool EhBranco(char c, Brancos brancos = Brancos::Ate32);
// True for the empty text and for a text made only of blanks.
bool EhBranco(std::string_view texto, Brancos brancos = Brancos::Ate32);

// The text without the blanks at either end.
std::string Aparar(std::string_view texto, Brancos brancos = Brancos::Ate32);

// Equal but for the case of ASCII letters; every other byte must match exactly. Names of
// parameters, columns and settings are ASCII, so no locale may decide.
bool mesmoNome(std::string_view a, std::string_view b);
std::string minusculas(std::string_view s); // 'A'..'Z' to 'a'..'z', every other byte as is

// How an integer may be written: blanks before it (never after), an optional sign, then
// decimal digits or, when hexadecimal, hexadecimal digits after "$", "x" or "0x" (x in
// either case).
struct RegraInteiro {
    Brancos brancos = Brancos::Ate32;
    bool hexadecimal = false;
    int bits = 64; // the value must fit a signed integer this wide (1..64)
};

// The text's integer by that rule; empty when the text is not such an integer or its value
// does not fit: it never wraps ("$FFFFFFFF" in 32 bits is no integer, not -1).
std::optional<std::int64_t> textoParaInteiro(std::string_view texto, RegraInteiro regra = {});

// valor * 10^escala in decimal: no trailing zeros in the fraction and no decimal point for
// a whole number ("12.5", "-0.0001", "7"). Money in ten-thousandths is escala -4.
std::string decimal(std::int64_t valor, int escala);

} // namespace norvo::texto
