#pragma once
#include "db/Values.h"
#include "import/Bancos.h"
#include "import/Operador.h"
#include "import/Resultado.h"
#include "staging/StagingTable.h"
#include "texto/Latin1.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace norvo {

using texto::ChaveDeBusca;

// GaugeImportando's state; every change is passed on to the operator.
class Gauge {
public:
    explicit Gauge(Operador& op) : op_(op) {}
    void definir(int maximo);
    void avancar();
    void zerar();
    int maximo() const { return maximo_; }

private:
    Operador& op_;
    int maximo_ = 100;
    int progresso_ = 0;
};

// What a stage works with, and nothing more: the two databases, the staged records, the
// run's lists, the operator and the run's clock.
struct ContextoEtapa {
    BancoDestino& destino;
    BancoOrigem& origem;
    staging::StagingTable& registros;
    std::vector<std::string>& erros;       // ListaErros: vantor.log
    std::vector<std::string>& duplicados;  // ListaDuplicados: vantor2.log
    std::vector<PassoFalho>& passosFalhos; // steps outside the rows that failed
    int& parada;                           // what paradaPedida() said, once a stage stopped for it
    Operador& op;
    Gauge& gauge;
    std::function<db::DateTime()> hoje; // the local date at 00:00
};

// Why a row failed, as the layer or the server said it: the message the log keeps, the
// server's status codes, and the column length a text exceeded.
struct Falha {
    std::string mensagem;
    std::vector<long> codigos;
    int capacidadeExcedida = 0;

    static Falha de(const std::exception& e);
    bool tem(long codigo) const;
};

// The accounting of one stage's records: each record walked ends as a row written, a row
// failed (with its log entry) or one that needed no row; the records a stage never reached
// are counted when it ends early. A total that does not add up is a programming error.
class Contas {
public:
    explicit Contas(ResumoEtapa& r) : r_(r) {}
    void gravada() { ++r_.gravados, ++vistos_; }
    void falhou() { ++r_.falhas, ++vistos_; }
    void ignorada() { ++r_.ignorados, ++vistos_; }
    // A row counted written whose batch a lost connection took with it.
    void perdida() { --r_.gravados, ++r_.falhas; }
    // At the stage's end. Throws std::logic_error when the records do not add up.
    void encerrar();

private:
    ResumoEtapa& r_;
    long vistos_ = 0;
};

// A lookup as a statement prepared once with its value as a parameter, remembering what it
// answered. It finds exactly what the text-built statement finds: the value is compared as
// a Latin-1 text of its own length (as a quoted literal is), so trailing blanks, quotes and
// a value longer than the column behave the same.
class BuscaPreparada {
public:
    // `tabela`, `coluna` compared, `resultado` the column returned (its code).
    BuscaPreparada(BancoDestino& destino, const std::string& tabela, const std::string& coluna,
                   const std::string& resultado);
    ~BuscaPreparada();
    // The first row's code, 0 when no row matches; `textual` answers what the prepared
    // statement cannot (a value too long to be a parameter, a failure to report as ever).
    int codigo(const std::string& valor, const std::function<int()>& textual);
    // Whether a row matches; a row the stage itself wrote is remembered with `registrar`.
    bool existe(const std::string& valor, const std::function<bool()>& textual);
    void registrar(const std::string& valor) { existentes_.insert(valor); }
    // After a lost connection what was written but not committed is gone.
    void esquecer() { existentes_.clear(); }

private:
    // False when the text-built statement must answer instead; throws only a lost connection.
    bool consultar(const std::string& valor, bool& achou, int& codigo);

    std::unique_ptr<db::Query> q_;
    std::string resultado_;
    std::unordered_set<std::string> existentes_; // positives only: a later insert may add a row
    std::unordered_map<std::string, int> codigos_;
};

// The sequence register and the text-built lookups, on the destination.
void GravaCodigoSequencial(ContextoEtapa& ctx, const std::string& tabela, int valor);
int BuscaCodigoUnidade(BancoDestino& destino, const std::string& descricao);
int BuscaCodigoNCM(BancoDestino& destino, const std::string& ncm);
// Never lets a failure out but a lost connection: it logs it and answers 0.
int BuscaCodigoCidade(ContextoEtapa& ctx, const std::string& nome);

