#pragma once
// The two databases a run works on, each owning its connection, transaction and statements.
#include "db/DataSet.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include "import/Resultado.h"

#include <string>

namespace norvo {

// The Norvo database being rebuilt, on the local server. It also keeps the run's commit
// rule: after every row, once per batch in fast mode, or never in a rehearsal.
class BancoDestino {
public:
    // The first text the two statements hold before any stage sets its own.
    static constexpr const char* TextoInicial = "SELECT PRO_CODIGO FROM PRODUTO WHERE 1=2";
    static constexpr const char* HostLocal = "localhost";
    // Who the run attaches as; the safety copy and the restore act as the same user.
    static constexpr const char* Usuario = "SYSDBA";
    static constexpr const char* Senha = "kelpdrone";

    BancoDestino();
    BancoDestino(const BancoDestino&) = delete;
    BancoDestino& operator=(const BancoDestino&) = delete;

    // Attaches to `caminho` on the local server (dropping an earlier attachment) and starts
    // the transaction, which holds the tables in `reservadas` against every other writer for
    // its whole length (a second run, or the shop's program writing to them, is refused by
    // the server). Throws what the layer throws.
    void conectar(const std::string& caminho, const std::vector<std::string>& reservadas = {});
    // Commits the open transaction (rolling back silently when refused) and detaches.
    void desconectar();
    bool conectado() const { return banco_.connected(); }
    // After a lost connection: attach again, start the transaction. Throws when the server
    // cannot be reached.
    void reconectar();

    // The commit rule of a run, and a fresh batch for each stage.
    void definirModo(const ModoExecucao& modo);
    const ModoExecucao& modo() const { return modo_; }
    void iniciarEtapa();
    // After a row was written: commits at once, or when the batch is full in fast mode;
    // `total` asks a full commit rather than a retaining one. True when it committed.
    bool aposLinha(bool total = false);
    // Commits what the batch holds (the end of a walk); true when there was something.
    bool fecharLote();
    // The commit of a step outside the rows (a follow-up statement, the emptying): at once.
    void confirmarAgora() { confirmar(false); }
    // What the batch held is gone with the connection.
    void perderLote() { noLote_ = 0; }
    // After a step that failed: undoes what the transaction did since its last commit. Not
    // in a rehearsal, whose one transaction the run's end undoes whole, nor on a transaction
    // a lost connection has already ended.
    void desfazerPasso();
    // A rehearsal's end: undo its one transaction.
    void desfazerTudo();

    db::Query& comando() { return comando_; } // the DELETE and the INSERT of a stage
    // The command statement closed, cleared and given a new text.
    db::Query& redefinirComando(const std::string& texto);
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
};

// The Tarvex database the client and supplier stages read, opened by its path through the
// engine in this process; attached by its first query.
class BancoOrigem {
public:
    static constexpr const char* CaminhoPadrao = "C:\\Bantuva\\MORELIA.FDB";

    BancoOrigem();
    BancoOrigem(const BancoOrigem&) = delete;
    BancoOrigem& operator=(const BancoOrigem&) = delete;

    void setCaminho(const std::string& caminho);
    void desconectar();
    bool conectado() const { return banco_.connected(); }
    const std::string& caminho() const { return banco_.databaseName(); }
    db::Query& consulta() { return consulta_; }

private:
    db::Database banco_{"IBDBOrigem"};
    db::Transaction transacao_{"IBTransOrigem"};
    db::Query consulta_{"IBQueryOrigem"};
};

} // namespace norvo
