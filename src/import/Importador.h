#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/DataSet.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include "import/Operador.h"
#include "staging/StagingTable.h"

namespace norvo {

enum class Opcao { Clientes, Fornecedores, Produtos };

// How a run writes. The default is the one-row-one-commit run with text-built lookups.
struct ModoExecucao {
    // Commits every `lote` rows (and at the end of each stage) instead of after each one;
    // lookups and existence checks run as statements prepared once, and what the stage
    // already looked up or wrote is answered from memory. Same rows, same failures.
    bool rapido = false;
    // Everything in one transaction that is rolled back at the end: the destination is left
    // as it was, the logs are written as the real run would write them.
    bool simular = false;
    int lote = 1000;
};

// What one stage did. Its records always add up: registros = gravados + falhas + ignorados
// + naoTentados.
struct ResumoEtapa {
    std::string nome;       // "ImportaProdutos", ...
    bool iniciada = true;   // false: the run was stopped before it
    long registros = 0;     // records it had to walk (its gauge's maximum)
    long gravados = 0;      // rows written and committed
    long falhas = 0;        // rows that failed, each with its log entry
    long ignorados = 0;     // records that needed no row (a blank unit, a code already written)
    long naoTentados = 0;   // records never reached because the stage ended early
    int reconexoes = 0;     // lost connections it came back from
    bool falhou = false;    // ended through its stage guard
    bool interrompida = false; // ended early because the operator asked the run to stop
    std::string falha;      // the stage failure text shown, when falhou
    double segundos = 0;    // wall-clock time the stage took
};

// A step of the run outside the stages' rows that failed: the sequence register, a log
// file, the final disconnect.
struct PassoFalho {
    std::string passo;
    std::string mensagem;
    bool relatar = true;    // not shown yet: the front end reports it as a failure
};

// The outcome of one press of "Importar", as a value: the window and the command line
// decide what to say and how to exit from this, never from what was shown.
struct ResultadoImportacao {
    enum class Inicio { NadaMarcado, SemConexao, NaoConfirmada, Iniciada };
    Inicio inicio = Inicio::NadaMarcado;
    std::vector<ResumoEtapa> etapas;
    std::vector<PassoFalho> passosFalhos;
    std::vector<std::string> logs;   // the log files written, full paths
    long entradasErros = 0;          // entries of vantor.log
    long entradasDuplicados = 0;     // entries of vantor2.log
    int parada = 0;                  // what paradaPedida() said when the run stopped early
    // The table the run could not empty before its stages, and the server's reason: it
    // stopped there, having changed nothing.
    std::string tabelaNaoEsvaziada, motivoNaoEsvaziada;
    bool simulada = false;           // a rehearsal: nothing was written

    bool iniciada() const { return inicio == Inicio::Iniciada; }
    // A stage failed, a row failed, or a step of the run failed.
    bool comErros() const;
    bool interrompida() const { return parada != 0; }
};

// The state and routines behind the main window, free of any widget: the two databases,
// their transactions and statements, the staging table, the run's lists and the stages.
// The window, the command line and the tests drive it through an Operador.
class Importador {
public:
    static constexpr const char* TextoDelphiQuery = "SELECT PRO_CODIGO FROM PRODUTO WHERE 1=2";
    static constexpr const char* OrigemPadrao = "C:\\Bantuva\\MORELIA.FDB";
    static constexpr const char* HostLocal = "localhost";

    explicit Importador(Operador& op);
    ~Importador();
    Importador(const Importador&) = delete;
    Importador& operator=(const Importador&) = delete;

    // The text of FilenameEditDestino (already without double quotes).
    void setDestino(std::string caminho) { destino_ = std::move(caminho); }
    const std::string& destino() const { return destino_; }
    // The source database's path; the fixed path unless the settings name another.
    void setOrigem(const std::string& caminho);
    // The folder the logs go to: the executable's folder, ending with its separator.
    void setPastaLogs(std::string pasta) { pastaLogs_ = std::move(pasta); }
    const std::string& pastaLogs() const { return pastaLogs_; }

    bool Connectar(bool mostrarSucesso);

    // The "Importar" run. Options are read when their step is reached. Nothing escapes:
    // what failed is in the result, and the core is idle again when it returns.
    ResultadoImportacao BitBtnImportarClick(const std::function<bool(Opcao)>& marcado,
                                            const ModoExecucao& modo = {});
    // The mode of the run in progress (or of the last one); stages run alone use the default.
    const ModoExecucao& modo() const { return modo_; }

    // Reads a product file into the staging table; returns the record count.
    int LerArquivoCSV(const std::string& caminho);

    bool Importando() const { return importando_; }
    // The run in progress, or the last one (stages run alone add to it too).
    const ResultadoImportacao& resultado() const { return resultado_; }

    // Stages and lookups, public for the tests and the registry stages.
    void ImportaClientes();
    void ImportaFornecedores();
    void ImportaUnidades();
    void ImportaNCM();
    void ImportaProdutos();
    void ImportaPrecos();
    void GravaCodigoSequencial(const std::string& tabela, int valor);
    int BuscaCodigoUnidade(const std::string& descricao);
    int BuscaCodigoNCM(const std::string& ncm);
    int BuscaCodigoCidade(const std::string& nome);

    Operador& op;
    db::Database IBDatabaseDestino;
    db::Database IBDBOrigem;
    db::Transaction IBTransactionFireBird;
    db::Transaction IBTransOrigem;
    db::Query IBQueryFireBird;
    db::Query IBQueryAuxFB;
    db::Query IBQueryOrigem;
    db::DataSet IBDataSetGeraCodFB;
    staging::StagingTable CdsProdutos;

    // The run's lists; they exist from the confirmation to the end of a run.
    std::unique_ptr<std::vector<std::string>> ListaErros;
    std::unique_ptr<std::vector<std::string>> ListaDuplicados;

    // GaugeImportando's state; every change is passed on to the operator.
    void gaugeDefinir(int maximo);
    void gaugeAvancar();
    void gaugeZerar();
    int gaugeProgresso() const { return gaugeProgresso_; }
    int gaugeMaximo() const { return gaugeMaximo_; }

    // Today's local date at 00:00; the tests fix it.
    std::function<db::DateTime()> relogio;

private:
    friend class Etapa;
    ResumoEtapa& etapaAtual();
    void iniciarResumo(const std::string& nome);
    void salvarLog(const std::vector<std::string>& lista, const char* nome);
    // Empties what the product stages rebuild, referencing tables first, in one step that
    // is undone whole when a table refuses; false then, with the table and reason recorded.
    bool esvaziarProdutos();

    std::string destino_;
    std::string pastaLogs_;
    bool importando_ = false;
    int gaugeMaximo_ = 100;
    int gaugeProgresso_ = 0;
    ResultadoImportacao resultado_;
    ModoExecucao modo_;
};

} // namespace norvo
