#pragma once
#include <functional>
#include <string>

#include "texto/Error.h"

namespace norvo::staging::teste {

// The message of the failure that f raises, or "<no failure>".
inline std::string mensagem(const std::function<void()>& f)
{
    try {
        f();
    } catch (const norvo::Error& e) {
        return e.what();
    }
    return "<no failure>";
}

} // namespace norvo::staging::teste
