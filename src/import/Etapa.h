#pragma once
// The contract every import stage follows, written once: gauge, status text, the DELETE
// with its commit, the walk with a row guard per record, the stage guard around it all,
// the operator's request to stop and the way back from a lost connection. A stage supplies
// its declaration (texts, insert), its walk, and how a record is bound and logged.
#include "db/Error.h"
#include "import/CausaDeFalha.h"
#include "import/ContextoEtapa.h"
#include "import/EscritaEmBlocos.h"
#include "import/InsercaoDeclarada.h"
#include "import/Etapas.h"
#include "import/Recusa.h"
#include "import/ResumoDasCausas.h"
#include "import/ResumoEtapa.h"

#include <functional>
#include <memory>
#include <string>

namespace norvo {

class Contas;

// How a stage walks its records, written twice: the staging table (EtapaDoEstagio) and a
// query on the source database (EtapaDaOrigem).
class Percurso {
public:
    virtual ~Percurso() = default;
    // The number of records about to be walked (the gauge's maximum); then, once the gauge
    // is set, what the walk reads is opened.
    virtual int contar() = 0;
    virtual void abrir() {}
    virtual void primeiro() = 0;
    virtual bool fim() const = 0;
    virtual void proximo() = 0;
    // How the summary names the current record (its code, unit, description...), and where
    // a staged record came from.
    virtual std::string identificacao() const = 0;
    virtual int linhaNoArquivo() const { return 0; }
    virtual int posicao() const { return -1; }
};

class Etapa {
public:
    // When a row is committed, as the run's rule says (BancoDestino: per row, per batch in
    // fast mode, never in a rehearsal): after each row written, inside its guard, so that a
    // refused commit is that row's failure; the same with a full commit rather than a
    // retaining one; or after each insert tried, written or not, outside the guard, so that a
    // refused commit ends the stage (the NCM stage).
    enum class Confirmacao { Retendo, Completa, AposTentativa };
    // What a stage states of itself, besides its walk and how a record is bound.
    struct Declaracao {
        std::string status; // LabelObs while it runs
        std::string falha;  // the stage failure text, followed by the failure's message
        // The stage's one insert: set as the command before the walk; a row in doubt after a
        // lost connection is found by its key; in fast mode, when `emBlocos`, sent in blocks.
        const InsercaoDeclarada* insercao = nullptr;
        bool emBlocos = false;
        Confirmacao confirmacao = Confirmacao::Retendo;
        bool statusAposRemover = false; // the status shown after the DELETE (the price stage)
        bool statusComTotal = false;    // followed by the records' count in parentheses (the same)
        bool gaugePorEscrita = false;   // the gauge moved per insert tried, not per record (the NCM stage)
        // The staged field a refusal points at when neither the value that could not be read
        // nor the insert's column names one; -1 for none.
        int campoPadrao = -1;
    };
    Etapa(ContextoEtapa& ctx, const DefinicaoEtapa& definicao, Declaracao declaracao, Percurso& percurso)
        : ctx_(ctx), definicao_(definicao), declaracao_(std::move(declaracao)), percurso_(percurso)
    {}
    virtual ~Etapa() = default;

    // Never lets a failure out: the stage guard reports it.
    ResumoEtapa executar();

protected:
    // Binds the current record and writes it inside a row guard (guardaLinha). A record
    // for which it writes nothing counts as one that needed no row.
    virtual void registro() = 0;
    // How the current record's failure is logged, as a call that writes its entry; kept for
    // the rows of an uncommitted batch, which a lost connection takes with it.
    virtual std::function<void(const Recusa&)> entradaDoLog() = 0;
    // Follow-up statements after the walk.
    virtual void depois() {}
    // What the stage remembers of the destination is no longer sure (a lost connection).
    virtual void esquecer() {}
    // The row of the record at `posicao`, held for a block, was refused when sent on its own:
    // what the stage took for written is not.
    virtual void desfeita(int /*posicao*/) {}
    // What the stage adds to its summary at the end (the cities the source stages missed).
    virtual void completarResumo(ResumoEtapa&) {}
    // Whether a row found by its key may be an earlier record's (a code repeated in the file).
    virtual bool chaveDeOutroRegistro(const LinhaPendente&) { return false; }

