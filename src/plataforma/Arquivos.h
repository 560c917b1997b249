#pragma once
#include <cstdio>
#include <filesystem>
#include <string>

// File names as the program keeps them (UTF-8 bytes in a std::string) and as the system's
// calls take them: wide characters on Windows, so that a folder with accents opens there too.
namespace norvo::plataforma {

#ifdef _WIN32
constexpr char Separador = '\\';
#else
constexpr char Separador = '/';
#endif

// The path a UTF-8 file name is, for std::filesystem and the streams.
std::filesystem::path caminho(const std::string& utf8);
// A path the system gave, as the program keeps it.
std::string emUtf8(const std::filesystem::path& p);
// Opens `utf8` as std::fopen would; null with errno set when it cannot.
std::FILE* abrirArquivo(const std::string& utf8, const char* modo);
// Whether `pasta` ends with a folder separator of this system.
bool terminaEmSeparador(const std::string& pasta);

// The running executable's folder, ending with its separator.
std::string pastaDoExecutavel();

} // namespace norvo::plataforma
