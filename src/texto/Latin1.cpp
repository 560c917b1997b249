#include "texto/Latin1.h"

#include "texto/Texto.h"

#include <algorithm>
#include <cstddef>

namespace norvo::texto {

namespace {} // namespace

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
    return MaiusculasLatin1(texto::Aparar(nome));
}

bool EhUtf8(std::string_view bytes)
{
    return bytes.starts_with(BomUtf8) || Utf8ComAcentos(bytes);
}

std::string Utf8ParaLatin1(std::string_view bytes, std::u32string* semForma)
{
    if (bytes.starts_with(BomUtf8))
        bytes.remove_prefix(BomUtf8.size());
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
        const std::size_t n = SequenciaUtf8(bytes, i, cp);
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

std::string CaminhoEmTexto(std::string_view caminho)
{
    return ParaLatin1(caminho);
}

std::size_t SequenciaUtf8(std::string_view s, std::size_t i, char32_t& cp)
{
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    const std::size_t resta = s.size() - i;
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    auto cont = [&](std::size_t k) { return (b(k) & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF) {
        if (resta < 2 || !cont(i + 1))
            return 0;
        cp = (char32_t(c & 0x1F) << 6) | (b(i + 1) & 0x3F);
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        if (resta < 3 || !cont(i + 1) || !cont(i + 2))
            return 0;
        if (c == 0xE0 && b(i + 1) < 0xA0)
            return 0; // overlong
        if (c == 0xED && b(i + 1) >= 0xA0)
            return 0; // surrogate
        cp = (char32_t(c & 0x0F) << 12) | (char32_t(b(i + 1) & 0x3F) << 6) | (b(i + 2) & 0x3F);
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (resta < 4 || !cont(i + 1) || !cont(i + 2) || !cont(i + 3))
            return 0;
        if (c == 0xF0 && b(i + 1) < 0x90)
            return 0; // overlong
        if (c == 0xF4 && b(i + 1) >= 0x90)
            return 0; // above U+10FFFF
        cp = (char32_t(c & 0x07) << 18) | (char32_t(b(i + 1) & 0x3F) << 12) | (char32_t(b(i + 2) & 0x3F) << 6) |
             (b(i + 3) & 0x3F);
        return 4;
    }
    return 0;
}

bool Utf8ComAcentos(std::string_view texto)
{
    VerificacaoUtf8 v;
    v.acrescentar(texto);
    return v.comAcentos();
}

namespace {

// How many bytes the sequence a lead byte starts takes (1 for a byte no sequence starts with).
std::size_t largura(unsigned char c)
{
    return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
}

} // namespace

void VerificacaoUtf8::examinar(std::string_view s, bool fim)
{
    char32_t cp;
    for (std::size_t i = 0; valido_ && i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (!fim && i + largura(c) > s.size()) {
            resto_.assign(s.substr(i)); // finished by the next piece
            return;
        }
        const std::size_t n = SequenciaUtf8(s, i, cp);
        valido_ = n != 0;
        acima_ = true;
        i += n;
    }
}

void VerificacaoUtf8::acrescentar(std::string_view p)
{
    if (inicio_.size() < BomUtf8.size())
        inicio_.append(p.substr(0, BomUtf8.size() - inicio_.size()));
    if (!valido_)
        return;
    if (!resto_.empty()) {
        const std::size_t falta = largura(static_cast<unsigned char>(resto_[0])) - resto_.size();
        const std::size_t k = std::min(falta, p.size());
        resto_.append(p.substr(0, k));
        p.remove_prefix(k);
        if (k < falta)
            return;
        const std::string sequencia = std::move(resto_);
        resto_.clear();
        examinar(sequencia, true);
    }
    examinar(p, false);
}

bool VerificacaoUtf8::comAcentos()
{
    if (!resto_.empty()) {
        const std::string fim = std::move(resto_);
        resto_.clear();
        examinar(fim, true);
    }
    return valido_ && acima_;
}

} // namespace norvo::texto
