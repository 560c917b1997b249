#include "db/NomesDeArquivo.h"

#include "texto/Latin1.h"

#include <algorithm>

namespace norvo::db {

void marcarNomesEmUtf8(std::string& bloco, char item, std::initializer_list<std::string_view> nomes)
{
    if (std::none_of(nomes.begin(), nomes.end(), texto::Utf8ComAcentos))
        return;
    bloco += item;
    bloco += '\0'; // a flag: no value
}

} // namespace norvo::db
