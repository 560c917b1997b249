#pragma once
#include "db/Error.h"

#include <exception>
#include <string>

namespace norvo::db {

// What made an operation fail, as a value: enough to group failures by cause without reading
// their text or the server's codes.
struct Causa {
    enum class Tipo { Outro, ConflitoDeTrava, ChaveDuplicada, ConexaoPerdida, TextoLongo, BancoInutilizavel };
    Tipo tipo = Tipo::Outro;
    long codigo = 0;                    // the server's first status code; 0 when the server said nothing
    std::string coluna;                 // TextoLongo: the parameter the text was bound to, by name
    int parametro = -1;                 // TextoLongo: and by position, -1 when not known
    int capacidade = 0;                 // TextoLongo: the column's length
    std::string restricao;              // ChaveDuplicada: the constraint
    std::string tabela;                 // ChaveDuplicada: its table
    BancoInutilizavel::Motivo motivo{}; // BancoInutilizavel: why
};

// The cause of any failure; Outro for one that is not the access layer's.
Causa causaDe(const std::exception& e);

} // namespace norvo::db
