#include "staging/StagingTable.h"

#include <string>
#include <utility>

#include "staging/ArquivoEstagio.h"

namespace norvo::staging {

namespace {

constexpr const char* TabelaFechada = "Cannot perform this operation on a closed dataset";
constexpr const char* TabelaTravada = "Cannot change the staged products while an import is running";

// Fails for a value outside the eight fields.
void exigirCampo(Campo c)
{
    nomeCampo(c);
}

} // namespace

StagingTable::StagingTable(std::string fileName) : fileName_(std::move(fileName)) {}

StagingTable::~StagingTable()
{
    try {
        close();
    } catch (...) {
        // Nobody is left to tell; losing the by-product file must not end the program.
    }
}

void StagingTable::exigirAberta() const
{
    if (!aberta_)
        throw Error(TabelaFechada);
}

void StagingTable::exigirEditavel() const
{
    exigirAberta();
    if (travas_ > 0)
        throw Error(TabelaTravada);
}

StagingTable::Registro& StagingTable::pendenteEditavel()
{
    exigirEditavel();
    if (!pendente_)
        throw Error("Dataset not in edit or insert mode");
    return *pendente_;
}

void StagingTable::lock()
{
    if (aberta_)
        assentar();
    ++travas_;
}

void StagingTable::unlock()
{
    if (travas_ > 0)
        --travas_;
}

void StagingTable::exigirLinha(int row) const
{
    exigirAberta();
    if (row < 0 || row >= static_cast<int>(registros_.size()))
        throw Error("Record index " + std::to_string(row) + " out of range");
}

void StagingTable::avisarReset()
{
    if (ouvinte_ && emLote_ == 0)
        ouvinte_->tableReset();
}

void StagingTable::avisarAtual()
{
    if (ouvinte_ && emLote_ == 0)
        ouvinte_->currentChanged(atual_);
}

void StagingTable::setListener(Listener* l)
{
    ouvinte_ = l;
}

void StagingTable::beginBulk()
{
    if (emLote_++ == 0 && ouvinte_)
        ouvinte_->tableReset();
}

void StagingTable::endBulk()
{
    if (emLote_ == 0)
        return;
    if (--emLote_ == 0 && ouvinte_) {
        ouvinte_->tableReset();
        ouvinte_->currentChanged(aberta_ ? atual_ : -1);
    }
}

void StagingTable::close()
{
    if (!aberta_)
        return;
    if (travas_ > 0)
        throw Error(TabelaTravada);
    pendente_.reset();
    pendenteAtribuido_ = false;
    if (alterada_ && !fileName_.empty())
        detalhe::gravarArquivoEstagio(fileName_, registros_, textos_);
    aberta_ = false;
    alterada_ = false;
    fim_ = true;
    atual_ = -1;
    esvaziar();
    avisarReset();
    avisarAtual();
}

void StagingTable::esvaziar()
{
    registros_.clear();
    textos_.clear();
}

void StagingTable::createDataSet()
{
    if (aberta_)
        throw Error("Cannot perform this operation on an open dataset");
    esvaziar();
    pendente_.reset();
    pendenteAtribuido_ = false;
    aberta_ = true;
    alterada_ = false;
    fim_ = true;
    atual_ = -1;
    avisarReset();
    avisarAtual();
}

void StagingTable::emptyDataSet()
{
    exigirEditavel();
    pendente_.reset();
    esvaziar();
    pendenteAtribuido_ = false;
    atual_ = -1;
    fim_ = true;
    alterada_ = true;
    avisarReset();
    avisarAtual();
}

void StagingTable::assentar()
{
    if (!pendente_)
        return;
    if (pendenteAtribuido_)
        post();
    else
        cancel();
}

void StagingTable::insert()
{
    exigirEditavel();
    assentar();
    pendente_.emplace();
    pendenteAtribuido_ = false;
}

void StagingTable::cancel()
{
    exigirAberta();
    const bool linhaDaGrade = pendente_ && pendenteNoFim_;
    pendente_.reset();
    pendenteAtribuido_ = false;
    pendenteNoFim_ = false;
    if (linhaDaGrade) {
        avisarReset();
        avisarAtual();
    }
}

void StagingTable::post()
{
    pendenteEditavel();
    // Inserted after the current record, so records walk in the order they were stored;
    // the grid's new row goes after the last one, where the grid shows it.
    const int pos = pendenteNoFim_ ? static_cast<int>(registros_.size()) : atual_ + 1;
    registros_.insert(static_cast<std::size_t>(pos), *pendente_);
    pendente_.reset();
    pendenteAtribuido_ = false;
    pendenteNoFim_ = false;
    atual_ = pos;
    fim_ = false;
    alterada_ = true;
    avisarReset();
    avisarAtual();
}

void StagingTable::setFieldText(Campo c, std::string_view v)
{
    pendenteEditavel().gravar(c, v, textos_); // throws before anything changes
    pendenteAtribuido_ = true;
}

void StagingTable::setFieldMoney(Campo c, std::int64_t v)
{
    pendenteEditavel().gravarDinheiro(c, v);
    pendenteAtribuido_ = true;
}

void StagingTable::setFieldInvalid(Campo c, std::string_view texto)
{
    pendenteEditavel().gravarInvalido(c, texto, textos_);
    pendenteAtribuido_ = true;
}

void StagingTable::setLinha(int linha)
{
    pendenteEditavel().linha = linha;
}

void StagingTable::marcar(Campo c)
{
    exigirCampo(c);
    pendenteEditavel().marcar(c);
}

void StagingTable::first()
{
    exigirAberta();
    assentar();
    atual_ = registros_.empty() ? -1 : 0;
    fim_ = registros_.empty();
    avisarAtual();
}

void StagingTable::next()
{
    exigirAberta();
    assentar();
    if (atual_ + 1 < static_cast<int>(registros_.size())) {
        ++atual_;
        fim_ = false;
        avisarAtual();
    } else {
        fim_ = true;
    }
}

bool StagingTable::eof() const
{
    exigirAberta();
    return fim_;
}

int StagingTable::recordCount() const
{
    exigirAberta();
    return static_cast<int>(registros_.size());
}

int StagingTable::recNo() const
{
    exigirAberta();
    return atual_;
}

bool StagingTable::pending() const
{
    exigirAberta();
    return pendente_.has_value();
}

bool StagingTable::changed() const
{
    return aberta_ && alterada_;
}

const StagingTable::Registro& StagingTable::registroAtual() const
{
    exigirAberta();
    // With no record every field reads as null, just like an empty one.
    static const Registro Nenhum;
    if (pendente_)
        return *pendente_;
    if (atual_ < 0)
        return Nenhum;
    return registros_[static_cast<std::size_t>(atual_)];
}

std::string StagingTable::asText(Campo c) const
{
    exigirCampo(c);
    return registroAtual().texto(c, textos_);
}

std::int32_t StagingTable::asInteger(Campo c) const
{
    return registroAtual().comoInteiro(c, textos_);
}

std::int64_t StagingTable::asMoney(Campo c) const
{
    return registroAtual().comoDinheiro(c, textos_);
}

std::int32_t StagingTable::cellInteger(int row, Campo c) const
{
    exigirLinha(row);
    return registros_[static_cast<std::size_t>(row)].comoInteiro(c, textos_);
}

std::int64_t StagingTable::cellMoney(int row, Campo c) const
{
    exigirLinha(row);
    return registros_[static_cast<std::size_t>(row)].comoDinheiro(c, textos_);
}

int StagingTable::cellLinha(int row) const
{
    exigirLinha(row);
    return registros_[static_cast<std::size_t>(row)].linha;
}

bool StagingTable::cellMarcada(int row, Campo c) const
{
    exigirCampo(c);
    exigirLinha(row);
    return registros_[static_cast<std::size_t>(row)].marcado(c);
}

bool StagingTable::cellNull(int row, Campo c) const
{
    exigirCampo(c);
    exigirLinha(row);
    return registros_[static_cast<std::size_t>(row)].nulo(c);
}

void StagingTable::marcarCelula(int row, Campo c)
{
    exigirCampo(c);
    exigirLinha(row);
    registros_[static_cast<std::size_t>(row)].marcar(c);
}

bool StagingTable::isNull(Campo c) const
{
    exigirCampo(c);
    return registroAtual().nulo(c);
}

int StagingTable::gridRowCount() const
{
    if (!aberta_)
        return 0;
    return static_cast<int>(registros_.size()) + (pendente_ && pendenteNoFim_ ? 1 : 0);
}

std::string StagingTable::cellText(int row, Campo c) const
{
    exigirCampo(c);
    if (aberta_ && pendente_ && pendenteNoFim_ && row == static_cast<int>(registros_.size()))
        return pendente_->texto(c, textos_);
    exigirLinha(row);
    return registros_[static_cast<std::size_t>(row)].texto(c, textos_);
}

void StagingTable::setCellText(int row, Campo c, std::string_view v)
{
    exigirCampo(c);
    exigirEditavel();
    if (pendente_ && pendenteNoFim_ && row == static_cast<int>(registros_.size())) {
        // The first value typed into the new row stores it: a record with data in it is
        // never lost to a close, and one without is never stored.
        pendente_->gravar(c, v, textos_); // throws before changing
        pendenteAtribuido_ = true;
        post();
        return;
    }
    exigirLinha(row);
    Registro& r = registros_[static_cast<std::size_t>(row)];
    r.gravar(c, v, textos_); // throws before changing
    r.desmarcar(c);          // what the operator typed stands
    alterada_ = true;
}

void StagingTable::appendRecord()
{
    exigirEditavel();
    assentar();
    pendente_.emplace();
    pendenteAtribuido_ = false;
    pendenteNoFim_ = true;
    if (ouvinte_ && emLote_ == 0) {
        ouvinte_->tableReset();
        ouvinte_->currentChanged(static_cast<int>(registros_.size()));
    }
}

void StagingTable::deleteRecord(int row)
{
    exigirEditavel();
    if (pendente_ && pendenteNoFim_ && row == static_cast<int>(registros_.size())) {
        cancel();
        return;
    }
    exigirLinha(row);
    registros_.erase(static_cast<std::size_t>(row));
    const int n = static_cast<int>(registros_.size());
    if (row < atual_)
        --atual_;
    if (atual_ >= n)
        atual_ = n - 1;
    fim_ = n == 0;
    alterada_ = true;
    avisarReset();
    avisarAtual();
}

void StagingTable::setCurrent(int row)
{
    exigirLinha(row);
    assentar();
    atual_ = row;
    fim_ = false;
    avisarAtual();
}

} // namespace norvo::staging
