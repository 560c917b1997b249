#pragma once
// The safety copy of the destination, made by the server before a run empties anything, and
// the way back to it.
#include "import/Operador.h"

#include <ctime>
#include <string>

namespace norvo {

// Where the copy of `destino` made at `quando` goes: beside it, named after it with the local
// date and time. "/dados/NORVO.FDB" at 2026-12-08 15:04:05 -> "/dados/NORVO-20261208-150405.fbk".
std::string nomeDaCopia(const std::string& destino, std::time_t quando);

// Backs the destination up into `arquivo` through the server, as the run connects to it.
// Throws db::ServerError with the server's reason when the copy cannot be made: nothing of
// the destination has been touched then.
void copiarDestino(const std::string& destino, const std::string& arquivo, Operador& op);

// Puts the copy `arquivo` back over the destination. Refused (a warning) while anyone else is
// attached to the destination, asked first (Pergunta::Restaurar), and shown as a warning
// with the server's reason when it fails. The copy is first restored into a scratch database
// beside the destination, so that a copy the server cannot read whole never costs the
// destination itself.
enum class Restauracao {
    Feita,    // the destination now holds the copy
    Recusada, // refused or not confirmed: nothing was attempted
    Falhou,   // confirmed, then failed or stopped
};
Restauracao restaurarCopia(const std::string& arquivo, const std::string& destino, Operador& op);

// The scratch database restaurarCopia restores into first: "/dados/NORVO.FDB" ->
// "/dados/NORVO-restauracao.fdb". Kept, and named in the warning, when the restore over the
// destination fails after it.
std::string nomeDoProvisorio(const std::string& destino);

} // namespace norvo
