#pragma once
#include <string>

namespace norvo::bench {

// A Tarvex product file of `linhas` lines (Latin-1, CR LF), shaped like a shop's export:
// accented names, a few of them quoted by a spreadsheet with a ";" inside, units of two
// and three letters in mixed case, NCM codes dotted and plain, prices with either decimal
// mark, thousands grouped when large and now and then an "R$" in front. With `tropecos`,
// a few lines also carry what technicians get wrong in these files: a price that cannot
// be read, an ICMS that is not a number, a code used twice. One `semente` always gives one
// file.
std::string gerarArquivoProdutos(int linhas, unsigned semente, bool tropecos);

} // namespace norvo::bench
