#include "staging/Preco.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>

#include "texto/Texto.h"

namespace norvo::staging {

using texto::Aparar;

namespace {

bool digito(char c)
{
    return c >= '0' && c <= '9';
}

bool soDigitos(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), digito);
}

// "1.234" / "12.345.678" with separador for ".": one to three digits, then groups of the
// separator and three digits, at least one group.
bool milharesAgrupados(std::string_view s, char separador)
{
    const std::size_t primeiro = s.find(separador);
    if (primeiro == std::string_view::npos || primeiro == 0 || primeiro > 3)
        return false;
    if (!soDigitos(s.substr(0, primeiro)))
        return false;
    for (std::size_t i = primeiro; i < s.size(); i += 4)
        if (s.size() - i < 4 || s[i] != separador || !soDigitos(s.substr(i + 1, 3)))
            return false;
    return true;
}

// digitos * 10^expoente, rounded half up, as a magnitude; false when beyond limite.
bool escalar(std::string_view digitos, long expoente, std::uint64_t limite, std::uint64_t& r)
{
    while (!digitos.empty() && digitos.front() == '0')
        digitos.remove_prefix(1);
    r = 0;
    if (digitos.empty())
        return true;
    constexpr long MaxDigitos = 19; // any 19-digit number fits 64 unsigned bits
    const long n = static_cast<long>(digitos.size());
    long manter = expoente >= 0 ? n : n + expoente;
    if (manter > MaxDigitos || (expoente > 0 && n + expoente > MaxDigitos))
        return false;
    if (manter < 0)
        return true; // below half a ten-thousandth
    for (long i = 0; i < manter; ++i)
        r = r * 10 + static_cast<std::uint64_t>(digitos[static_cast<std::size_t>(i)] - '0');
    for (long i = 0; expoente > 0 && i < expoente; ++i)
        r *= 10;
    if (manter < n && digitos[static_cast<std::size_t>(manter)] >= '5')
        ++r;
    return r <= limite;
}

} // namespace

PrecoLido lerPreco(std::string_view entrada)
{
    using Estado = PrecoLido::Estado;
    constexpr PrecoLido Invalido{Estado::Invalido, 0};
    std::string t = Aparar(entrada);
    if (t.empty())
        return {Estado::Vazio, 0};
    if (t.size() >= 2 && (t[0] == 'R' || t[0] == 'r') && t[1] == '$')
        t = Aparar(std::string_view(t).substr(2));

    // The decimal mark is the last mark when both kinds appear, and must then appear once;
    // one kind alone is decimal when it appears once, thousands when more often.
    const auto pontos = std::count(t.begin(), t.end(), '.');
    const auto virgulas = std::count(t.begin(), t.end(), ',');
    char decimal = 0, milhar = 0;
    if (pontos && virgulas) {
        decimal = t.rfind('.') > t.rfind(',') ? '.' : ',';
        milhar = decimal == '.' ? ',' : '.';
        if ((decimal == '.' ? pontos : virgulas) > 1)
            return Invalido;
    } else if (pontos + virgulas == 1) {
        decimal = pontos ? '.' : ',';
    } else if (pontos + virgulas > 1) {
        milhar = pontos ? '.' : ',';
    }
    const std::size_t posDecimal = decimal ? t.find(decimal) : t.size();
    const std::string_view inteiro = std::string_view(t).substr(0, posDecimal);
    const std::string_view fracao =
        posDecimal < t.size() ? std::string_view(t).substr(posDecimal + 1) : std::string_view();

    std::string digitos;
    if (milhar) {
        if (!milharesAgrupados(inteiro, milhar))
            return Invalido;
        std::remove_copy(inteiro.begin(), inteiro.end(), std::back_inserter(digitos), milhar);
    } else {
        if (!soDigitos(inteiro))
            return Invalido;
        digitos = inteiro;
    }
    if (!soDigitos(fracao) || (digitos.empty() && fracao.empty()))
        return Invalido;
    digitos += fracao;

    std::uint64_t m;
    if (!escalar(digitos, 4 - static_cast<long>(fracao.size()),
                 static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()), m))
        return Invalido;
    return {Estado::Valido, static_cast<std::int64_t>(m)};
}

} // namespace norvo::staging
