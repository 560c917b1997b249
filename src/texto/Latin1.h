#pragma once
// Latin-1 text and its meeting with UTF-8: digits, quoting, capitals, the lookup key and the
// conversion of files and paths. All text is Latin-1: one byte per character, in std::string.
#include <cstddef>
#include <string>
#include <string_view>

namespace norvo::texto {

// Length of the valid UTF-8 sequence that starts at s[i] (its code point in cp), 0 when none
// does. Overlong forms, surrogates and code points above U+10FFFF are not valid.
std::size_t SequenciaUtf8(std::string_view s, std::size_t i, char32_t& cp);

// True when the text has bytes above ASCII and all of it reads as UTF-8: a path with accents
// as the file system gives it, or a file written in UTF-8.
bool Utf8ComAcentos(std::string_view texto);

// The characters '0'..'9' of the text, in order; every other character dropped.
std::string SoNumeros(std::string_view texto);

// The text as an SQL literal: enclosed in single quotes, inner single quotes doubled.
std::string Citar(std::string_view texto);

// 'a'..'z' and the accented Latin-1 lower-case letters (224..254 but 247, the division
// sign) to their capitals. 255 has no Latin-1 capital and stays.
std::string MaiusculasLatin1(std::string_view texto);

// A unit or a city's name as the destination holds it and the stages look it up: Latin-1
// upper case (accents kept), without the blanks at its ends, so "un", "UN " and " Un" are
// one unit.
std::string ChaveDeBusca(std::string_view nome);

// True when the bytes are to be taken as UTF-8: they start with the UTF-8 byte order
// mark, or they are valid UTF-8 holding at least one multi-byte sequence. Plain ASCII
// is not UTF-8 here; it reads the same either way.
bool EhUtf8(std::string_view bytes);

// The UTF-8 byte order mark.
inline constexpr std::string_view BomUtf8 = "\xEF\xBB\xBF";

// EhUtf8 and Utf8ComAcentos over bytes that come in pieces (a file read a piece at a time):
// the same answer wherever a piece ends, a UTF-8 sequence included.
class VerificacaoUtf8 {
public:
    void acrescentar(std::string_view pedaco);
    // After the last piece.
    bool comAcentos();
    bool bom() const { return inicio_ == BomUtf8; }
    bool ehUtf8() { return bom() || comAcentos(); }

private:
    void examinar(std::string_view s, bool fim);

    std::string inicio_; // the first three bytes
    std::string resto_;  // a sequence the last piece cut
    bool valido_ = true, acima_ = false;
};

// UTF-8 to Latin-1. A leading byte order mark is dropped. What word processors and
// spreadsheets type for plain signs becomes them: curly quotes '"' and '\'', dashes '-', the
// ellipsis "...". Any other character outside Latin-1, and every byte that does not belong
// to a valid sequence, becomes '?' and is appended to semForma when given (a stray byte as
// U+FFFD).
std::string Utf8ParaLatin1(std::string_view bytes, std::u32string* semForma = nullptr);

// A file's path as message text: the file system's bytes (UTF-8 here) in Latin-1, so that a
// folder with accents reads right in every message.
std::string CaminhoEmTexto(std::string_view caminho);

// The bytes of a text file as Latin-1: converted when EhUtf8, byte for byte otherwise.
std::string ParaLatin1(std::string_view bytes);

} // namespace norvo::texto
