#pragma once
#include <cstdint>
#include <string>

namespace norvo::db {

// A calendar date and time of day to the second. All zero is the zero date-time
// (what a NULL column reads as).
struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool isZero() const { return year == 0 && month == 0 && day == 0; }
    bool operator==(const DateTime&) const = default;
};

// Parses "YYYY-MM-DD", "DD.MM.YYYY" or "DD/MM/YYYY", optionally followed by " HH:MM[:SS]".
bool parseDateTime(const std::string& text, DateTime& out);
std::string formatDateTime(const DateTime& dt);

// One column value of a fetched row, or one field of a data set's current row.
struct Valor {
    enum class Tipo { Nulo, Texto, Inteiro, Real, DataHora } tipo = Tipo::Nulo;
    std::string texto;
    std::int64_t inteiro = 0; // with `escala` decimal places (scale -2: hundredths)
    int escala = 0;
    double real = 0;
    DateTime dataHora;

    bool isNull() const { return tipo == Tipo::Nulo; }
    std::string asString() const;
    std::int32_t asInteger() const; // throws Error for a text that is not an integer
    DateTime asDateTime() const;
};

} // namespace norvo::db
