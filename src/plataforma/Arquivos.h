#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// File names as the program keeps them (UTF-8 bytes in a std::string) and as the system's
// calls take them: wide characters on Windows, so that a folder with accents opens there too.
namespace norvo::plataforma {

#ifdef _WIN32
constexpr char Separador = '\\';
#else
constexpr char Separador = '/';
#endif

// Whether the program's file names are UTF-8 whatever the user's locale: on Windows, where
// the program makes them so; on Linux they are the file system's bytes, as the locale has them.
#ifdef _WIN32
constexpr bool NomesSempreEmUtf8 = true;
#else
constexpr bool NomesSempreEmUtf8 = false;
#endif

// The path a UTF-8 file name is, for std::filesystem and the streams.
std::filesystem::path caminho(const std::string& utf8);
// A path the system gave, as the program keeps it.
std::string emUtf8(const std::filesystem::path& p);
// Opens `utf8` as std::fopen would; null with errno set when it cannot.
std::FILE* abrirArquivo(const std::string& utf8, const char* modo);
// Whether `pasta` ends with a folder separator of this system.
bool terminaEmSeparador(const std::string& pasta);

// A file opened for reading without ever waiting on it: a named pipe with no writer, or a
// device, is not waited for at the opening, and is then told apart from a regular file.
class ArquivoDeLeitura {
public:
    explicit ArquivoDeLeitura(const std::string& utf8);
    ~ArquivoDeLeitura();
    ArquivoDeLeitura(const ArquivoDeLeitura&) = delete;
    ArquivoDeLeitura& operator=(const ArquivoDeLeitura&) = delete;

    // errno's value when it could not be opened (EISDIR for a folder), else 0.
    int erro() const { return erro_; }
    bool comum() const { return comum_; } // a regular file
    std::uint64_t tamanho() const { return tamanho_; }
    // Up to n bytes from `onde`; 0 at the end, -1 with errno set on failure.
    long long ler(char* p, std::size_t n, std::uint64_t onde) const;

private:
    int fd_ = -1;
    int erro_ = 0;
    bool comum_ = false;
    std::uint64_t tamanho_ = 0;
};

// Writes `dados` over the file `utf8` through a new file beside it and a rename, so that a
// crash or a full disk never leaves it half written; false when it could not be done (an
// existing file that is not a regular one, or not writable, is left alone).
bool substituirArquivo(const std::string& utf8, std::string_view dados);

// Empty when a new file can be made in `pasta` (ending with its separator, or empty for the
// current folder), else the system's reason.
std::string semEscritaEm(const std::string& pasta);

// The running executable's folder, ending with its separator.
std::string pastaDoExecutavel();

} // namespace norvo::plataforma
