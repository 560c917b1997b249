#pragma once
// A stage's row failures grouped into causes for the summary: by their cause where the access
// layer names one (a duplicate key by its constraint, a text too long by its column), else by
// the message with the values that vary from record to record left out.
#include "import/CausaDeFalha.h"
#include "import/Recusa.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace norvo {

class ResumoDasCausas {
public:
    void contar(const CausaDeFalha::Registro& registro, const Recusa& recusa);
    // Most frequent first, ten at most.
    std::vector<CausaDeFalha> causas() const;

    // How the summary shows a failure's cause: the server's first code and the message's
    // first line, quoted texts and numbers left out.
    static std::string textoDaCausa(const Recusa& recusa);

private:
    using Chave = std::tuple<db::Causa::Tipo, long, std::string>;
    std::map<Chave, CausaDeFalha> causas_;
};

// Most frequent first, then in the order of the values themselves (the same summary every
// time), ten at most.
template <class T, class Vezes>
void maisFrequentes(std::vector<T>& v, Vezes vezes)
{
    std::sort(v.begin(), v.end(),
              [&](const T& a, const T& b) { return vezes(a) != vezes(b) ? vezes(a) > vezes(b) : a < b; });
    if (v.size() > 10)
        v.resize(10);
}

} // namespace norvo
