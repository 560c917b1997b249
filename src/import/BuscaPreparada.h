#pragma once
#include "db/Query.h"
#include "import/BancoDestino.h"
#include "import/Buscas.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace norvo {

// A lookup as a statement prepared once with its value as a parameter, remembering what it
// answered: fast mode's lookups. It finds exactly what the text-built statement finds: the
// value is compared as a Latin-1 text of its own length (as a quoted literal is), so trailing
// blanks, quotes and a value longer than the column behave the same.
class BuscaPreparada {
public:
    BuscaPreparada(BancoDestino& destino, const DefinicaoBusca& definicao);
    ~BuscaPreparada();
    // The first row's code, 0 when no row matches; `textual` answers what the prepared
    // statement cannot (a value too long to be a parameter, a failure to report as ever).
    int codigo(const std::string& valor, const std::function<int()>& textual);
    // Whether a row matches; a row the stage itself wrote is remembered with `lembrar`.
    bool existe(const std::string& valor, const std::function<bool()>& textual);
    void lembrar(const std::string& valor) { existentes_.insert(valor); }
    void esquecer(const std::string& valor) { existentes_.erase(valor); }
    // After a lost connection what was written but not committed is gone.
    void esquecer() { existentes_.clear(); }

    // A code lookup as the run's mode asks: the text-built `textual` by default, or in fast
    // mode the prepared one kept in `busca` (made on first use) for `valor`, as the
    // text-built one would compare it.
    static int buscar(std::unique_ptr<BuscaPreparada>& busca, BancoDestino& destino, const DefinicaoBusca& definicao,
                      const std::string& valor, const std::function<int()>& textual);

private:
    // False when the text-built statement must answer instead; throws only a lost connection.
    bool consultar(const std::string& valor, bool& achou, int& codigo);

    std::unique_ptr<db::Query> q_;
    std::string resultado_;
    std::unordered_set<std::string> existentes_; // positives only: a later insert may add a row
    std::unordered_map<std::string, int> codigos_;
};

} // namespace norvo
