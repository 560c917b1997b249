#pragma once
#include "import/Opcoes.h"

#include <optional>
#include <string>
#include <vector>

namespace norvo::cli {

struct Argumentos {
    std::string csv;
    std::string destino;
    std::optional<std::string> origem;
    std::optional<std::string> pastaLogs;
    std::optional<std::string> problemas; // where to write the reading's and the run's problems
    OpcoesImportacao opcoes;              // the run's options (import/Opcoes.h)
    bool sim = false;                     // answers Yes to the confirmation
    std::optional<std::string> restaurar; // puts this copy back over the destination instead of a run
    bool ajuda = false;
};

// Throws std::invalid_argument with the reason for a bad command line, in one line: an
// unknown or repeated option, an option where a value was expected, a missing one, or
// options that do not go together.
Argumentos lerArgumentos(const std::vector<std::string>& args);
// What --help prints (UTF-8).
std::string textoDeAjuda();

} // namespace norvo::cli
