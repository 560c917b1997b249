#pragma once
#include <string>
#include <string_view>

namespace norvo::texto {

// Writes bytes as the whole content of the file, replacing it. When the file cannot be
// created or written, throws norvo::Error: "Cannot create file \"<caminho>\".
// <system reason>", the path as given (in Latin-1), so a caller that wants the full path
// shown passes it.
void salvarArquivo(const std::string& caminho, std::string_view bytes);

} // namespace norvo::texto
