#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace norvo::db {

// A statement text with its ":NAME" markers found: the names in text order and the text
// with each marker replaced by "?" (and "::" by ":"), as the server receives it.
struct TextoParametrizado {
    std::string texto;
    std::vector<std::string> nomes;
};
TextoParametrizado analisarParametros(std::string_view sql);

// Attachment parameter block from "name=value" lines; transaction block from keyword lines.
std::string montarDpb(const std::vector<std::string>& linhas);
std::string montarTpb(const std::vector<std::string>& linhas);

} // namespace norvo::db
