#pragma once
#include <string>

#include "plataforma/Arquivos.h"

#include "staging/StagingTable.h"

namespace norvo {

// Where the program keeps its files. Run from the folder it was built or unpacked in, beside
// itself, as it always has (a technician copies that folder around); installed, in the
// user's own configuration and data folders (XDG rules on Linux, %APPDATA% and
// %LOCALAPPDATA% on Windows), since /usr/bin and Program Files are nobody's to write in.
struct Pastas {
    bool instalado = false;
    std::string config; // Config.ini; ends with a separator
    std::string dados;  // vantor.log and vantor2.log; ends with a separator
    // The staging file: in the data folder when installed, else in the current folder.
    std::string estagio = staging::StagingTable::NomeArquivo;
};

// `pasta` ending with a separator, as every folder here is kept; empty (the current folder) stays so.
std::string comSeparador(std::string pasta);

using plataforma::pastaDoExecutavel;

// The folder an installed executable lives in (chosen when the program was configured).
std::string pastaDeInstalacao();

// The folders for an executable living in `pastaExecutavel`, read from the environment
// (XDG_CONFIG_HOME, XDG_DATA_HOME, HOME; APPDATA, LOCALAPPDATA, ProgramFiles). Nothing is
// created.
Pastas pastasDoPrograma(const std::string& pastaExecutavel = pastaDoExecutavel());

// Creates both folders, and the staging file's, when missing; a failure is left to show up,
// with its reason, when a file is written there.
void criarPastas(const Pastas& pastas);

} // namespace norvo
