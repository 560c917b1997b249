#pragma once
// The staging file (docs/staging-file.md): the table's records as text, for people and other
// tools. Written whole; never read back.
#include <string>

#include "staging/Registro.h"

namespace norvo::staging::detalhe {

// Creates or overwrites the file `nome` (relative to the working folder) with the records in
// walk order. Fails with "Cannot create file \"<full path>\". <reason>".
void gravarArquivoEstagio(const std::string& nome, const Registros& registros, const Textos& textos);

} // namespace norvo::staging::detalhe
