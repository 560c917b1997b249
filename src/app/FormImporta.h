#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include "import/Importador.h"
#include "import/Pastas.h"
#include "import/Operador.h"
#include "app/OpcoesJanela.h"
#include "app/OperadorJanela.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace norvo::app {

class Dialogos;
class FilenameEdit;
class IniFile;
class GradeProdutos;
class ModeloProdutos;
class PaginaProblemas;
class Painel;
class RotuloStatus;

// The program's one window. It drives the import core, which speaks to it through its
// operator (OperadorJanela).
class TFormImporta : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* SwitchCadastros = "--cadastros";
    static constexpr const char* NomeConfig = "Config.ini";
    static constexpr const char* SecaoConfig = "Bancos";
    static constexpr const char* ChaveDestino = "Destino";
    static constexpr const char* ChaveOrigem = "Origem";
    // The window's place, size and maximized state, a section of their own.
    static constexpr const char* SecaoJanela = "Janela";

    explicit TFormImporta(const OpcoesJanela& opcoes = {}, QWidget* pai = nullptr);
    // With an operator of the caller's making (a test's, which watches what the core says).
    TFormImporta(const OpcoesJanela& opcoes, std::unique_ptr<OperadorJanela> operador, QWidget* pai = nullptr);
    ~TFormImporta() override;

    Importador& importador() { return *importador_; }
    QString caminhoConfig() const { return pastaConfig_ + QLatin1String(NomeConfig); }

    // Whether closing would be refused now: an import run or a file reading is going on.
    bool ocupada() const;

    // What the core speaks to.
    OperadorJanela& operador() { return *operador_; }

    // The outcome of the last import run started from the window, and of the last reading.
    const ResultadoImportacao& ultimoResultado() const { return ultimoResultado_; }
    const staging::ResultadoLeitura& ultimaLeitura() const { return ultimaLeitura_; }

    // SIGINT, SIGTERM or SIGHUP: a run in progress stops after the record it is writing, then
    // the window closes as a normal close does. No dialog waits for anyone from then on.
    void pararPorSinal(int sinal);

public slots:
    void BitBtnLerCSVProdutosClick();
    // The reading behind the button, for a file already chosen.
    void lerArquivoCSV(const QString& arquivo);
    void Button1Click();
    void BitBtnImportarClick();
    void FilenameEditDestinoChange();
    // Goes to a record the problems page names (its line in the file, its position during
    // the run, the field at fault) in the grid, to be corrected there.
    void mostrarRegistro(int linha, int posicao, int campo);
    // The page's buttons: the table with the technician's corrections as a product file the
    // reading takes back, and the page's list as a spreadsheet's file.
    void salvarTabela();
    void salvarProblemas();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    enum Trabalho { Importacao = 1, Leitura = 2 };
    class GuardaTrabalho;

    TFormImporta(const OpcoesJanela& opcoes, const Pastas& pastas, std::unique_ptr<OperadorJanela> operador,
                 QWidget* pai);

    void FormShow();
    bool FormCloseQuery() const;
    void FormClose();
    // The grid takes what the window grew by; the problems page shows no more than the grid's
    // area, the rest of both pages lying under the lower panel.
    void ajustarPaginas();
    // Where to save what a button asks for: its dialog offers, beside the last file read,
    // that file's name with `sufixo`.
    std::optional<QString> ondeSalvar(const QString& botao, const QString& sufixo);
    void lerGeometria(const IniFile& config);
    void gravarGeometria(IniFile& config) const;

    void montar(bool cadastros);
    void marcarTrabalho(Trabalho t, bool ativo);
    // Runs a handler; what it lets through is shown as the default failure report.
    void comRelatorio(const std::function<void()>& acao);
    void relatarFalha(const QString& mensagem);

    QString pastaConfig_; // ends with '/'
    Dialogos* dialogos_;
    std::unique_ptr<OperadorJanela> operador_;
    std::unique_ptr<Importador> importador_;
    int trabalhos_ = 0;
    QString ultimoCSV_;
    // The run's options given at start: the ones the window has no control for.
    OpcoesImportacao opcoes_;
    std::vector<std::pair<Opcao, QCheckBox*>> caixas_; // the controls of the run's options
    ResultadoImportacao ultimoResultado_;
    staging::ResultadoLeitura ultimaLeitura_;

    Painel* PanelCabecalho = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* TB_NORVO = nullptr;
    PaginaProblemas* PaginaProblemas_ = nullptr;
    QCheckBox* CheckBoxProdutos = nullptr;
    QCheckBox* CheckBoxClientes = nullptr;
    QCheckBox* CheckBoxFornec = nullptr;
    GradeProdutos* DBGrid1 = nullptr;
    ModeloProdutos* DtsCDsProdutos = nullptr;
    Painel* Panel1 = nullptr;
    QPushButton* BitBtnLerCSVProdutos = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* BitBtnImportar = nullptr;
    FilenameEdit* FilenameEditDestino = nullptr;
    QPushButton* Button1 = nullptr;
    QPlainTextEdit* MemoCSV = nullptr;
    Painel* PanelCorpo = nullptr;
    RotuloStatus* LabelObs = nullptr;
    // Shown throughout a rehearsal (--simular), whatever the status line says.
    QLabel* LabelSimulacao = nullptr;
    QLabel* LabelTotalProdutos = nullptr;
    QProgressBar* GaugeImportando = nullptr;
};

} // namespace norvo::app
