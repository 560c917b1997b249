#include "db/Values.h"

#include "db/Error.h"
#include "texto/Texto.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace norvo::db {

using texto::Brancos;
using texto::decimal;
using texto::textoParaInteiro;

namespace {

bool lerNumero(const std::string& s, size_t& i, size_t maxDigitos, int& out)
{
    const size_t inicio = i;
    out = 0;
    while (i < s.size() && i - inicio < maxDigitos && s[i] >= '0' && s[i] <= '9')
        out = out * 10 + (s[i++] - '0');
    return i > inicio;
}

bool dataValida(const DateTime& d)
{
    static const int dias[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1)
        return false;
    const bool bissexto = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    if (d.month == 2 && d.day == 29 && !bissexto)
        return false;
    return d.day <= dias[d.month - 1] && d.hour < 24 && d.minute < 60 && d.second < 60;
}

} // namespace

bool parseDateTime(const std::string& text, DateTime& out)
{
    DateTime d;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int a = 0, b = 0, c = 0;
    if (!lerNumero(text, i, 4, a) || i >= text.size())
        return false;
    const char sep = text[i];
    if (sep != '-' && sep != '.' && sep != '/')
        return false;
    ++i;
    if (!lerNumero(text, i, 2, b) || i >= text.size() || text[i] != sep)
        return false;
    ++i;
    if (!lerNumero(text, i, 4, c))
        return false;
    if (sep == '-') {
        d.year = a, d.month = b, d.day = c;
    } else {
        d.day = a, d.month = b, d.year = c;
    }
    if (i < text.size() && text[i] == ' ') {
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i < text.size()) {
            if (!lerNumero(text, i, 2, d.hour) || i >= text.size() || text[i++] != ':' ||
                !lerNumero(text, i, 2, d.minute))
                return false;
            if (i < text.size() && text[i] == ':') {
                ++i;
                if (!lerNumero(text, i, 2, d.second))
                    return false;
            }
        }
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size() || !dataValida(d))
        return false;
    out = d;
    return true;
}

std::string formatDateTime(const DateTime& dt)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", dt.year, dt.month, dt.day, dt.hour, dt.minute,
                  dt.second);
    return buf;
}

std::string Valor::asString() const
{
    switch (tipo) {
    case Tipo::Nulo:
        return {};
    case Tipo::Texto:
        return texto;
    case Tipo::Inteiro:
        return decimal(inteiro, escala);
    case Tipo::Real: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", real);
        return buf;
    }
    case Tipo::DataHora:
        return formatDateTime(dataHora);
    }
    return {};
}

std::int32_t Valor::asInteger() const
{
    std::int64_t v = 0;
    switch (tipo) {
    case Tipo::Nulo:
        return 0;
    case Tipo::Inteiro: {
        v = inteiro;
        for (int e = escala; e < 0; ++e)
            v /= 10;
        for (int e = 0; e < escala; ++e)
            v *= 10;
        break;
    }
    case Tipo::Real:
        v = static_cast<std::int64_t>(std::llround(real));
        break;
    case Tipo::Texto: {
        // A text column read as an integer: spaces may lead, nothing may follow, decimal only.
        const auto lido = textoParaInteiro(texto, {.brancos = Brancos::Espaco});
        if (!lido)
            throw Error("'" + texto + "' is not a valid integer value");
        v = *lido;
        break;
    }
    case Tipo::DataHora:
        throw Error("Invalid type conversion to integer");
    }
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw Error("Integer overflow: " + std::to_string(v));
    return static_cast<std::int32_t>(v);
}

DateTime Valor::asDateTime() const
{
    switch (tipo) {
    case Tipo::Nulo:
        return {};
    case Tipo::DataHora:
        return dataHora;
    case Tipo::Texto: {
        DateTime d;
        if (!parseDateTime(texto, d))
            throw Error("'" + texto + "' is not a valid date and time");
        return d;
    }
    default:
        throw Error("Invalid type conversion to date and time");
    }
}

} // namespace norvo::db
