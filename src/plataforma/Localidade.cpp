#include "plataforma/Localidade.h"

#ifndef _WIN32
#include <cstring>
#include <initializer_list>

#include <langinfo.h>
#include <locale.h>
#endif

namespace norvo::plataforma {

#ifdef _WIN32
CtypeUtf8::CtypeUtf8() = default;
CtypeUtf8::~CtypeUtf8() = default;
#else
CtypeUtf8::CtypeUtf8()
{
    // Only the C locale's ASCII is replaced: another character set is the user's own.
    const char* atual = nl_langinfo(CODESET);
    if (std::strcmp(atual, "ANSI_X3.4-1968") != 0 && std::strcmp(atual, "ASCII") != 0)
        return;
    for (const char* nome : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        const locale_t base = duplocale(uselocale(static_cast<locale_t>(0)));
        if (base == static_cast<locale_t>(0))
            return;
        const locale_t proprio = newlocale(LC_CTYPE_MASK, nome, base);
        if (proprio != static_cast<locale_t>(0)) {
            proprio_ = proprio;
            anterior_ = uselocale(proprio);
            return;
        }
        freelocale(base); // left to the caller when newlocale fails
    }
}

CtypeUtf8::~CtypeUtf8()
{
    if (proprio_) {
        uselocale(static_cast<locale_t>(anterior_));
        freelocale(static_cast<locale_t>(proprio_));
    }
}
#endif

} // namespace norvo::plataforma