    // Runs `escrever` as the current record's write, and commits it (Confirmacao). A failure
    // is logged through entradaDoLog and the walk goes on; a lost connection goes up to the
    // walk, which logs the record, reconnects and goes on. True when the row was written.
    bool guardaLinha(const std::function<void()>& escrever);
    // A follow-up statement's commit: at once, whatever the batch.
    void commitAgora() { ctx_.destino.confirmarAgora(); }
    // The current record's write (the command statement, bound), inside guardaLinha: run
    // now, or in fast mode for a stage that writes in blocks, held for the next block. Every
    // row a stage writes goes through it, so that a lost connection knows what was in flight.
    void inserir();
    // The same for a row given as its values, in the declared columns' order: in fast mode
    // bound to the declared insert, otherwise sent as a statement of its own
    // (InsercaoDeclarada::textoDaLinha).
    void inserir(const std::vector<db::Param>& valores);
    // In fast mode, the number the next row written gets (inserir); whether the row given that
    // number still waits for its block, and sending what the block holds, so that its
    // outcome is known.
    std::size_t proximaLinha() const { return blocos_ ? blocos_->acrescentadas() : 0; }
    bool esperandoBloco(std::size_t linha) const { return blocos_ && blocos_->esperando(linha); }
    void enviarBloco()
    {
        if (blocos_)
            blocos_->enviar();
    }
    // The codes refused rows of blocks gave back to the rows after them
    // (InsercaoDeclarada::codigoDevolvido).
    int codigosDevolvidos() const { return blocos_ ? static_cast<int>(blocos_->devolvidos()) : 0; }
    // The current record fails without a write being tried, pointing at a staged field.
    void falharSemEscrita(const std::string& mensagem, int campo);
    // Keeps, by staged position, whether the record's row was written (the product stage);
    // none is, until the walk writes it.
    void marcarGravadas(std::vector<bool>& marcas) { marcas_ = &marcas; }

    ContextoEtapa& ctx() { return ctx_; }
    const DefinicaoEtapa& definicao() const { return definicao_; }
    const ModoExecucao& modo() const { return ctx_.destino.modo(); }
    const Declaracao& declaracao() const { return declaracao_; }
    db::Query& comando() { return ctx_.destino.comando(); } // the DELETE and the INSERT
    db::Query& auxiliar() { return ctx_.destino.auxiliar(); }
    const staging::StagingTable& estagio() const { return ctx_.registros; }
    // Clears the declared insert's values but the fixed ones: nothing of the row before may
    // reach this one.
    void limparValores()
    {
        comando().clearParams();
        if (declaracao_.insercao)
            declaracao_.insercao->vincularFixos(comando().params());
    }
    // The command statement with a new text.
    void redefinir(const std::string& texto) { ctx_.destino.redefinirComando(texto); }
    void eventos() { ctx_.op.processarEventos(); }
    void erro(std::string entrada) { ctx_.erros.push_back(std::move(entrada)); }
    void duplicado(std::string entrada) { ctx_.duplicados.push_back(std::move(entrada)); }

private:
    enum class Linha { SemLinha, Gravada, Falhou };
    CausaDeFalha::Registro citacao()
    {
        return {percurso_.identificacao(), percurso_.linhaNoArquivo(), percurso_.posicao()};
    }
    // The staged field a refusal points at: the value that could not be read, else the
    // declared column of a text too long, else the stage's own default.
    int campoEmFalta(const Recusa& r) const;
    void avancar();
    void gaugeAvancar() { ctx_.gauge.avancar(); }
    std::string status() const;
    void escrever(const std::vector<db::Param>& valores);
    void esvaziarEPercorrer();
    void percorrer();
    // Whether the operator asked the run to stop; marks the stage interrupted if so.
    bool pararAgora();
    // A row failure: its entry in the log, and its cause counted for the summary.
    void recusar(const CausaDeFalha::Registro& registro, const std::function<void(const Recusa&)>& entrada,
                 const Recusa& r);
    // After a lost connection, waits for the server and settles the rows in doubt: those of
    // the batch are found or written again, the current record's is found or walked again.
    // True when the current record is settled; throws when the server did not come back.
    bool retomar(const db::ConnectionLost& perda);
    // A failure every later row would meet: the current record is its one entry, the batch's
    // rows are undone and left unattempted, and the stage ends.
    [[noreturn]] void encerrarPorInutilizavel(const db::BancoInutilizavel& e);
    void desfazerLote();
    // Attaches again after a lost connection, waiting for the server with the operator told
    // so; throws when it did not come back or the operator asked the run to stop.
    void esperarOServidor();
    // A step outside the rows (the DELETE, the follow-up statements), run again after a lost
    // connection is waited out: each is whole in itself, and running it twice changes nothing.
    void comRetomada(const std::function<void()>& passo);
    // The last batch's commit, with the way back from a lost connection.
    void fecharLote();
    void marcar(int posicao, bool gravada);

    ContextoEtapa& ctx_;
    Contas* contas_ = nullptr; // while executar runs
    const DefinicaoEtapa& definicao_;
    Declaracao declaracao_;
    Percurso& percurso_;
    ResumoEtapa resumo_;
    Linha linha_ = Linha::SemLinha;
    ResumoDasCausas causas_;
    std::unique_ptr<EscritaEmBlocos> blocos_;                        // while a stage that writes in blocks walks
    std::shared_ptr<LinhaPendente> pendente_;                        // the row being written, in the batch
    std::shared_ptr<const std::vector<std::string>> textoDoComando_; // the last row's statement
    std::vector<bool>* marcas_ = nullptr;
    // Lost lines in a row with no record or step getting through: past a few, a record or
    // step that takes the server down each time is given up as a server that never returns.
    static constexpr int MaisPerdasSeguidas = 3;
    int perdasSeguidas_ = 0;
    bool foraDasLinhas_ = false; // while the batch's rows are told failed for what no row did
};

} // namespace norvo
