#pragma once
#include <QApplication>
#include <QTranslator>

namespace norvo::app {

class Dialogos;

// The application object. A failure that no handler caught ends up here and is shown as
// the default failure report (textoDaFalha, application title, error icon); the program
// then carries on with the next event instead of terminating.
// Qt's standard texts are shown in Brazilian Portuguese when the translations are installed.
class AplicacaoImporta : public QApplication {
    Q_OBJECT

public:
    // The application title without its accents (see the constructor).
    static constexpr const char* NomeAplicacao = "Importacao do Pelbra para NORVO";

    AplicacaoImporta(int& argc, char** argv);

    bool notify(QObject* receptor, QEvent* evento) override;

    // Who shows the report; the real message box unless a test installs another.
    void setDialogos(Dialogos* dialogos);
    Dialogos& dialogos() const;

    // Shows a failure the same way notify does; texts from the core are Latin-1.
    void relatarFalha(const QString& mensagem);

private:
    Dialogos* dialogos_ = nullptr;
    // Qt's own texts (Yes/No, Cancel, the file dialog) in Brazilian Portuguese.
    QTranslator traducaoQt_;
};

} // namespace norvo::app
