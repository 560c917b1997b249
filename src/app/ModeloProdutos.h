#pragma once
#include <functional>
#include <map>
#include <string>
#include <utility>

#include <QAbstractTableModel>

#include "staging/ResultadoLeitura.h"
#include "staging/StagingTable.h"

namespace norvo::app {

class Dialogos;

// The staging table CdsProdutos as the grid sees it: one row per record, one column per
// field titled with the field's name. Edits go through the table's own storage rules; a
// value the table refuses is reported and the cell keeps what it had.
class ModeloProdutos : public QAbstractTableModel, private staging::StagingTable::Listener {
    Q_OBJECT
public:
    ModeloProdutos(staging::StagingTable& tabela, Dialogos& dialogos, QObject* pai = nullptr);
    ~ModeloProdutos() override;

    // Stops following the table (before the table itself goes away).
    void desligar();

    int rowCount(const QModelIndex& pai = QModelIndex()) const override;
    int columnCount(const QModelIndex& pai = QModelIndex()) const override;
    QVariant data(const QModelIndex& indice, int papel = Qt::DisplayRole) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao, int papel = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& indice) const override;
    bool setData(const QModelIndex& indice, const QVariant& valor, int papel = Qt::EditRole) override;

    // A new row below the last one, stored once a value is typed into it; false when the
    // table is closed, in use by a run, or refuses.
    bool acrescentar();
    // Removes a record; the question is the grid's business.
    bool excluir(int linha);
    // Whether the operator may change the records now (not while a run walks them).
    bool editavel() const;
    // The grid moved: the table's current record follows.
    void tornarAtual(int linha);
    // The last reading's notes: the cells it changed or could not read are marked, their
    // note as the tooltip, until the operator edits them. Null: none.
    void definirNotas(const staging::ResultadoLeitura* leitura);
    // The row of the record read from that line of the file, or -1.
    int linhaDoArquivo(int linhaNoArquivo) const;

signals:
    // The table's current record changed (a reading, a run walking it, an edit).
    void registroAtual(int linha);

private:
    void tableReset() override;
    void currentChanged(int row) override;
    void sincronizar(int atual);
    bool naFaixa(int linha) const;
    bool tentar(const std::function<void()>& acao) const;

    QString notaDaCelula(int linha, staging::Campo campo) const;

    staging::StagingTable* tabela_;
    Dialogos& dialogos_;
    const staging::ResultadoLeitura* leitura_ = nullptr;
    std::map<std::pair<int, int>, std::size_t> notaPorLinha_;         // (line, field) -> note
    std::map<std::pair<int, std::string>, std::size_t> notaPorValor_; // (field, stored text) -> note
    int linhas_ = 0;
    bool movendo_ = false;
};

} // namespace norvo::app
