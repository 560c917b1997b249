#include "app/AplicacaoImporta.h"
#include "app/FormImporta.h"
#include "db/Database.h"
#include "plataforma/Sinais.h"

#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>

#include <optional>

int main(int argc, char** argv)
{
    // Before any connection: SIGINT and SIGTERM then stop a run cleanly and close the window.
    norvo::sinais::instalar();
    norvo::db::deixarSinaisAoPrograma();
    norvo::app::AplicacaoImporta app(argc, argv);
    app.setWindowIcon(
        QIcon::fromTheme(QStringLiteral("importa-norvo"), QIcon(QStringLiteral(":/importa-norvo-256.png"))));
    // --cadastros shows the client and supplier options (see docs/window.md).
    const auto opcoes = norvo::app::opcoesDaLinhaDeComando(norvo::app::AplicacaoImporta::arguments());
    norvo::app::TFormImporta FormImporta(opcoes);
    // The handler only wakes this descriptor; the window acts on it from its event loop.
    // (Windows gives a window no signals, and no descriptor.)
    std::optional<QSocketNotifier> sinal;
    if (norvo::sinais::descritor() >= 0) {
        sinal.emplace(norvo::sinais::descritor(), QSocketNotifier::Read);
        QObject::connect(&*sinal, &QSocketNotifier::activated, &FormImporta, [&] {
            norvo::sinais::consumir();
            FormImporta.pararPorSinal(norvo::sinais::recebido());
        });
    }
    FormImporta.show();
    // --csv FILE reads a product file once the window is up, as the button would.
    if (!opcoes.csv.isEmpty())
        QTimer::singleShot(0, &FormImporta, [&] { FormImporta.lerArquivoCSV(opcoes.csv); });
    const int codigo = app.exec();
    // Closed by a signal: say so to whoever sent it.
    return norvo::sinais::codigoDeSaida() ? norvo::sinais::codigoDeSaida() : codigo;
}
