#include "app/GradeProdutos.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include "app/Dialogos.h"
#include "app/ModeloProdutos.h"

namespace norvo::app {

GradeProdutos::GradeProdutos(Dialogos& dialogos, QWidget* pai) : QTableView(pai), dialogos_(dialogos)
{
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setMinimumWidth(12);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(72);
}

// Widths after the fields' sizes, as a data grid sizes its columns; the grid rebuilds its
// columns whenever the table is recreated, so they are set again then.
void GradeProdutos::larguras()
{
    if (!modelo_)
        return;
    const int larguraDescricao = 200;
    const int larguraCodigo = 90;
    setColumnWidth(0, larguraCodigo);
    if (modelo_->columnCount() < 2)
        return;
    // Grown with its window, the grid gives its extra width to the description, the text
    // that is cut; at its designed width the columns are as designed.
    int outras = 0;
    for (int c = 0; c < modelo_->columnCount(); ++c)
        if (c != 1)
            outras += columnWidth(c);
    setColumnWidth(1, std::max(larguraDescricao, viewport()->width() - outras));
}

void GradeProdutos::resizeEvent(QResizeEvent* e)
{
    QTableView::resizeEvent(e);
    larguras();
}

void GradeProdutos::setModel(QAbstractItemModel* modelo)
{
    QTableView::setModel(modelo);
    modelo_ = qobject_cast<ModeloProdutos*>(modelo);
    if (!modelo_)
        return;
    connect(modelo_, &ModeloProdutos::registroAtual, this, &GradeProdutos::irPara);
    connect(modelo_, &QAbstractItemModel::modelReset, this, &GradeProdutos::larguras);
    larguras();
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& atual) {
        if (atual.isValid())
            modelo_->tornarAtual(atual.row());
    });
}

void GradeProdutos::irPara(int linha)
{
    if (!modelo_ || linha < 0 || linha >= modelo_->rowCount())
        return;
    const int coluna = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex alvo = modelo_->index(linha, coluna);
    if (alvo != currentIndex())
        setCurrentIndex(alvo);
    scrollTo(alvo);
}

void GradeProdutos::acrescentarRegistro()
{
    if (modelo_ && modelo_->acrescentar())
        irPara(modelo_->rowCount() - 1);
}

void GradeProdutos::excluirRegistroAtual()
{
    if (!modelo_ || !currentIndex().isValid() || !modelo_->editavel())
        return;
    const int linha = currentIndex().row();
    if (dialogos_.confirmaExclusao(window()))
        modelo_->excluir(linha);
}

void GradeProdutos::keyPressEvent(QKeyEvent* e)
{
    if (state() != QAbstractItemView::EditingState) {
        if (e->key() == Qt::Key_Insert && e->modifiers() == Qt::NoModifier) {
            acrescentarRegistro();
            return;
        }
        if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::ControlModifier) {
            excluirRegistroAtual();
            return;
        }
    }
    QTableView::keyPressEvent(e);
}

void GradeProdutos::contextMenuEvent(QContextMenuEvent* e)
{
    if (!modelo_)
        return;
    QMenu menu(this);
    QAction* novo = menu.addAction(QStringLiteral("Novo registro\tInsert"));
    QAction* excluir = menu.addAction(QStringLiteral("Excluir registro\tCtrl+Delete"));
    novo->setEnabled(modelo_->editavel() && isEnabled());
    excluir->setEnabled(modelo_->editavel() && currentIndex().isValid());
    menu.addSeparator();
    QAction* salvar = menu.addAction(textos::SalvarTabela);
    salvar->setEnabled(modelo_->rowCount() > 0);
    QAction* escolhida = menu.exec(e->globalPos());
    if (escolhida == salvar)
        emit salvarTabelaPedido();
    else if (escolhida == novo)
        acrescentarRegistro();
    else if (escolhida == excluir)
        excluirRegistroAtual();
}

} // namespace norvo::app
