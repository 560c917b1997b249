#pragma once
#include "import/Opcoes.h"

#include <QString>
#include <QStringList>

namespace norvo::app {

class Dialogos;

// How the window starts: from its command line (opcoesDaLinhaDeComando) or from a test.
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
    // The run's options given at start (--rapido, --simular, --sem-copia, a table's option):
    // "Importar" starts from them.
    OpcoesImportacao opcoes;
};

// The options given on the command line (the program's name first), read by the rule both
// programs share; words that are no option are passed over. Bad usage (an option given
// twice, a value missing) is said on standard error and the window starts as without them.
OpcoesJanela opcoesDaLinhaDeComando(const QStringList& argumentos);

} // namespace norvo::app
