#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

#include "plataforma/Localidade.h"

namespace norvo::db {

// The client library converts file names between "the system's character set" and UTF-8,
// and settles that character set at the first attachment the process makes. Under the C
// locale (the command line never calls setlocale) it is ASCII and an accented name fails with
// "Cannot transliterate character between character sets". While one of these lives, this
// thread's LC_CTYPE is UTF-8 if it was ASCII (not on Windows, where the flag below is what
// counts). Every attachment of this layer, to a database or
// to the services manager, is made inside one, so whichever comes first settles UTF-8.
// Nothing else in the process changes.
using NomesDeArquivoEmUtf8 = plataforma::CtypeUtf8;

// Adds the flag `item` (isc_dpb_utf8_filename, isc_spb_utf8_filename) to a parameter block
// when one of the names it carries is UTF-8 with accents. Said outright, the name is taken as UTF-8 whatever the
// client's own character set (under a Latin-1 locale the client would read it as Latin-1 and
// name another file).
void marcarNomesEmUtf8(std::string& bloco, char item, std::initializer_list<std::string_view> nomes);

} // namespace norvo::db
