#pragma once
#include <string>

namespace norvo::teste {

// One line of a Tarvex product file: ICMS sits at the 3rd character of field 4, PIS and
// COFINS at the 4th of fields 6 and 7.
inline std::string linha(const std::string& codigo, const std::string& descricao, const std::string& unidade,
                         const std::string& ncm, const std::string& preco, const std::string& icms = "018",
                         const std::string& pis = "01", const std::string& cofins = "07")
{
    return codigo + ";" + descricao + ";" + unidade + ";xx" + icms + ";x;xxx" + pis + ";xxx" + cofins + ";" + ncm +
           ";" + preco;
}

} // namespace norvo::teste
