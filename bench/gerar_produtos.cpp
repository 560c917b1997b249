// Writes a sample Tarvex product file: gerar-produtos LINES [SEMENTE] [--limpo] > file.csv
#include "GeradorProdutos.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: gerar-produtos LINES [SEMENTE] [--limpo]\n");
        return 2;
    }
    const int linhas = std::atoi(argv[1]);
    const unsigned semente = argc > 2 && argv[2][0] != '-' ? static_cast<unsigned>(std::atoi(argv[2])) : 7u;
    const bool limpo = argc > 2 && std::strcmp(argv[argc - 1], "--limpo") == 0;
    const std::string s = norvo::bench::gerarArquivoProdutos(linhas, semente, !limpo);
    std::fwrite(s.data(), 1, s.size(), stdout);
    return 0;
}
