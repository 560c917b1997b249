#pragma once
#include <string>
#include <vector>

namespace norvo {

// Writes the entries, each followed by CR LF, as they are (Latin-1 bytes), replacing the
// file. Throws "Cannot create file \"<path>\". <reason>" when it cannot be written.
void salvarLista(const std::vector<std::string>& entradas, const std::string& caminho);

} // namespace norvo
