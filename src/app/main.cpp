#include "app/AplicacaoImporta.h"
#include "app/FormImporta.h"

#include <QTimer>

int main(int argc, char** argv) {
    norvo::app::AplicacaoImporta app(argc, argv);
    // --cadastros shows the client and supplier options (see docs/window.md).
    const auto opcoes = norvo::app::opcoesDaLinhaDeComando(norvo::app::AplicacaoImporta::arguments());
    norvo::app::TFormImporta FormImporta(opcoes);
    FormImporta.show();
    // --csv FILE reads a product file once the window is up, as the button would.
    if (!opcoes.csv.isEmpty())
        QTimer::singleShot(0, &FormImporta, [&] { FormImporta.lerArquivoCSV(opcoes.csv); });
    return app.exec();
}
