// Shows the window with a few sample products and saves a picture of it, for the docs:
//   xvfb-run -s '-screen 0 1024x768x24' captura_janela [--simular|--pergunta|--arquivo|--problemas|--escolhido] OUT.png [CSV]
// --pergunta pictures the run's confirmation question, --arquivo the file dialog, as the
// operator sees them (in Portuguese); --problemas the problems page after the reading,
// --escolhido the grid on the record its last note names.
#include <cstdio>
#include <memory>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include "app/AplicacaoImporta.h"
#include "app/Dialogos.h"
#include "app/FormImporta.h"

namespace {
// Answers the reading's file dialog with the sample file; nothing else is asked here.
class DialogosCaptura : public norvo::app::DialogosQt {
public:
    QString csv;
    std::optional<QString> escolherArquivoCSV(QWidget*, const QString&) override
    {
        if (csv.isEmpty())
            return std::nullopt;
        return csv;
    }
    // The box after a reading with notes would wait for a click: the picture shows the page.
    void mostraMensagem(QWidget*, const QString&, bool, const QString&) override {}
};
} // namespace

int main(int argc, char** argv)
{
    norvo::app::AplicacaoImporta app(argc, argv);
    QStringList args = app.arguments();
    // --simular shows the window as a rehearsal shows it.
    const bool simular = args.removeAll(QStringLiteral("--simular")) > 0;
    const bool pergunta = args.removeAll(QStringLiteral("--pergunta")) > 0;
    const bool arquivo = args.removeAll(QStringLiteral("--arquivo")) > 0;
    const bool problemas = args.removeAll(QStringLiteral("--problemas")) > 0;
    const bool escolhido = args.removeAll(QStringLiteral("--escolhido")) > 0;
    const bool maximizada = args.removeAll(QStringLiteral("--maximizada")) > 0;
    if (args.size() < 2) {
        std::fprintf(
            stderr,
            "usage: captura_janela [--simular|--pergunta|--arquivo|--problemas|--escolhido] [--maximizada] OUT.png "
            "[CSV]\n");
        return 2;
    }
    DialogosCaptura dialogos;
    if (args.size() > 2)
        dialogos.csv = args[2];

    norvo::app::OpcoesJanela opcoes;
    opcoes.dialogos = &dialogos;
    opcoes.pasta = QDir::tempPath();
    opcoes.opcoes.modo.simular = simular;
    norvo::app::TFormImporta janela(opcoes);
    if (maximizada) {
        janela.showMaximized();
        // Xvfb has no window manager to do it: the room a maximized window gets.
        janela.setGeometry(janela.screen()->availableGeometry());
    } else
        janela.show();
    janela.findChild<QCheckBox*>(QStringLiteral("CheckBoxProdutos"))->setChecked(true);
    janela.BitBtnLerCSVProdutosClick();
    janela.operador().gauge(0, 100, 40);
    auto* arvore = janela.findChild<QTreeWidget*>(QStringLiteral("ArvoreProblemas"));
    if (problemas)
        janela.findChild<QTabWidget*>(QStringLiteral("PageControl"))->setCurrentIndex(1);
    if (escolhido && arvore->topLevelItem(0) && arvore->topLevelItem(0)->childCount() > 0) {
        QTreeWidgetItem* nota = arvore->topLevelItem(0)->child(arvore->topLevelItem(0)->childCount() - 1);
        emit arvore->itemActivated(nota, 0);
    }

    QWidget* alvo = &janela;
    std::unique_ptr<QWidget> dialogo;
    std::unique_ptr<QTemporaryDir> pasta;
    if (pergunta) {
        dialogo.reset(norvo::app::DialogosQt::caixaConfirma(
            &janela, QString::fromUtf8("Atenção os registros das tabelas marcadas serão apagadas e importadas: \r\n"
                                       "Confirma ?")));
    } else if (arquivo) {
        auto* d = new QFileDialog(&janela);
        d->setOption(QFileDialog::DontUseNativeDialog);
        // A folder holding only what a technician would have there.
        pasta = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Exportacao-XXXXXX"));
        for (const char* nome : {"ProdutosTARVEX.csv", "clientes.csv"}) {
            QFile f(pasta->filePath(QString::fromLatin1(nome)));
            (void)f.open(QIODevice::WriteOnly);
        }
        d->setDirectory(pasta->path());
        dialogo.reset(d);
    }
    if (dialogo) {
        dialogo->show();
        alvo = dialogo.get();
        if (auto* d = qobject_cast<QFileDialog*>(alvo))
            d->setDirectory(pasta->path());
    }
    // Give the window system time to map and paint the window before grabbing it.
    // The file dialog lists its folder in the background: give it longer.
    QTimer::singleShot(arquivo ? 2000 : 500, &janela, [&] {
        const bool ok = alvo->grab().save(args[1]);
        app.exit(ok ? 0 : 1);
    });
    return app.exec();
}
