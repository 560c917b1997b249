#pragma once
#include <QWidget>

#include "import/ResultadoImportacao.h"
#include "staging/ResultadoLeitura.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace norvo::app {

// The "Problemas" page: what the last reading skipped, cut or could not read, and the last
// run's (or rehearsal's) failures by cause, each opening to its records with their lines.
// Choosing a record (double-click or Enter) asks the window to show it in the grid.
class PaginaProblemas : public QWidget {
    Q_OBJECT
public:
    explicit PaginaProblemas(QWidget* pai = nullptr);

    void mostrarLeitura(const staging::ResultadoLeitura& leitura);
    void mostrarRodada(const ResultadoImportacao& rodada);
    // A new reading: the last run's failures named records of the table it replaced.
    void esquecerRodada();
    // Notes, failed rows and failed stages: what the page's title counts.
    long quantos() const { return notas_ + falhas_; }
    // Whether the page lists a run's failures (a new reading forgets them).
    bool temRodada() const { return rodada_ != nullptr; }

signals:
    // A record to show: its line in the file (0 for none), its position during the run (-1
    // for none) and the field at fault (-1 for none).
    void registroEscolhido(int linha, int posicao, int campo);
    void quantidadeMudou(long quantos);
    // The page's buttons: the table as a product file, the list as a spreadsheet's file.
    void salvarTabelaPedido();
    void salvarProblemasPedido();

private:
    void refazer();
    void escolher(QTreeWidgetItem* item);

    QTreeWidget* arvore_;
    QTreeWidgetItem* leitura_ = nullptr;
    QTreeWidgetItem* rodada_ = nullptr;
    QTreeWidgetItem* vazio_ = nullptr;
    long notas_ = 0;
    long falhas_ = 0;
};

} // namespace norvo::app
