#pragma once
#include <functional>
#include <memory>

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include "import/Importador.h"
#include "import/Pastas.h"
#include "import/Operador.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace norvo::app {

class Dialogos;
class FilenameEdit;
class GradeProdutos;
class ModeloProdutos;
class Painel;
class RotuloStatus;

struct OpcoesJanela {
    // Shows the client and supplier options, hidden in normal use (switch --cadastros).
    bool cadastros = false;
    // The folder Config.ini and the logs live in. Empty means the program's own: beside
    // the executable, or the user's configuration and data folders when installed.
    QString pasta;
    // The dialogs; null means those of the application (real boxes unless replaced).
    Dialogos* dialogos = nullptr;
    // A product file to read as soon as the window is up (switch --csv FILE).
    QString csv;
    // How "Importar" runs: --rapido (batched commits, prepared lookups), --simular (a
    // rehearsal rolled back at the end).
    ModoExecucao modo;
    // --sem-copia: "Importar" skips the safety copy of the destination.
    bool semCopia = false;
};

// The options given on the command line.
OpcoesJanela opcoesDaLinhaDeComando(const QStringList& argumentos);

// The program's one window. It drives the import core and is the operator the core talks to.
class TFormImporta : public QMainWindow, public Operador {
    Q_OBJECT
public:
    static constexpr const char* SwitchCadastros = "--cadastros";
    static constexpr const char* NomeConfig = "Config.ini";
    static constexpr const char* SecaoConfig = "Bancos";
    static constexpr const char* ChaveDestino = "Destino";
    static constexpr const char* ChaveOrigem = "Origem";

    explicit TFormImporta(const OpcoesJanela& opcoes = {}, QWidget* pai = nullptr);
    ~TFormImporta() override;

    Importador& importador() { return *importador_; }
    QString caminhoConfig() const { return pastaConfig_ + QLatin1String(NomeConfig); }

    // Whether closing would be refused now: an import run or a file reading is going on.
    bool ocupada() const;

    // Operador
    void gauge(int minimo, int maximo, int progresso) override;
    void status(const std::string& texto) override;
    void mostraMensagem(const std::string& texto, bool aviso) override;
    void detalhes(const std::string& texto) override { detalhes_ = QString::fromLatin1(texto); }
    bool confirma(const std::string& texto, Pergunta qual) override;
    void mensagem(const std::string& texto) override;
    void abrirArquivo(const std::string& nome, const std::string& pasta) override;
    void processarEventos() override;
    void ocupado(bool sim) override;
    int paradaPedida() override { return parada_; }

    // The outcome of the last import run started from the window, and of the last reading.
    const ResultadoImportacao& ultimoResultado() const { return ultimoResultado_; }
    const staging::ResultadoLeitura& ultimaLeitura() const { return ultimaLeitura_; }

    // SIGINT or SIGTERM: a run in progress stops after the record it is writing, then the
    // window closes as a normal close does. No dialog waits for anyone from then on.
    void pararPorSinal(int sinal);

public slots:
    void BitBtnLerCSVProdutosClick();
    // The reading behind the button, for a file already chosen.
    void lerArquivoCSV(const QString& arquivo);
    void Button1Click();
    void BitBtnImportarClick();
    void FilenameEditDestinoChange();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    enum Trabalho { Importacao = 1, Leitura = 2 };
    class GuardaTrabalho;

    TFormImporta(const OpcoesJanela& opcoes, const Pastas& pastas, QWidget* pai);

    void FormShow();
    bool FormCloseQuery() const;
    void FormClose();

    void montar(bool cadastros);
    void marcarTrabalho(Trabalho t, bool ativo);
    // Runs a handler; what it lets through is shown as the default failure report.
    void comRelatorio(const std::function<void()>& acao);
    void relatarFalha(const QString& mensagem);
    // Prints `texto` instead of showing it when a signal is stopping the program.
    bool aoTerminal(const QString& texto) const;

    QString pastaConfig_; // ends with '/'
    Dialogos* dialogos_;
    std::unique_ptr<Importador> importador_;
    int trabalhos_ = 0;
    QString ultimoCSV_;
    int parada_ = 0;
    ModoExecucao modo_;
    bool semCopia_ = false;
    QString detalhes_; // for the next notice only
    ResultadoImportacao ultimoResultado_;
    staging::ResultadoLeitura ultimaLeitura_;

    Painel* PanelCabecalho = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* TB_NORVO = nullptr;
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
