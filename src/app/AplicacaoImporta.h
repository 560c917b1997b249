#pragma once
#include <QApplication>

namespace norvo::app {

class Dialogos;

// The application object. A failure that no handler caught ends up here and is shown as
// the default failure report (textoDaFalha, application title, error icon); the program
// then carries on with the next event instead of terminating.
class AplicacaoImporta : public QApplication {
    Q_OBJECT

public:
    AplicacaoImporta(int& argc, char** argv);

    bool notify(QObject* receptor, QEvent* evento) override;

    // Who shows the report; the real message box unless a test installs another.
    void setDialogos(Dialogos* dialogos);
    Dialogos& dialogos() const;

    // Shows a failure the same way notify does; texts from the core are Latin-1.
    void relatarFalha(const QString& mensagem);

private:
    Dialogos* dialogos_ = nullptr;
};

} // namespace norvo::app
