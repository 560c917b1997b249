#pragma once
// Fast mode's inserts sent several rows at a time: one prepared EXECUTE BLOCK carries as many
// rows of a stage's insert as the server takes in one statement, so that a row costs no round
// trip of its own. A block is one statement: when the server refuses it, it undoes all of it,
// and the block's rows are sent again one at a time, so that each failing row is found and
// told as the row-by-row run tells it, and every good row is written.
#include "db/Param.h"
#include "db/Query.h"
#include "import/BancoDestino.h"
#include "import/InsercaoDeclarada.h"

#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace norvo {

// An EXECUTE BLOCK that inserts `linhas` rows into `colunas` of `tabela`: each value a
// parameter declared TYPE OF COLUMN, but where `literais` holds a text for a column, that
// literal in every row. Its text and its parameters' names in order (for
// Query::redefinirComoNoServidor).
struct BlocoDeInsercoes {
    std::string texto;
    std::vector<std::string> nomes;
};
BlocoDeInsercoes blocoDeInsercoes(const std::string& tabela, const std::vector<std::string>& colunas,
                                  std::size_t linhas, const std::vector<std::string>& literais);

class EscritaEmBlocos {
public:
    // What to do with a row the server refused when it was sent on its own.
    using Recusada = std::function<void(const std::exception&)>;

    // `insercao`: the stage's one-row insert as `declarada` declares it, prepared; each block
    // declares its parameters of the same types (TYPE OF COLUMN). Throws std::logic_error when
    // the statement's parameters are not the declared columns.
    EscritaEmBlocos(BancoDestino& destino, db::Query& insercao, const InsercaoDeclarada& declarada);

    // The insert's current values join the block; a full block is sent at once. `pendente`,
    // the run's record of the row, holding those values: the block reads them from it, a
    // code the row is numbered again with is its own too, and without `recusada` a refusal
    // is told through it (LinhaPendente::perda).
    void acrescentar(Recusada recusada, std::shared_ptr<LinhaPendente> pendente = {});
    // Sends what the block holds: a full block as one statement, a stage's last rows one by
    // one. A lost connection goes up, the rows with it (the run's batch names them).
    void enviar();
    std::size_t linhasPorBloco() const { return porBloco_; }
    // Rows given to the writer so far, and whether the one given as row `n` (counted from 0)
    // still waits for its block: its outcome is not known yet.
    std::size_t acrescentadas() const { return acrescentadas_; }
    bool esperando(std::size_t n) const { return n < acrescentadas_ && n >= acrescentadas_ - linhas_.size(); }
    // Forgets the rows held for the next block: a lost connection left them in doubt, and
    // the run's batch settles each of them.
    void descartar() { linhas_.clear(); }
    // The codes refused rows left to the rows after them, so far (InsercaoDeclarada::codigoDevolvido).
    std::size_t devolvidos() const { return devolvidos_; }

private:
    void linhaALinha();
    // One row sent on its own: bound, and when refused so, as its own statement
    // (InsercaoDeclarada::textoDaLinha). Throws what the server said of it.
    void enviarSozinha(const std::vector<db::Param>& valores);
    db::Query& bloco(const std::vector<std::string>& literais);

    BancoDestino& destino_;
    db::Query& insercao_;
    const InsercaoDeclarada& declarada_;
    std::unique_ptr<db::Query> sozinha_; // a row on its own as its text (InsercaoDeclarada::textoDaLinha)
    std::string tabela_;
    std::vector<std::string> colunas_;
    std::vector<bool> constantes_;
    std::map<std::vector<std::string>, std::unique_ptr<db::Query>> blocos_; // by their literals
    std::size_t porLinha_ = 0;
    std::size_t porBloco_ = 1;
    struct Linha {
        std::vector<db::Param> proprios; // its values, when the run keeps no record of it
        Recusada recusada;
        std::shared_ptr<LinhaPendente> pendente;
        std::vector<db::Param>& valores() { return pendente ? pendente->valores : proprios; }
        const std::vector<db::Param>& valores() const { return pendente ? pendente->valores : proprios; }
    };
    std::vector<Linha> linhas_;
    std::size_t acrescentadas_ = 0;
    std::size_t devolvidos_ = 0;
};

} // namespace norvo
