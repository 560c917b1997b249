#pragma once
#include "import/Operador.h"

#include <functional>
#include <string>

#include <QString>

class QProgressBar;
class QWidget;

namespace norvo::app {

class Dialogos;
class RotuloStatus;

// The window as the operator the core speaks to: GaugeImportando, LabelObs and the window's
// dialogs. Once a signal asked the program to stop, notices and questions go by without a
// box: the label and the logs keep what they say, and every question is a No.
class OperadorJanela : public Operador {
public:
    // The window, its dialogs and the controls it drives, once the window has made them;
    // `ocupado` marks the window busy.
    void ligar(QWidget* janela, Dialogos* dialogos, QProgressBar* gauge, RotuloStatus* status,
               std::function<void(bool)> ocupado);

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

    // A signal (SIGINT, SIGTERM, SIGHUP) asked the program to stop; the first one counts.
    void parar(int sinal);
    // Prints `texto` instead of showing it when a signal is stopping the program, since
    // nobody may be there to close a box; true then.
    bool aoTerminal(const QString& texto) const;

private:
    QWidget* janela_ = nullptr;
    Dialogos* dialogos_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    RotuloStatus* status_ = nullptr;
    std::function<void(bool)> ocupado_;
    int parada_ = 0;
    QString detalhes_; // for the next notice only
};

} // namespace norvo::app
