#pragma once
#include <string>

namespace norvo {

// Everything the core asks of the person (or script) driving it. The window, the command
// line and the tests each implement it. Texts are Latin-1 bytes.
class Operador {
public:
    virtual ~Operador() = default;

    // GaugeImportando, redrawn after every change of its range or position.
    virtual void gauge(int minimo, int maximo, int progresso) = 0;
    // LabelObs.
    virtual void status(const std::string& texto) = 0;
    // MostraMensagem: aviso true is the notice ("A V I S O", information icon),
    // false the warning ("A T E N Ç Ã O", exclamation icon).
    virtual void mostraMensagem(const std::string& texto, bool aviso) = 0;
    // Which question Confirma asks, so an operator that answers by itself needs no text.
    enum class Pergunta {
        ApagarEImportar, // the run's confirmation: the marked tables are emptied
        VerErros,        // a log was written: open it?
        Restaurar,       // a safety copy is put back over the destination, losing what it holds
        OferecerCopia,   // a run failed or stopped after its safety copy: put it back?
    };
    // Confirma: Yes/No question, true for Yes.
    virtual bool confirma(const std::string& texto, Pergunta qual) = 0;
    // The plain message dialog: application title as caption, no icon, one OK button.
    virtual void mensagem(const std::string& texto) = 0;
    // Opens a log file in the program the desktop associates with it, without waiting.
    virtual void abrirArquivo(const std::string& nome, const std::string& pasta) = 0;
    // Lets pending window events run (repaint, clicks) in the middle of long work.
    virtual void processarEventos() = 0;
    // An import run became busy (after its confirmation) or idle again.
    virtual void ocupado(bool sim) = 0;
    // What the run's closing notice may show on request: its failed rows by cause, one stage
    // after another (empty when none failed). Comes just before that notice.
    virtual void detalhes(const std::string&) {}
    // How the run ended: the closing notice (`aviso`, which also names the safety copy), the
    // status line's last text and the notice's details. By default: detalhes, the notice
    // (mostraMensagem) and status, the status set even when the notice fails.
    virtual void desfecho(const std::string& aviso, const std::string& status, const std::string& detalhes);
    // Nonzero once the operator asked the run to stop (the signal's number, for a signal):
    // asked after every record, the run then finishes that record and starts no other.
    virtual int paradaPedida() { return 0; }
};

} // namespace norvo
