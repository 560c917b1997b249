#pragma once
#include <string>

namespace norvo {

// A step of the run outside the stages' rows that failed: the sequence register, a log
// file, the final disconnect.
struct PassoFalho {
    std::string passo;
    std::string mensagem;
    bool relatar = true; // not shown yet: the front end reports it as a failure
};

} // namespace norvo
