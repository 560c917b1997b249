#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace norvo::app::teste {

// A fresh folder for one test, removed with everything in it at the end.
class PastaTemporaria {
public:
    PastaTemporaria()
    {
        std::random_device rd;
        caminho_ =
            std::filesystem::temp_directory_path() / ("norvo_app_" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(caminho_);
    }
    ~PastaTemporaria()
    {
        std::error_code ec;
        std::filesystem::remove_all(caminho_, ec);
    }
    PastaTemporaria(const PastaTemporaria&) = delete;
    PastaTemporaria& operator=(const PastaTemporaria&) = delete;

    std::string arquivo(const std::string& nome) const { return (caminho_ / nome).string(); }
    // The folder with its separator, as the window takes it.
    std::string pasta() const { return caminho_.string() + "/"; }

    void escrever(const std::string& nome, const std::string& bytes) const
    {
        std::ofstream(arquivo(nome), std::ios::binary) << bytes;
    }
    std::string ler(const std::string& nome) const
    {
        std::ifstream in(arquivo(nome), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool existe(const std::string& nome) const { return std::filesystem::exists(arquivo(nome)); }
    std::size_t quantosArquivos() const
    {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(caminho_), std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path caminho_;
};

} // namespace norvo::app::teste
