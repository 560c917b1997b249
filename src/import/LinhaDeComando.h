#pragma once
// The command line of both programs, read by one rule: the run's options (Opcoes.h) and the
// program's own, each given once; an option where a value belongs is bad usage.
#include "import/Opcoes.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norvo {

// One option a program takes besides the run's.
struct OpcaoDoPrograma {
    const char* nome;   // "--csv"
    const char* valor;  // what it takes, as --help names it ("FILE"); nullptr for a switch
    const char* espera; // what it takes, as bad usage names it ("um arquivo")
    const char* ajuda;  // --help's text (UTF-8); a "\n" starts a continuation line
};

struct ArgumentosLidos {
    OpcoesImportacao opcoes;                    // the run's options given
    std::vector<std::string> dadas;             // every option given, in order ("-h" as "--help")
    std::map<std::string, std::string> valores; // the values of the options that take one

    bool tem(std::string_view nome) const;
    std::optional<std::string> valor(std::string_view nome) const;
};

// Throws std::invalid_argument with the reason, in one line, for an option given twice, an
// option where a value is expected, a missing value or, when `estrito`, anything that is no
// option of either list. Not `estrito` (the window, which the desktop may hand a file),
// such words are passed over.
ArgumentosLidos lerArgumentos(const std::vector<std::string>& args, std::span<const OpcaoDoPrograma> proprias,
                              bool estrito = true);

// The options part of --help: the run's options, then the program's own, one per line with
// its text from the 20th column (UTF-8).
std::string textoDasOpcoes(std::span<const OpcaoDoPrograma> proprias);

} // namespace norvo
