#include "db/NomesDeArquivo.h"

#include "texto/Latin1.h"

#include <algorithm>
#include <cstring>

#include <langinfo.h>

namespace norvo::db {

NomesDeArquivoEmUtf8::NomesDeArquivoEmUtf8()
{
    // Only the C locale's ASCII is replaced: under Latin-1 the client converts well, and a
    // UTF-8 name says so in its parameter block.
    const char* atual = nl_langinfo(CODESET);
    if (std::strcmp(atual, "ANSI_X3.4-1968") != 0 && std::strcmp(atual, "ASCII") != 0)
        return;
    for (const char* nome : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        const locale_t base = duplocale(uselocale(static_cast<locale_t>(0)));
        if (base == static_cast<locale_t>(0))
            return;
        proprio_ = newlocale(LC_CTYPE_MASK, nome, base);
        if (proprio_ != static_cast<locale_t>(0)) {
            anterior_ = uselocale(proprio_);
            return;
        }
        freelocale(base); // left to the caller when newlocale fails
    }
}

NomesDeArquivoEmUtf8::~NomesDeArquivoEmUtf8()
{
    if (proprio_ != static_cast<locale_t>(0)) {
        uselocale(anterior_);
        freelocale(proprio_);
    }
}

void marcarNomesEmUtf8(std::string& bloco, char item, std::initializer_list<std::string_view> nomes)
{
    if (std::none_of(nomes.begin(), nomes.end(), texto::Utf8ComAcentos))
        return;
    bloco += item;
    bloco += '\0'; // a flag: no value
}

} // namespace norvo::db
