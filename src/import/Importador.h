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

// What one stage of the last run did, for the command line's summary.
struct ResumoEtapa {
    std::string nome;      // "ImportaProdutos", ...
    long gravados = 0;     // rows written and committed
    long falhas = 0;       // row failures (entries in a log)
    bool falhou = false;   // ended through its stage guard
    std::string falha;     // the stage failure text shown, when falhou
    double segundos = 0;   // wall-clock time the stage took
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

    // The "Importar" run. Options are read when their step is reached.
    // Failures of the closing steps are rethrown after the window is back to idle.
    void BitBtnImportarClick(const std::function<bool(Opcao)>& marcado);

    // Reads a product file into the staging table; returns the record count.
    int LerArquivoCSV(const std::string& caminho);

    bool Importando() const { return importando_; }
    const std::vector<ResumoEtapa>& resumo() const { return resumo_; }
    bool ultimaExecucaoComErros() const { return comErros_; }

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

    // The stage contract reports here; see Etapa.
    ResumoEtapa& etapaAtual();
    void iniciarResumo(const std::string& nome);

private:
    std::string destino_;
    std::string pastaLogs_;
    bool importando_ = false;
    bool comErros_ = false;
    int gaugeMaximo_ = 100;
    int gaugeProgresso_ = 0;
    std::vector<ResumoEtapa> resumo_;
};

} // namespace norvo
