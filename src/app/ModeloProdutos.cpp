#include "app/ModeloProdutos.h"

#include <exception>

#include <QApplication>

#include "app/Dialogos.h"

namespace norvo::app {

using staging::Campo;
using staging::StagingTable;

ModeloProdutos::ModeloProdutos(StagingTable& tabela, Dialogos& dialogos, QObject* pai)
    : QAbstractTableModel(pai), tabela_(&tabela), dialogos_(dialogos)
{
    tabela_->setListener(this);
    linhas_ = tabela_->gridRowCount();
}

ModeloProdutos::~ModeloProdutos()
{
    desligar();
}

void ModeloProdutos::desligar()
{
    if (!tabela_)
        return;
    tabela_->setListener(nullptr);
    tabela_ = nullptr;
    beginResetModel();
    linhas_ = 0;
    endResetModel();
}

bool ModeloProdutos::naFaixa(int linha) const
{
    return tabela_ && linha >= 0 && linha < linhas_ && linha < tabela_->gridRowCount();
}

int ModeloProdutos::rowCount(const QModelIndex& pai) const
{
    return pai.isValid() ? 0 : linhas_;
}

int ModeloProdutos::columnCount(const QModelIndex& pai) const
{
    return pai.isValid() ? 0 : static_cast<int>(staging::NumCampos);
}

QVariant ModeloProdutos::data(const QModelIndex& indice, int papel) const
{
    if ((papel != Qt::DisplayRole && papel != Qt::EditRole) || !indice.isValid() || !naFaixa(indice.row()) ||
        indice.column() >= staging::NumCampos)
        return {};
    const auto campo = static_cast<Campo>(indice.column());
    return QString::fromLatin1(tabela_->cellText(indice.row(), campo));
}

QVariant ModeloProdutos::headerData(int secao, Qt::Orientation orientacao, int papel) const
{
    if (papel != Qt::DisplayRole)
        return {};
    if (orientacao == Qt::Vertical)
        return QAbstractTableModel::headerData(secao, orientacao, papel);
    if (secao < 0 || secao >= staging::NumCampos)
        return {};
    return QString::fromLatin1(staging::nomeCampo(static_cast<Campo>(secao)));
}

Qt::ItemFlags ModeloProdutos::flags(const QModelIndex& indice) const
{
    if (!indice.isValid() || !naFaixa(indice.row()))
        return Qt::NoItemFlags;
    // While a run walks the table the grid only shows it.
    if (tabela_->locked())
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

bool ModeloProdutos::tentar(const std::function<void()>& acao) const
{
    try {
        acao();
        return true;
    } catch (const std::exception& e) {
        dialogos_.falha(QApplication::activeWindow(), textoDaFalha(QString::fromLatin1(e.what())));
        return false;
    }
}

bool ModeloProdutos::setData(const QModelIndex& indice, const QVariant& valor, int papel)
{
    if (papel != Qt::EditRole || !indice.isValid() || !naFaixa(indice.row()) || indice.column() >= staging::NumCampos ||
        tabela_->locked())
        return false;
    const auto campo = static_cast<Campo>(indice.column());
    const std::string texto = valor.toString().toLatin1().toStdString();
    if (!tentar([&] { tabela_->setCellText(indice.row(), campo, texto); }))
        return false;
    emit dataChanged(index(indice.row(), 0), index(indice.row(), columnCount() - 1));
    return true;
}

bool ModeloProdutos::acrescentar()
{
    if (!editavel())
        return false;
    return tentar([&] { tabela_->appendRecord(); });
}

bool ModeloProdutos::excluir(int linha)
{
    if (!naFaixa(linha) || !editavel())
        return false;
    return tentar([&] { tabela_->deleteRecord(linha); });
}

void ModeloProdutos::tornarAtual(int linha)
{
    // The new row is not a record yet; moving onto it leaves the current record alone.
    if (!naFaixa(linha) || movendo_ || linha >= tabela_->recordCount())
        return;
    movendo_ = true;
    tentar([&] { tabela_->setCurrent(linha); });
    movendo_ = false;
}

bool ModeloProdutos::editavel() const
{
    return tabela_ && tabela_->active() && !tabela_->locked();
}

void ModeloProdutos::tableReset()
{
    beginResetModel();
    linhas_ = tabela_ ? tabela_->gridRowCount() : 0;
    endResetModel();
}

void ModeloProdutos::currentChanged(int row)
{
    sincronizar(row);
    if (!movendo_)
        emit registroAtual(row);
}

// The table reports only its current record when one is stored or removed; the rows the
// grid knows are brought in line with it. One new record (a reading stores them one by
// one) is announced as an insertion at the current row, so that the grid need not be
// rebuilt for every line of a long file.
void ModeloProdutos::sincronizar(int atual)
{
    const int agora = tabela_ ? tabela_->gridRowCount() : 0;
    if (agora == linhas_ + 1 && atual >= 0 && atual < agora) {
        beginInsertRows(QModelIndex(), atual, atual);
        linhas_ = agora;
        endInsertRows();
    } else if (agora != linhas_) {
        beginResetModel();
        linhas_ = agora;
        endResetModel();
        return;
    }
    if (linhas_ > 0)
        emit dataChanged(index(0, 0), index(linhas_ - 1, columnCount() - 1));
}

} // namespace norvo::app
