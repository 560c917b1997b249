#pragma once
#include <optional>
#include <string>
#include <vector>

namespace norvo::cli {

struct Argumentos {
    std::string csv;
    std::string destino;
    std::optional<std::string> origem;
    std::optional<std::string> pastaLogs;
    bool produtos = false, clientes = false, fornecedores = false;
    bool sim = false;
    bool rapido = false, simular = false;
    bool ajuda = false;
};

// Throws std::invalid_argument with the reason for a bad command line.
Argumentos lerArgumentos(const std::vector<std::string>& args);
extern const char* const kAjuda;

} // namespace norvo::cli
