#include "app/AplicacaoImporta.h"
#include "app/FormImporta.h"

int main(int argc, char** argv) {
    norvo::app::AplicacaoImporta app(argc, argv);
    // --cadastros shows the client and supplier options (see docs/window.md).
    norvo::app::TFormImporta FormImporta(
        norvo::app::opcoesDaLinhaDeComando(norvo::app::AplicacaoImporta::arguments()));
    FormImporta.show();
    return app.exec();
}
