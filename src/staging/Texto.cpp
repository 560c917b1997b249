#include "staging/Texto.h"

#include "db/Texto.h"

#include <cstddef>

namespace norvo::staging {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

} // namespace

std::string SoNumeros(std::string_view texto)
{
    std::string r;
    r.reserve(texto.size());
    for (char c : texto)
        if (c >= '0' && c <= '9')
            r.push_back(c);
    return r;
}

std::string Citar(std::string_view texto)
{
    std::string r;
    r.reserve(texto.size() + 2);
    r.push_back('\'');
    for (char c : texto) {
        if (c == '\'')
            r.push_back('\'');
        r.push_back(c);
    }
    r.push_back('\'');
    return r;
}

std::string MaiusculasLatin1(std::string_view texto)
{
    std::string r(texto);
    for (char& c : r) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 224 && u <= 254 && u != 247))
            c = static_cast<char>(u - 32);
    }
    return r;
}

std::string ChaveDeBusca(std::string_view nome)
{
    return MaiusculasLatin1(db::Aparar(nome));
}

bool EhUtf8(std::string_view bytes)
{
    return bytes.starts_with(Bom) || db::Utf8ComAcentos(bytes);
}

std::string Utf8ParaLatin1(std::string_view bytes, std::u32string* semForma)
{
    if (bytes.starts_with(Bom))
        bytes.remove_prefix(Bom.size());
    std::string r;
    r.reserve(bytes.size());
    auto semLatin1 = [&](char32_t cp) {
        r.push_back('?');
        if (semForma)
            semForma->push_back(cp);
    };
    char32_t cp;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            r.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        const std::size_t n = db::SequenciaUtf8(bytes, i, cp);
        if (n == 0) {
            semLatin1(U'\uFFFD');
            ++i;
            continue;
        }
        i += n;
        if (cp <= 0xFF)
            r.push_back(static_cast<char>(static_cast<unsigned char>(cp)));
        else if (cp >= 0x2018 && cp <= 0x201B)
            r.push_back('\''); // ‘ ’ ‚ ‛
        else if (cp >= 0x201C && cp <= 0x201F)
            r.push_back('"'); // “ ” „ ‟
        else if ((cp >= 0x2010 && cp <= 0x2015) || cp == 0x2212)
            r.push_back('-'); // dashes, minus
        else if (cp == 0x2026)
            r += "...";
        else
            semLatin1(cp);
    }
    return r;
}

std::string ParaLatin1(std::string_view bytes)
{
    return EhUtf8(bytes) ? Utf8ParaLatin1(bytes) : std::string(bytes);
}

} // namespace norvo::staging