// The stages, each in a file of its own.
ResumoEtapa ImportaClientes(ContextoEtapa& ctx);
ResumoEtapa ImportaFornecedores(ContextoEtapa& ctx);
ResumoEtapa ImportaUnidades(ContextoEtapa& ctx);
ResumoEtapa ImportaNCM(ContextoEtapa& ctx);
ResumoEtapa ImportaProdutos(ContextoEtapa& ctx);
ResumoEtapa ImportaPrecos(ContextoEtapa& ctx);

// The contract every import stage follows, written once: gauge, status text, the DELETE
// with its commit, the walk with a row guard per record, the stage guard around it all,
// the operator's request to stop, the way back from a lost connection, and the run's commit
// rule. A stage supplies only its texts, statements and bindings.
class Etapa {
public:
    struct Textos {
        std::string nome;   // the routine's name, for the summary
        std::string status; // LabelObs while it runs
        std::string remove; // the DELETE that empties its table
        std::string falha;  // the stage failure text, followed by the failure's message
    };
    Etapa(ContextoEtapa& ctx, Textos textos) : ctx_(ctx), textos_(std::move(textos)) {}
    virtual ~Etapa() = default;

    // Never lets a failure out: the stage guard reports it.
    ResumoEtapa executar();

protected:
    // The number of records about to be walked (the gauge's maximum).
    virtual int contar() = 0;
    // After the gauge is set: the source stages open the query they walk.
    virtual void abrirOrigem() {}
    // The price stage shows its status after the DELETE.
    virtual bool statusAposRemover() const { return false; }
    virtual std::string textoStatus() const { return textos_.status; }
    // Sets the INSERT text, once, before the walk.
    virtual void prepararInsercao() {}
    virtual void primeiro() = 0;
    virtual bool fim() = 0;
    virtual void proximo() = 0;
    // Binds the current record and writes it inside a row guard (guardaLinha). A record
    // for which it writes nothing counts as one that needed no row.
    virtual void registro() = 0;
    // The current record's row-failure entry, as a call that appends it for a failure;
    // kept for the rows of an uncommitted batch, which a lost connection takes with it.
    virtual std::function<void(const Falha&)> falhaDoRegistro() = 0;
    // After each record: gauge, next record, pending events.
    virtual void avancar();
    // Follow-up statements after the walk.
    virtual void depois() {}
    // What the stage remembers of the destination is no longer sure (a lost connection).
    virtual void esquecer() {}
    // How the summary names the current record (its code, unit, description...), and where
    // a staged record came from.
    virtual std::string identificacao() = 0;
    virtual int linhaNoArquivo() const { return 0; }
    virtual int posicao() const { return -1; }
    RegistroCitado citacao() { return {identificacao(), linhaNoArquivo(), posicao()}; }
    // A record given city code 0 for a name CIDADE does not hold, for the summary.
    void cidadeNaoEncontrada(const std::string& nome) { ++semCidade_[nome]; }

    // Runs `escrever` as the current record's write. A failure is logged through
    // falhaDoRegistro and the walk goes on; a lost connection goes up to the walk, which
    // logs the record, reconnects and goes on. True when the row was written.
    bool guardaLinha(const std::function<void()>& escrever);
    // The run's commit after a row: at once, once per batch, or never in a rehearsal;
    // `total` for a full commit (the supplier stage).
    void commitRetaining() { depoisDaLinha(false); }
    void commit() { depoisDaLinha(true); }
    // A follow-up statement's commit: at once, whatever the batch (never in a rehearsal).
    void commitAgora();

