#pragma once
// A fresh temporary folder for one test, removed afterwards, and a guard that works
// inside it and puts the previous working directory back.
#include "staging/StagingTable.h"

#include <cstdlib>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace norvo::staging::teste {

class PastaTemp {
public:
    PastaTemp()
    {
        std::string modelo = (std::filesystem::temp_directory_path() / "norvo_staging_XXXXXX").string();
        if (!::mkdtemp(modelo.data()))
            throw std::runtime_error("mkdtemp failed");
        caminho_ = modelo;
    }
    ~PastaTemp()
    {
        std::error_code ec;
        std::filesystem::remove_all(caminho_, ec);
    }
    PastaTemp(const PastaTemp&) = delete;
    PastaTemp& operator=(const PastaTemp&) = delete;

    const std::filesystem::path& caminho() const { return caminho_; }
    std::string arquivo(const std::string& nome) const { return (caminho_ / nome).string(); }

    std::string escrever(const std::string& nome, const std::string& bytes) const
    {
        const std::string p = arquivo(nome);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

private:
    std::filesystem::path caminho_;
};

class DentroDe {
public:
    explicit DentroDe(const std::filesystem::path& p) : anterior_(std::filesystem::current_path())
    {
        std::filesystem::current_path(p);
    }
    ~DentroDe()
    {
        std::error_code ec;
        std::filesystem::current_path(anterior_, ec);
    }
    DentroDe(const DentroDe&) = delete;
    DentroDe& operator=(const DentroDe&) = delete;

private:
    std::filesystem::path anterior_;
};

inline std::string lerTudo(const std::string& p)
{
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// The message of the table's failure that f raises, or "<no failure>".
inline std::string mensagem(const std::function<void()>& f)
{
    try {
        f();
    } catch (const norvo::Error& e) {
        return e.what();
    }
    return "<no failure>";
}

} // namespace norvo::staging::teste
