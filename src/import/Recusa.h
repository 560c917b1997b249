#pragma once
#include "db/Causa.h"
#include "staging/Error.h"

#include <exception>
#include <string>

namespace norvo {

// Why a row was refused: the message its log entry keeps, and its cause as a value, as the
// access layer told it (never read back out of the message).
struct Recusa {
    std::string mensagem;
    db::Causa causa;
    int campo = -1; // the staged field whose value could not be read, when that was the refusal

    static Recusa de(const std::exception& e)
    {
        const auto* ilegivel = dynamic_cast<const staging::ValorIlegivel*>(&e);
        return {e.what(), db::causaDe(e), ilegivel ? ilegivel->campo() : -1};
    }
};

} // namespace norvo
