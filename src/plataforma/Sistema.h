#pragma once
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

// The system around the program: its clock, its environment, its command line, its console
// and the folders it gives a user.
namespace norvo::plataforma {

// The local calendar time of `quando`.
std::tm horaLocal(std::time_t quando);

// An environment variable's value in UTF-8; empty when unset.
std::string variavel(const char* nome);

// The program's arguments after its name, in UTF-8 (Windows passes main() the ANSI code
// page's, which loses a folder's accents).
std::vector<std::string> argumentos(int argc, char** argv);

// The console shows the UTF-8 the command line writes (Windows' own is an old code page).
void prepararConsole();

// Whether `saida` is a terminal (progress bars are drawn only there).
bool ehTerminal(std::FILE* arquivo);

// Where a user's settings and data go when the program is installed, each ending with the
// program's own folder and a separator: the XDG folders on Linux (importa-norvo),
// %APPDATA% and %LOCALAPPDATA% on Windows (ImportaNorvo). Empty when the system gives none.
std::string pastaDeConfiguracao();
std::string pastaDeDados();

// Whether an executable in `pastaExecutavel` is the installed program: in `pastaInstalada`
// (its prefix's bin folder) on Linux, under Program Files on Windows.
bool executavelInstalado(const std::string& pastaExecutavel, const std::string& pastaInstalada);

} // namespace norvo::plataforma
