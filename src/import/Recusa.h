#pragma once
#include "db/Causa.h"

#include <exception>
#include <string>

namespace norvo {

// Why a row was refused: the message its log entry keeps, and its cause as a value, as the
// access layer told it (never read back out of the message).
struct Recusa {
    std::string mensagem;
    db::Causa causa;

    static Recusa de(const std::exception& e) { return {e.what(), db::causaDe(e)}; }
};

} // namespace norvo
