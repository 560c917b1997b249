#include "app/ModeloProdutos.h"

#include <exception>

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QFont>

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
    if (!indice.isValid() || !naFaixa(indice.row()) || indice.column() >= staging::NumCampos)
        return {};
    const auto campo = static_cast<Campo>(indice.column());
    if (papel == Qt::DisplayRole || papel == Qt::EditRole)
        return QString::fromLatin1(tabela_->cellText(indice.row(), campo));
    // A cell the reading changed: amber and bold, which also tells it apart without colour.
    const bool marcada = indice.row() < tabela_->recordCount() && tabela_->cellMarcada(indice.row(), campo);
    if (!marcada)
        return {};
    switch (papel) {
    case Qt::BackgroundRole:
        return QBrush(QColor(255, 200, 87));
    case Qt::ForegroundRole:
        return QBrush(Qt::black);
    case Qt::FontRole: {
        QFont f;
        f.setBold(true);
        return f;
    }
    case Qt::ToolTipRole:
        return notaDaCelula(indice.row(), campo);
    default:
        return {};
    }
}

void ModeloProdutos::definirNotas(const staging::ResultadoLeitura* leitura)
{
    leitura_ = leitura;
    notaPorLinha_.clear();
    notaPorValor_.clear();
    if (leitura_)
        for (std::size_t i = 0; i < leitura_->notas.size(); ++i) {
            const staging::NotaLeitura& n = leitura_->notas[i];
            notaPorLinha_.try_emplace({n.linha, int(n.campo)}, i);
            // A cut unit or NCM code is told once, at its first line: the other lines that
            // hold it find it by what they hold.
            if (!n.gravado.empty())
                notaPorValor_.try_emplace({int(n.campo), n.gravado}, i);
        }
    if (linhas_ > 0)
        emit dataChanged(index(0, 0), index(linhas_ - 1, columnCount() - 1));
}

QString ModeloProdutos::notaDaCelula(int linha, Campo campo) const
{
    if (!leitura_)
        return {};
    std::size_t nota;
    if (const auto it = notaPorLinha_.find({tabela_->cellLinha(linha), int(campo)}); it != notaPorLinha_.end())
        nota = it->second;
    else if (const auto v = notaPorValor_.find({int(campo), tabela_->cellText(linha, campo)}); v != notaPorValor_.end())
        nota = v->second;
    else
        return {};
    return QString::fromLatin1(leitura_->notas[nota].texto());
}

int ModeloProdutos::linhaDoArquivo(int linhaNoArquivo) const
{
    if (!tabela_ || !tabela_->active() || linhaNoArquivo <= 0)
        return -1;
    for (int r = 0; r < tabela_->recordCount(); ++r)
        if (tabela_->cellLinha(r) == linhaNoArquivo)
            return r;
    return -1;
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
