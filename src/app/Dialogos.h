#pragma once
#include <optional>

#include <QString>

class QDialog;
class QMessageBox;
class QWidget;

namespace norvo::app {

// Texts that the window and its dialogs show, byte for byte.
namespace textos {
inline const QString TituloAplicacao = QStringLiteral("Importação do Pelbra para NORVO");
inline const QString TituloJanela = QStringLiteral("Importação de Firebird [TARVEX]->[NORVO] ");
inline const QString TituloAviso = QStringLiteral("A V I S O");
inline const QString TituloAtencao = QStringLiteral("A T E N Ç Ã O");
inline const QString TituloConfirmacao = QStringLiteral("C O N F I R M A Ç Ã O");
inline const QString TituloProcurar = QStringLiteral("Browse");
inline const QString FiltroBancos = QStringLiteral("Arquivos GDB (*.gdb);;Arquivos FDB (*.fdb)");
inline const QString PerguntaExcluir = QStringLiteral("Delete record?");
inline const QString TituloExcluir = QStringLiteral("Confirm");
inline const QString AvisoSimulacao = QStringLiteral("Simulação: nada será gravado no banco de destino");
// %1: how many notes the reading left; the notes go behind the details button.
inline const QString LeituraComNotas =
    QStringLiteral("O arquivo foi lido, mas %1 linha(s) ou campo(s) pedem atenção: linhas ignoradas, textos cortados, "
                   "preços que faltam ou não se leem. Veja a página \"Problemas\" antes de importar.");
inline const QString SalvarTabela = QStringLiteral("Salvar tabela como CSV...");
inline const QString SalvarProblemas = QStringLiteral("Salvar problemas...");
inline const QString FiltroCSV = QStringLiteral("Arquivos CSV (*.csv);;Todos os arquivos (*)");
inline const QString TituloLog = QStringLiteral("Log de erros da importação");
inline const QString CopiarCaminho = QStringLiteral("Copiar o caminho");
// Followed by the log's full path.
inline const QString LogNaoAberto = QStringLiteral("Não foi possível abrir o log. Ele está em:\n");
} // namespace textos

// Every modal dialog the window opens. The window only speaks through this, so the tests
// can put a recording stand-in in place of real boxes and file dialogs.
class Dialogos {
public:
    virtual ~Dialogos() = default;

    // Notice ("A V I S O", information icon) when aviso, warning ("A T E N Ç Ã O") otherwise;
    // `detalhes`, when given, behind the box's own "details" button.
    virtual void mostraMensagem(QWidget* dono, const QString& texto, bool aviso, const QString& detalhes) = 0;
    // Yes/No question; true for Yes.
    virtual bool confirma(QWidget* dono, const QString& texto) = 0;
    // Application title as caption, no icon, one OK button.
    virtual void mensagem(QWidget* dono, const QString& texto) = 0;
    // The default failure report; texto already carries its full stop (textoDaFalha).
    virtual void falha(QWidget* dono, const QString& texto) = 0;
    // The grid's "Delete record?" question; true for OK.
    virtual bool confirmaExclusao(QWidget* dono) = 0;
    // The product file to read; nothing when the operator cancels.
    virtual std::optional<QString> escolherArquivoCSV(QWidget* dono, const QString& ultimo) = 0;
    // The destination database file; nothing when the operator cancels.
    virtual std::optional<QString> escolherBanco(QWidget* dono, const QString& atual) = 0;
    // Where to save a CSV file, `sugestao` offered; nothing when the operator cancels.
    virtual std::optional<QString> escolherOndeSalvar(QWidget* dono, const QString& titulo,
                                                      const QString& sugestao) = 0;
    // A log shown in the program itself, read-only, with its path and a button that copies
    // the path: where the desktop has no program for it.
    virtual void mostrarLog(QWidget* dono, const QString& caminho, const QString& conteudo) = 0;
};

// The real dialogs.
class DialogosQt : public Dialogos {
public:
    void mostraMensagem(QWidget* dono, const QString& texto, bool aviso, const QString& detalhes) override;
    bool confirma(QWidget* dono, const QString& texto) override;
    void mensagem(QWidget* dono, const QString& texto) override;
    void falha(QWidget* dono, const QString& texto) override;
    bool confirmaExclusao(QWidget* dono) override;
    std::optional<QString> escolherArquivoCSV(QWidget* dono, const QString& ultimo) override;
    std::optional<QString> escolherBanco(QWidget* dono, const QString& atual) override;
    std::optional<QString> escolherOndeSalvar(QWidget* dono, const QString& titulo, const QString& sugestao) override;
    void mostrarLog(QWidget* dono, const QString& caminho, const QString& conteudo) override;

    // The log's window as it is shown, built apart so it can be checked unshown.
    static QDialog* janelaDoLog(QWidget* dono, const QString& caminho, const QString& conteudo);

    // The boxes as they are shown, built apart so their look can be checked unshown.
    static QMessageBox* caixaMensagem(QWidget* dono, const QString& texto, bool aviso);
    static QMessageBox* caixaConfirma(QWidget* dono, const QString& texto);
    static QMessageBox* caixaSimples(const QString& texto);
    static QMessageBox* caixaFalha(QWidget* dono, const QString& texto);
    static QMessageBox* caixaExclusao(QWidget* dono);

    // The process-wide instance used when nobody installs another.
    static Dialogos& padrao();
};

// The failure report's wording: a full stop is added unless the text is empty or its last
// character's code is at or below '.', so texts ending in ".", "!", a blank or a line break
// are left as they are.
QString textoDaFalha(const QString& mensagem);

} // namespace norvo::app
