#include "plataforma/Biblioteca.h"

#include "plataforma/Arquivos.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace norvo::plataforma {

Biblioteca::~Biblioteca()
{
#ifdef _WIN32
    if (h_)
        FreeLibrary(static_cast<HMODULE>(h_));
#else
    if (h_)
        dlclose(h_);
#endif
}

Biblioteca::Biblioteca(Biblioteca&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}

Biblioteca& Biblioteca::operator=(Biblioteca&& o) noexcept
{
    if (this != &o) {
        Biblioteca velha(std::exchange(h_, std::exchange(o.h_, nullptr)));
    }
    return *this;
}

Biblioteca Biblioteca::abrir(const std::string& nome)
{
#ifdef _WIN32
    // No "file not found" box from the system for a library that is simply absent.
    const UINT antes = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE h = LoadLibraryW(caminho(nome).c_str());
    SetErrorMode(antes);
    return Biblioteca(h);
#else
    return Biblioteca(dlopen(nome.c_str(), RTLD_NOW | RTLD_LOCAL));
#endif
}

void* Biblioteca::simbolo(const char* nome) const
{
    if (!h_)
        return nullptr;
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(h_), nome));
#else
    return dlsym(h_, nome);
#endif
}

std::string nomeDoClienteFirebird()
{
#ifdef _WIN32
    return "fbclient.dll";
#else
    return "libfbclient.so.2";
#endif
}

std::vector<std::string> lugaresDoClienteFirebird()
{
#ifdef _WIN32
    const std::string aqui = pastaDoExecutavel();
    return {aqui + "fbclient.dll", aqui + "gds32.dll", "fbclient.dll", "gds32.dll"};
#else
    return {nomeDoClienteFirebird()};
#endif
}

} // namespace norvo::plataforma
