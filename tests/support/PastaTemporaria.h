#pragma once
// A fresh folder for one test, removed with everything in it at the end. Plain C++, so any
// test can use it.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

namespace norvo::teste {

// A new folder under the temporary one, named `prefixo` and a random part: create_directory
// makes it only when no other has that name, so two tests never share one.
inline std::filesystem::path pastaNova(const std::string& prefixo)
{
    std::random_device aleatorio;
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        const auto p = std::filesystem::temp_directory_path() / (prefixo + std::to_string(aleatorio()));
        if (std::filesystem::create_directory(p))
            return p;
    }
    throw std::runtime_error("no new temporary folder");
}

class PastaTemporaria {
public:
    PastaTemporaria()
    {
        caminho_ = pastaNova("norvo_teste_");
        // mkdtemp makes it the owner's alone; open it as a folder is usually made, in case
        // another user's process (the database server) looks into it.
        using std::filesystem::perms;
        std::filesystem::permissions(caminho_, perms::owner_all | perms::group_read | perms::group_exec |
                                                   perms::others_read | perms::others_exec);
    }
    ~PastaTemporaria()
    {
        std::error_code ec;
        if (anterior_)
            std::filesystem::current_path(*anterior_, ec);
        std::filesystem::remove_all(caminho_, ec);
    }
    PastaTemporaria(const PastaTemporaria&) = delete;
    PastaTemporaria& operator=(const PastaTemporaria&) = delete;

    // Makes the folder the working directory until the end, when the previous one is back.
    void entrar()
    {
        if (!anterior_)
            anterior_ = std::filesystem::current_path();
        std::filesystem::current_path(caminho_);
    }

    const std::filesystem::path& caminho() const { return caminho_; }
    std::string arquivo(const std::string& nome) const { return (caminho_ / nome).string(); }
    // The folder with its separator, as the window takes it.
    std::string pasta() const { return (caminho_ / "").string(); }

    // The file's full path.
    std::string escrever(const std::string& nome, const std::string& bytes) const
    {
        const std::string p = arquivo(nome);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
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
    std::optional<std::filesystem::path> anterior_;
};

} // namespace norvo::teste
