#pragma once
#include <QTableView>

namespace norvo::app {

class Dialogos;
class ModeloProdutos;

// DBGrid1: the staging table's grid. Besides editing cells, the operator adds a record
// below the last one (Insert key, or the context menu) and deletes the current one after
// "Delete record?" (Ctrl+Delete, or the context menu). The grid follows the table's
// current record, and the table follows the row the operator moves to.
class GradeProdutos : public QTableView {
    Q_OBJECT
public:
    explicit GradeProdutos(Dialogos& dialogos, QWidget* pai = nullptr);

    void setModel(QAbstractItemModel* modelo) override;

    void acrescentarRegistro();
    void excluirRegistroAtual();

signals:
    // The context menu's "Salvar tabela como CSV...".
    void salvarTabelaPedido();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void irPara(int linha);
    void larguras();

    Dialogos& dialogos_;
    ModeloProdutos* modelo_ = nullptr;
};

} // namespace norvo::app
