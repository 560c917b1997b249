// Reading a realistic product file of 100,000 lines into the staging table.
//
//   bench_csv [LINES [ROUNDS]]          the reading's time, best of ROUNDS
//   bench_csv --memoria LINES [SEMENTE]  the peak memory of a process that reads the
//                                        generator's clean export of LINES lines
//   bench_csv --memoria FILE             the same for a file at hand
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "staging/LeitorCSV.h"
#include "staging/StagingTable.h"

namespace fs = std::filesystem;
using namespace norvo::staging;

namespace {

long picoProprioKiB()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The reading process: a fresh image (exec'd), so its peak is the reading's alone. Reads
// FILE into a table whose staging file is CDS, reports the peak with the table still held,
// then closes it, which writes the staging file.
int lerEmProcessoProprio(const char* arquivo, const char* cds)
{
    long picoLendo = 0;
    double segundos = 0;
    int total = 0;
    {
        StagingTable t(cds);
        const auto ini = std::chrono::steady_clock::now();
        try {
            total = carregarProdutos(t, arquivo, [] {}).registros;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - ini).count();
        picoLendo = picoProprioKiB();
    }
    std::printf("%d %.3f %ld\n", total, segundos, picoLendo);
    return 0;
}

// Runs argv with its standard output in `saida` (or this one's when null); false when it
// could not run or did not end well. `uso`: the child's own resource use.
bool executar(char* const argv[], const char* saida, rusage* uso = nullptr)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        if (saida) {
            const int fd = ::open(saida, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (fd < 0 || ::dup2(fd, 1) < 0)
                ::_exit(127);
        }
        ::execv(argv[0], argv);
        std::fprintf(stderr, "%s: %s\n", argv[0], std::strerror(errno));
        ::_exit(127);
    }
    int estado = 0;
    rusage u{};
    if (::wait4(pid, &estado, 0, &u) != pid)
        return false;
    if (uso)
        *uso = u;
    return WIFEXITED(estado) && WEXITSTATUS(estado) == 0;
}

int medirMemoria(int argc, char** argv, const fs::path& pasta)
{
    const fs::path eu = fs::read_symlink("/proc/self/exe");
    std::string arquivo = argv[2];
    if (arquivo.find_first_not_of("0123456789") == std::string::npos) {
        // The generator's tool, built beside this one (target gerar-produtos).
        std::string gerador = (eu.parent_path() / "gerar-produtos").string();
        std::string semente = argc > 3 ? argv[3] : "11";
        std::string limpo = "--limpo";
        std::string linhas = arquivo;
        arquivo = (pasta / "produtos.csv").string();
        char* const args[] = {gerador.data(), linhas.data(), semente.data(), limpo.data(), nullptr};
        if (!executar(args, arquivo.c_str())) {
            std::fprintf(stderr, "could not run %s (build the gerar-produtos target)\n", gerador.c_str());
            return 1;
        }
    }
    const auto tamanho = static_cast<double>(fs::file_size(arquivo));

    std::string exe = eu.string(), modo = "--ler", cds = (pasta / "ProdutosTARVEX.cds").string();
    const std::string relato = (pasta / "relato.txt").string();
    char* const args[] = {exe.data(), modo.data(), arquivo.data(), cds.data(), nullptr};
    rusage uso{};
    if (!executar(args, relato.c_str(), &uso)) {
        std::fprintf(stderr, "the reading failed\n");
        return 1;
    }
    int total = 0;
    double segundos = 0;
    long picoLendo = 0;
    std::ifstream(relato) >> total >> segundos >> picoLendo;
    const double mb = 1024.0 / 1e6;
    std::printf("file: %d lines, %.1f MB\n", total, tamanho / 1e6);
    std::printf("reading: %.3f s\n", segundos);
    std::printf("peak with the table read: %.1f MB (%.2f x the file)\n", static_cast<double>(picoLendo) * mb,
                static_cast<double>(picoLendo) * 1024.0 / tamanho);
    std::printf("peak with the staging file written: %.1f MB (%.2f x the file)\n",
                static_cast<double>(uso.ru_maxrss) * mb, static_cast<double>(uso.ru_maxrss) * 1024.0 / tamanho);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--ler") == 0)
        return lerEmProcessoProprio(argv[2], argv[3]);
    if (argc > 2 && std::strcmp(argv[1], "--memoria") == 0) {
        std::string modelo = (fs::temp_directory_path() / "bench_csv_XXXXXX").string();
        if (!::mkdtemp(modelo.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        const int r = medirMemoria(argc, argv, modelo);
        std::error_code ec;
        fs::remove_all(modelo, ec);
        return r;
    }

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
