#include "staging/Texto.h"

#include "db/Texto.h"

#include <cstddef>

namespace norvo::staging {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

} // namespace

std::string SoNumeros(std::string_view texto) {
    std::string r;
    r.reserve(texto.size());
    for (char c : texto)
        if (c >= '0' && c <= '9') r.push_back(c);
    return r;
}

std::string Citar(std::string_view texto) {
    std::string r;
    r.reserve(texto.size() + 2);
    r.push_back('\'');
    for (char c : texto) {
        if (c == '\'') r.push_back('\'');
        r.push_back(c);
    }
    r.push_back('\'');
    return r;
}

std::string MaiusculasLatin1(std::string_view texto) {
    std::string r(texto);
    for (char& c : r) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 224 && u <= 254 && u != 247))
            c = static_cast<char>(u - 32);
    }
    return r;
}

bool EhUtf8(std::string_view bytes) { return bytes.starts_with(Bom) || db::Utf8ComAcentos(bytes); }

std::string Utf8ParaLatin1(std::string_view bytes) {
    if (bytes.starts_with(Bom)) bytes.remove_prefix(Bom.size());
    std::string r;
    r.reserve(bytes.size());
    char32_t cp;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) { r.push_back(static_cast<char>(c)); ++i; continue; }
        const std::size_t n = db::SequenciaUtf8(bytes, i, cp);
        if (n == 0) { r.push_back('?'); ++i; continue; }
        r.push_back(cp <= 0xFF ? static_cast<char>(static_cast<unsigned char>(cp)) : '?');
        i += n;
    }
    return r;
}

std::string ParaLatin1(std::string_view bytes) {
    return EhUtf8(bytes) ? Utf8ParaLatin1(bytes) : std::string(bytes);
}

} // namespace norvo::staging
