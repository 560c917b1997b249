#pragma once
#include "import/Etapa.h"

#include <cstdint>

namespace norvo {

// The walk of the staging table by the stage's own position: the grid may move the table's
// current record (it only follows the walk), but cannot steer which record comes next.
class PercursoDoEstagio : public Percurso {
public:
    // `nome`: the field the summary names a record by.
    PercursoDoEstagio(staging::StagingTable& registros, staging::Campo nome) : registros_(registros), nome_(nome) {}

    int contar() override { return registros_.recordCount(); }
    void primeiro() override;
    bool fim() const override { return posicao_ >= total_; }
    void proximo() override;
    std::string identificacao() const override { return registros_.cellText(posicao_, nome_); }
    int linhaNoArquivo() const override { return registros_.cellLinha(posicao_); }
    int posicao() const override { return posicao_; }

private:
    staging::StagingTable& registros_;
    staging::Campo nome_;
    int posicao_ = 0;
    int total_ = 0;
};

// A stage that walks the staging table.
class EtapaDoEstagio : private PercursoDoEstagio, public Etapa {
public:
    EtapaDoEstagio(ContextoEtapa& ctx, const DefinicaoEtapa& d, Declaracao declaracao, staging::Campo nome)
        : PercursoDoEstagio(ctx.registros, nome), Etapa(ctx, d, std::move(declaracao), *this)
    {}

protected:
    using PercursoDoEstagio::posicao;
    // A stage's log entry for the record at `posicao`.
    virtual void logar(int posicao, const Recusa& recusa) = 0;
    std::function<void(const Recusa&)> entradaDoLog() override
    {
        return [this, p = posicao()](const Recusa& r) { logar(p, r); };
    }

    // Fields of the record being walked, or of another by its position.
    std::string texto(staging::Campo c) const { return texto(posicao(), c); }
    std::string texto(int posicao, staging::Campo c) const { return estagio().cellText(posicao, c); }
    std::int32_t inteiro(staging::Campo c) const { return estagio().cellInteger(posicao(), c); }
    std::int64_t dinheiro(staging::Campo c) const { return estagio().cellMoney(posicao(), c); }
};

} // namespace norvo