    ContextoEtapa& ctx() { return ctx_; }
    const ModoExecucao& modo() const { return ctx_.destino.modo(); }
    db::Query& comando() { return ctx_.destino.comando(); } // the DELETE and the INSERT
    db::Query& auxiliar() { return ctx_.destino.auxiliar(); }
    db::Query& origem() { return ctx_.origem.consulta(); } // the source rows walked
    const staging::StagingTable& estagio() const { return ctx_.registros; }
    void gaugeAvancar() { ctx_.gauge.avancar(); }
    // The staging table's current record, which the grid follows: first (settling a
    // pending record), or the record at a position.
    void mostrarPrimeiro() { ctx_.registros.first(); }
    void mostrar(int linha) { ctx_.registros.setCurrent(linha); }
    // A code lookup: the text-built routine `textual`, or in fast mode the prepared one kept
    // in `busca` (made on first use) for `valor` as the text-built one would compare it.
    int buscarCodigo(std::unique_ptr<BuscaPreparada>& busca, const char* tabela, const char* coluna, const char* codigo,
                     const std::string& valor, const std::function<int()>& textual);
    // Close, clear and set a new text on the command query.
    void redefinir(const std::string& texto);
    void eventos() { ctx_.op.processarEventos(); }
    void erro(std::string entrada) { ctx_.erros.push_back(std::move(entrada)); }
    void duplicado(std::string entrada) { ctx_.duplicados.push_back(std::move(entrada)); }

private:
    enum class Linha { SemLinha, Gravada, Falhou };
    void esvaziarEPercorrer(Contas& contas);
    void percorrer(Contas& contas);
    // Whether the operator asked the run to stop; marks the stage interrupted if so.
    bool pararAgora();
    void depoisDaLinha(bool total);
    // Commits what the batch holds, at the end of the walk or of the stage.
    void fecharLote();
    // The batch's rows did not reach the server: each becomes a row failure.
    void perderLote(Contas& contas, const Falha& falha);
    // A row failure: its entry in the log, and its cause counted for the summary.
    void falhou(const RegistroCitado& registro, const std::function<void(const Falha&)>& registrar, const Falha& f);
    void resumirCausas();
    bool rastrearLote() const { return modo().rapido && !modo().simular; }

    ContextoEtapa& ctx_;
    Textos textos_;
    ResumoEtapa resumo_;
    Linha linha_ = Linha::SemLinha;
    // The rows written since the last commit, in fast mode: how each is named and logged.
    struct Pendente {
        RegistroCitado registro;
        std::function<void(const Falha&)> registrar;
    };
    std::vector<Pendente> lote_;
    std::unordered_map<std::string, CausaDeFalha> causas_;
    std::unordered_map<std::string, long> semCidade_;
};

// A stage that walks the staging table by its own position: the grid may move the table's
// current record (it only follows the walk), but cannot steer which record comes next.
class EtapaDoEstagio : public Etapa {
public:
    using Etapa::Etapa;

protected:
    int contar() override { return estagio().recordCount(); }
    void primeiro() override;
    bool fim() override { return linha_ >= total_; }
    void proximo() override;
    // A stage's entry for the record at `linha`.
    virtual void registrarFalha(int linha, const Falha& falha) = 0;
    std::function<void(const Falha&)> falhaDoRegistro() override
    {
        return [this, linha = linha_](const Falha& f) { registrarFalha(linha, f); };
    }
    std::string identificacao() override { return texto(staging::COD_PRODUTO); }
    int linhaNoArquivo() const override { return estagio().cellLinha(linha_); }
    int posicao() const override { return linha_; }

    // Fields of the record being walked, or of another by its position.
    std::string texto(staging::Campo c) const { return texto(linha_, c); }
    std::string texto(int linha, staging::Campo c) const { return estagio().cellText(linha, c); }
    std::int32_t inteiro(staging::Campo c) const { return estagio().cellInteger(linha_, c); }
    std::int64_t dinheiro(staging::Campo c) const { return estagio().cellMoney(linha_, c); }

private:
    int linha_ = 0;
    int total_ = 0;
};

// A stage that walks the rows of the source query.
class EtapaDaOrigem : public Etapa {
public:
    using Etapa::Etapa;

protected:
    // The count query and the row query, each as lines.
    virtual std::vector<std::string> textoContagem() const = 0;
    virtual std::vector<std::string> textoLinhas() const = 0;
    int contar() override;
    void abrirOrigem() override;
    void primeiro() override { origem().first(); }
    bool fim() override { return origem().eof(); }
    void proximo() override { origem().next(); }
    void avancar() override; // gauge, events, then the next row
    void esquecer() override;

    // The current source row's column as text, and the insert's parameter by name.
    std::string texto(const char* coluna) { return origem().fieldByName(coluna).asString(); }
    db::Param& param(const char* nome) { return comando().paramByName(nome); }
    // The city's code: prepared and remembered in fast mode, text-built otherwise.
    int codigoCidade(const std::string& nome);

private:
    std::unique_ptr<BuscaPreparada> cidades_;
};

} // namespace norvo
