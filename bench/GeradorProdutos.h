#pragma once
#include <string>

namespace norvo::bench {

// A Tarvex product file of `linhas` lines (Latin-1, CR LF), shaped like a shop's catalogue:
// accented names, two- and three-letter units, real NCM codes, prices written both ways.
// With `tropecos`, a few lines carry what technicians get wrong in these files (quotes,
// thousands separators, a trailing ";", lower-case units, dotted NCM codes).
std::string gerarArquivoProdutos(int linhas, unsigned semente, bool tropecos);

} // namespace norvo::bench
