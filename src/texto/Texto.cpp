#include "texto/Texto.h"

namespace norvo::texto {

namespace {

int valorDigito(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool EhBranco(char c, Brancos brancos)
{
    switch (brancos) {
    case Brancos::Ate32:
        return static_cast<unsigned char>(c) <= 32;
    case Brancos::IsSpace:
        return c == ' ' || (c >= '\t' && c <= '\r');
    case Brancos::Espaco:
        return c == ' ';
    }
    return false;
}

bool EhBranco(std::string_view texto, Brancos brancos)
{
    for (char c : texto)
        if (!EhBranco(c, brancos))
            return false;
    return true;
}

std::string Aparar(std::string_view texto, Brancos brancos)
{
    while (!texto.empty() && EhBranco(texto.front(), brancos))
        texto.remove_prefix(1);
    while (!texto.empty() && EhBranco(texto.back(), brancos))
        texto.remove_suffix(1);
    return std::string(texto);
}

bool mesmoNome(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

std::string minusculas(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::optional<std::int64_t> textoParaInteiro(std::string_view t, RegraInteiro regra)
{
    size_t i = 0;
    while (i < t.size() && EhBranco(t[i], regra.brancos))
        ++i;
    bool negativo = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negativo = t[i++] == '-';
    int base = 10;
    if (regra.hexadecimal) {
        if (i < t.size() && (t[i] == '$' || t[i] == 'x' || t[i] == 'X')) {
            base = 16;
            ++i;
        } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
            base = 16;
            i += 2;
        }
    }
    if (i == t.size())
        return std::nullopt;
    // The magnitude is built unsigned against the limit of its sign, one more for a negative
    // value, so that the most negative value is accepted and nothing ever overflows.
    const std::uint64_t limite = (std::uint64_t(1) << (regra.bits - 1)) - (negativo ? 0 : 1);
    std::uint64_t v = 0;
    for (; i < t.size(); ++i) {
        const int d = valorDigito(t[i]);
        if (d < 0 || d >= base)
            return std::nullopt;
        const auto digito = static_cast<std::uint64_t>(d);
        if (digito > limite || v > (limite - digito) / static_cast<unsigned>(base))
            return std::nullopt;
        v = v * static_cast<unsigned>(base) + digito;
    }
    return static_cast<std::int64_t>(negativo ? 0 - v : v);
}

std::string decimal(std::int64_t valor, int escala)
{
    if (escala >= 0) {
        std::string s = std::to_string(valor);
        if (valor != 0)
            s.append(static_cast<size_t>(escala), '0');
        return s;
    }
    const bool negativo = valor < 0;
    // Work on the magnitude as unsigned so the most negative value does not overflow.
    std::uint64_t mag = negativo ? 0 - static_cast<std::uint64_t>(valor) : static_cast<std::uint64_t>(valor);
    std::string digitos = std::to_string(mag);
    const size_t casas = static_cast<size_t>(-escala);
    if (digitos.size() <= casas)
        digitos.insert(0, casas - digitos.size() + 1, '0');
    std::string inteira = digitos.substr(0, digitos.size() - casas);
    std::string fracao = digitos.substr(digitos.size() - casas);
    while (!fracao.empty() && fracao.back() == '0')
        fracao.pop_back();
    std::string r = negativo ? "-" : "";
    r += inteira;
    if (!fracao.empty())
        r += "." + fracao;
    return r;
}

} // namespace norvo::texto
