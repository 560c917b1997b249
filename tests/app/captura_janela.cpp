// Shows the window with a few sample products and saves a picture of it, for the docs:
//   xvfb-run -s '-screen 0 1024x768x24' captura_janela [--simular] OUT.png [CSV]
#include <cstdio>

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTimer>

#include "app/AplicacaoImporta.h"
#include "app/Dialogos.h"
#include "app/FormImporta.h"

namespace {
// Answers the reading's file dialog with the sample file; nothing else is asked here.
class DialogosCaptura : public norvo::app::DialogosQt {
public:
    QString csv;
    std::optional<QString> escolherArquivoCSV(QWidget*, const QString&) override {
        if (csv.isEmpty()) return std::nullopt;
        return csv;
    }
};
} // namespace

int main(int argc, char** argv) {
    norvo::app::AplicacaoImporta app(argc, argv);
    QStringList args = app.arguments();
    // --simular shows the window as a rehearsal shows it.
    const bool simular = args.removeAll(QStringLiteral("--simular")) > 0;
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: captura_janela [--simular] OUT.png [CSV]\n");
        return 2;
    }
    DialogosCaptura dialogos;
    if (args.size() > 2) dialogos.csv = args[2];

    norvo::app::OpcoesJanela opcoes;
    opcoes.dialogos = &dialogos;
    opcoes.pasta = QDir::tempPath();
    opcoes.modo.simular = simular;
    norvo::app::TFormImporta janela(opcoes);
    janela.show();
    janela.findChild<QCheckBox*>(QStringLiteral("CheckBoxProdutos"))->setChecked(true);
    janela.BitBtnLerCSVProdutosClick();
    janela.gauge(0, 100, 40);

    // Give the window system time to map and paint the window before grabbing it.
    QTimer::singleShot(500, &janela, [&] {
        const bool ok = janela.grab().save(args[1]);
        app.exit(ok ? 0 : 1);
    });
    return app.exec();
}
