#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "staging/NotaLeitura.h"

namespace norvo::staging {

// A reading's outcome: the records it stored and its notes in line order. Past MaxNotas
// the notes are only counted, so that a file of a million odd lines cannot exhaust memory.
struct ResultadoLeitura {
    static constexpr std::size_t MaxNotas = 10000;
    int registros = 0;
    std::vector<NotaLeitura> notas;
    std::array<long, NotaLeitura::NumTipos> porTipo{}; // every note, kept or not
    long naoGuardadas = 0;

    long totalNotas() const;
    // The notes as the command line prints them: all of them up to `limite`, else the first
    // ones and a count by kind. Empty when there is none.
    std::string resumo(std::size_t limite = 20) const;
};

} // namespace norvo::staging
