#pragma once
#include <string>
#include <vector>

namespace norvo::plataforma {

// A shared library the program loads while it runs (dlopen, LoadLibrary), released when its
// owner goes.
class Biblioteca {
public:
    Biblioteca() = default;
    ~Biblioteca();
    Biblioteca(Biblioteca&& o) noexcept;
    Biblioteca& operator=(Biblioteca&& o) noexcept;
    Biblioteca(const Biblioteca&) = delete;
    Biblioteca& operator=(const Biblioteca&) = delete;

    // The library `nome` as the system finds it; an empty one when it does not load.
    static Biblioteca abrir(const std::string& nome);
    explicit operator bool() const { return h_ != nullptr; }
    // The address of the function `nome`, or null.
    void* simbolo(const char* nome) const;

private:
    explicit Biblioteca(void* h) : h_(h) {}
    void* h_ = nullptr;
};

// Where the Firebird client library is looked for, in order: its names on this platform, each
// beside the program first on Windows (where the server's installation leaves fbclient.dll or
// its older name gds32.dll), then as the system's search finds it. The first is the name a
// failure to load it gives.
std::vector<std::string> lugaresDoClienteFirebird();
std::string nomeDoClienteFirebird();

} // namespace norvo::plataforma
