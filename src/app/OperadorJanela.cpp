#include "app/OperadorJanela.h"

#include "app/Caminhos.h"
#include "app/Dialogos.h"
#include "app/RotuloStatus.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace norvo::app {

void OperadorJanela::ligar(QWidget* janela, Dialogos* dialogos, QProgressBar* gauge, RotuloStatus* status,
                           std::function<void(bool)> ocupado)
{
    janela_ = janela;
    dialogos_ = dialogos;
    gauge_ = gauge;
    status_ = status;
    ocupado_ = std::move(ocupado);
}

void OperadorJanela::gauge(int minimo, int maximo, int progresso)
{
    if (maximo <= minimo) {
        // An empty range shows 0 %, not the busy animation Qt uses for it.
        gauge_->setRange(minimo, minimo + 1);
        gauge_->setValue(minimo);
    } else {
        gauge_->setRange(minimo, maximo);
        gauge_->setValue(std::clamp(progresso, minimo, maximo));
    }
    gauge_->update();
}

void OperadorJanela::status(const std::string& texto)
{
    status_->mostrar(QString::fromLatin1(texto));
}

void OperadorJanela::mostraMensagem(const std::string& texto, bool aviso)
{
    if (parada_)
        return;
    dialogos_->mostraMensagem(janela_, QString::fromLatin1(texto), aviso, std::exchange(detalhes_, QString()));
}

bool OperadorJanela::confirma(const std::string& texto, Pergunta)
{
    if (parada_)
        return false;
    return dialogos_->confirma(janela_, QString::fromLatin1(texto));
}

void OperadorJanela::mensagem(const std::string& texto)
{
    if (parada_)
        return;
    dialogos_->mensagem(janela_, QString::fromLatin1(texto));
}

void OperadorJanela::abrirArquivo(const std::string& nome, const std::string& pasta)
{
    // Handed to the desktop; the viewer's fate is not our concern. With no desktop to take
    // it, the operator still needs to know where the log is.
    // Shown with the system's own separators.
    const QString caminho = QDir::toNativeSeparators(QFileInfo(caminhoDosBytes(pasta + nome)).absoluteFilePath());
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(caminho)))
        return;
    // No program for it: the program shows it itself; the log is Latin-1, as it was written.
    QFile log(caminho);
    if (!parada_ && log.open(QIODevice::ReadOnly)) {
        dialogos_->mostrarLog(janela_, caminho, QString::fromLatin1(log.readAll()));
        return;
    }
    const QString texto = textos::LogNaoAberto + caminho;
    if (!aoTerminal(texto))
        dialogos_->mostraMensagem(janela_, texto, false, QString());
}

void OperadorJanela::processarEventos()
{
    QCoreApplication::processEvents();
}

void OperadorJanela::ocupado(bool sim)
{
    ocupado_(sim);
}

void OperadorJanela::parar(int sinal)
{
    if (parada_ == 0)
        parada_ = sinal;
}

bool OperadorJanela::aoTerminal(const QString& texto) const
{
    if (!parada_)
        return false;
    std::fprintf(stderr, "%s\n", texto.toLocal8Bit().constData());
    return true;
}

} // namespace norvo::app
