#pragma once
// The Norvo database being rebuilt, on the local server, with the run's rules for it: when a
// row is committed, what a lost connection costs and how the run comes back from it.
#include "db/DataSet.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include "import/InsercaoDeclarada.h"
#include "import/Opcoes.h"

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace norvo {

// A row written since the last commit. A lost connection leaves it in doubt: its commit may
// have reached the disk with the answer lost on the way. Looked up by its key, it is found or
// written again with the statement and values that wrote it.
struct LinhaPendente {
    std::function<void(const std::exception&)> perda; // told it failed: its count and log entry
    int posicao = -1;                                 // the staged record's, or -1
    bool escrita = false;                             // its statement was sent, or held for a block
    bool recusada = false;                            // told it failed
    bool encontrada = false;                          // found on disk after a lost line
    const InsercaoDeclarada* insercao = nullptr;      // the insert it was written by: its key finds it
    // The statement that wrote it, shared by the rows written with the same text.
    std::shared_ptr<const std::vector<std::string>> texto;
    std::vector<db::Param> valores; // and its values
};
using Pendentes = std::vector<std::shared_ptr<LinhaPendente>>;

// How long a stage waits for the destination's server to come back after a lost connection.
inline constexpr std::chrono::seconds EsperaPeloServidor{60};

class BancoDestino {
public:
    // The first text the two statements hold before any stage sets its own.
    static constexpr const char* TextoInicial = "SELECT PRO_CODIGO FROM PRODUTO WHERE 1=2";

    BancoDestino();
    BancoDestino(const BancoDestino&) = delete;
    BancoDestino& operator=(const BancoDestino&) = delete;

    // Attaches to `caminho` on the local server (dropping an earlier attachment) and starts
    // the transaction, which holds the tables in `reservadas` against every other writer for
    // its whole length (a second run, or the shop's program writing to them, is refused by
    // the server). Throws what the layer throws.
    void conectar(const std::string& caminho, const std::vector<std::string>& reservadas = {});
    // Detaches; the open transaction is committed on the way (rolled back silently when the
    // server refuses), as the access layer's disconnect does.
    void desconectar();
    bool conectado() const { return banco_.connected(); }
    // After a lost connection: attach again, start the transaction. Throws when the server
    // cannot be reached.
    void reconectar();
    // The same, trying again with growing pauses for up to EsperaPeloServidor while the
    // server cannot be reached: `tentativa(n)` is told before the pause that precedes attempt
    // n, `continuar()` is asked during the pauses and ends the wait when false. Throws the
    // last failure when the server did not come back, at once for any failure but a lost line.
    void reconectarEsperando(const std::function<void(int)>& tentativa, const std::function<bool()>& continuar);
    // The last wait ran out without the server: a later stage tries once, not a whole wait.
    bool esperaEsgotada() const { return esperaEsgotada_; }

    // The run's mode, and its end: a rehearsal's one transaction undone, a real run's
    // committed; then detached.
    void definirModo(const ModoExecucao& modo);
    const ModoExecucao& modo() const { return modo_; }
    void encerrar();

    // A stage begins: a fresh batch, and a connection the stage before lost and could not
    // bring back is tried again. Throws when the server still cannot be reached.
    void iniciarEtapa();

    // The commit rule. After a row was written: commits at once, when the batch is full in
    // fast mode, or never in a rehearsal (its one transaction is undone at the end); `total`
    // asks a full commit rather than a retaining one. True when it committed.
    bool aposLinha(bool total = false);
    // Commits what the batch holds (the end of a walk).
    void fecharLote();
    // The commit of a step outside the rows (a follow-up statement, the emptying): at once.
    void confirmarAgora();
    // Runs before every commit (and at the end of every batch in a rehearsal): the rows a
    // stage holds back to send in blocks go to the server first. Empty: nothing.
    void antesDeConfirmar(std::function<void()> enviar) { antesDeConfirmar_ = std::move(enviar); }
    // After a step that failed: undoes what the transaction did since its last commit. Not
    // in a rehearsal, whose one transaction the run's end undoes whole, nor on a transaction
    // a lost connection has already ended.
    void desfazerPasso();

    // The rows written since the last commit, which a lost connection leaves in doubt: each
    // joins the batch before its write (outside a rehearsal), and leaves it when its write
    // fails or it is told lost on its own.
    using Perda = std::function<void(const std::exception&)>;
    void linhaNoLote(std::shared_ptr<LinhaPendente> linha);
    void linhaForaDoLote();
    // The batch's rows failed for good (a commit refused): each is told, the batch is empty.
    void perderLote(const std::exception& e);
    // The batch's rows, for the caller to settle; the batch is empty. Given back, they are
    // the batch's again, before any row written since.
    Pendentes tomarLote();
    void devolverLote(Pendentes linhas);
    // After reconnecting: whether a row in doubt is in the destination (its key found), and
    // its write again with its own statement and values.
    bool existe(const LinhaPendente& linha);
    void regravar(const LinhaPendente& linha);
    // A rehearsal whose connection was lost: its one transaction is gone, and what it would
    // forecast from here on would be wrong, so the run ends there.
    bool rodadaPerdida() const { return modo_.simular && banco_.perdida(); }

    db::Query& comando() { return comando_; } // the DELETE and the INSERT of a stage
    // The command statement closed, cleared and given a new text.
    db::Query& redefinirComando(const std::string& texto) { return comando_.redefinir(texto); }
    db::Query& auxiliar() { return auxiliar_; } // lookups and the product's follow-up
    db::DataSet& registroSequencial() { return geraCodigo_; }
    db::Database& banco() { return banco_; }
    db::Transaction& transacao() { return transacao_; }

private:
    void confirmar(bool total);

    db::Database banco_{"IBDatabaseDestino"};
    db::Transaction transacao_{"IBTransactionFireBird"};
    db::Query comando_{"IBQueryFireBird"};
    db::Query auxiliar_{"IBQueryAuxFB"};
    db::DataSet geraCodigo_{"IBDataSetGeraCodFB"};
    ModoExecucao modo_;
    int noLote_ = 0;         // rows written since the last commit
    bool loteTotal_ = false; // the batch ends with a full commit
    bool esperaEsgotada_ = false;
    Pendentes lote_;
    std::function<void()> antesDeConfirmar_;
};

} // namespace norvo
