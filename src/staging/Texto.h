#pragma once
// Text helpers shared by the staging table, the CSV reader and the import stages.
// All text is Latin-1: one byte per character, held in std::string.
#include <string>
#include <string_view>

namespace norvo::staging {

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

// UTF-8 to Latin-1. A leading byte order mark is dropped. What word processors and
// spreadsheets type for plain signs becomes them: curly quotes '"' and '\'', dashes '-', the
// ellipsis "...". Any other character outside Latin-1, and every byte that does not belong
// to a valid sequence, becomes '?' and is appended to semForma when given (a stray byte as
// U+FFFD).
std::string Utf8ParaLatin1(std::string_view bytes, std::u32string* semForma = nullptr);

// The bytes of a text file as Latin-1: converted when EhUtf8, byte for byte otherwise.
std::string ParaLatin1(std::string_view bytes);

} // namespace norvo::staging
