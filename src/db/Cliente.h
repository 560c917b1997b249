#pragma once
#include "plataforma/Biblioteca.h"

#include <memory>
#include <string>
#include <vector>

namespace norvo::db {

struct FuncoesDoCliente;

// The Firebird client library, loaded while the program runs, so that the program starts (and
// reads files) on a machine without it.
class Cliente {
public:
    // The first of `lugares` that loads with every function the layer calls. When none does,
    // throws ClienteAusente naming `nome`, the library's name on the platform.
    Cliente(const std::vector<std::string>& lugares, const std::string& nome);
    ~Cliente();
    Cliente(Cliente&&) noexcept;
    Cliente& operator=(Cliente&&) noexcept;

    const FuncoesDoCliente& funcoes() const { return *funcoes_; }

private:
    plataforma::Biblioteca biblioteca_;
    std::unique_ptr<FuncoesDoCliente> funcoes_;
};

} // namespace norvo::db
