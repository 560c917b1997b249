// Reading a realistic product file of 100,000 lines into the staging table.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "staging/LeitorCSV.h"
#include "staging/StagingTable.h"

namespace fs = std::filesystem;
using namespace norvo::staging;

int main(int argc, char** argv)
{
    const int linhas = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rodadas = argc > 2 ? std::atoi(argv[2]) : 5;

    std::string modelo = (fs::temp_directory_path() / "bench_csv_XXXXXX").string();
    if (!::mkdtemp(modelo.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path pasta = modelo;

    // Descriptions of varied length with Latin-1 accents, a few quoted fields, prices in
    // both decimal forms, Windows line ends: what a Tarvex export looks like.
    static const char* palavras[] = {"ARROZ",
                                     "FEIJ\xC3O",
                                     "A\xC7\xDA"
                                     "CAR",
                                     "CAF\xC9",
                                     "LEITE",
                                     "TIPO 1",
                                     "INTEGRAL",
                                     "PACOTE",
                                     "500G",
                                     "1KG",
                                     "CX 12",
                                     "P\xC3O DE FORMA"};
    static const char* unidades[] = {"UN", "KG", "CX", "PCT", "LT", "FD"};
    std::mt19937 rng(12345);
    std::string texto;
    texto.reserve(static_cast<std::size_t>(linhas) * 90);
    char buf[64];
    for (int i = 0; i < linhas; ++i) {
        texto += std::to_string(100000 + i);
        texto += ';';
        if (i % 10 == 0)
            texto += '"';
        const int n = 2 + static_cast<int>(rng() % 6);
        for (int k = 0; k < n; ++k) {
            if (k)
                texto += ' ';
            texto += palavras[rng() % std::size(palavras)];
        }
        if (i % 10 == 0)
            texto += '"';
        texto += ';';
        texto += unidades[rng() % std::size(unidades)];
        std::snprintf(buf, sizeof buf, ";00%03u;0;xxx%02u;xxx%02u;%08u;", static_cast<unsigned>(rng() % 30),
                      static_cast<unsigned>(rng() % 10), static_cast<unsigned>(rng() % 10),
                      static_cast<unsigned>(10000000 + rng() % 90000000));
        texto += buf;
        const unsigned centavos = static_cast<unsigned>(rng() % 1000000);
        std::snprintf(buf, sizeof buf, i % 2 ? "%u.%02u\r\n" : "%u,%02u\r\n", centavos / 100, centavos % 100);
        texto += buf;
    }
    const fs::path csv = pasta / "produtos.csv";
    std::ofstream(csv, std::ios::binary) << texto;

    double melhor = 1e9, soma = 0;
    {
        // Each reading after the first also writes the previous table to its staging file,
        // as it does in the window.
        StagingTable tabela((pasta / "ProdutosTARVEX.cds").string());
        int chamadas = 0;
        for (int r = 0; r < rodadas; ++r) {
            const auto ini = std::chrono::steady_clock::now();
            const int total = carregarProdutos(tabela, csv.string(), [&] { ++chamadas; }).registros;
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - ini).count();
            if (total != linhas) {
                std::fprintf(stderr, "read %d records, expected %d\n", total, linhas);
                return 1;
            }
            melhor = std::min(melhor, s);
            soma += s;
            std::printf("round %d: %.3f s\n", r + 1, s);
        }
        std::printf("event calls: %d\n", chamadas);
    }
    std::printf("file: %d lines, %.1f MB\n", linhas, static_cast<double>(texto.size()) / 1e6);
    std::printf("best: %.3f s (%.0f lines/s), mean %.3f s\n", melhor, linhas / melhor, soma / rodadas);

    std::error_code ec;
    fs::remove_all(pasta, ec);
    return 0;
}
