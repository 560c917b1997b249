#pragma once
#include "db/Causa.h"

#include <string>
#include <vector>

namespace norvo {

// One cause of a stage's row failures, as the summary shows it: the server's code and message
// with the values that vary (quoted texts, numbers) left out, how many records it hit and the
// first few of them.
struct CausaDeFalha {
    // A record a failure names: as the summary names it (its code, unit, description...)
    // and, for a staged record, where it came from and where it is.
    struct Registro {
        std::string nome;
        int linha = 0;    // its line in the product file; 0 for a source row or one typed in the grid
        int posicao = -1; // its position in the staging table during the run; -1 for a source row
        int campo = -1;   // the staging field at fault (staging::Campo), where the stage knows it
    };
    std::string causa;
    db::Causa::Tipo tipo = db::Causa::Tipo::Outro;
    std::string qual; // the constraint (a duplicate key) or the column (a text too long)
    long vezes = 0;
    std::vector<Registro> registros;
    bool operator<(const CausaDeFalha& o) const { return causa < o.causa; }
};

} // namespace norvo
