#pragma once
#include "import/Etapa.h"

#include <cstdint>

namespace norvo {

// A stage that walks the staging table by its own position: the grid may move the table's
// current record (it only follows the walk), but cannot steer which record comes next.
class EtapaDoEstagio : public Etapa {
public:
    using Etapa::Etapa;

protected:
    int contar() override { return estagio().recordCount(); }
    void primeiro() override;
    bool fim() override { return posicao_ >= total_; }
    void proximo() override;
    // A stage's log entry for the record at `posicao`.
    virtual void logar(int posicao, const Recusa& recusa) = 0;
    std::function<void(const Recusa&)> entradaDoLog() override
    {
        return [this, p = posicao_](const Recusa& r) { logar(p, r); };
    }
    std::string identificacao() override { return texto(staging::COD_PRODUTO); }
    int linhaNoArquivo() const override { return estagio().cellLinha(posicao_); }
    int posicao() const override { return posicao_; }
    // What the refusal says, else the code.
    int campoEmFalta(const Recusa& r) const override
    {
        const int campo = Etapa::campoEmFalta(r);
        return campo >= 0 ? campo : staging::COD_PRODUTO;
    }

    // Fields of the record being walked, or of another by its position.
    std::string texto(staging::Campo c) const { return texto(posicao_, c); }
    std::string texto(int posicao, staging::Campo c) const { return estagio().cellText(posicao, c); }
    std::int32_t inteiro(staging::Campo c) const { return estagio().cellInteger(posicao_, c); }
    std::int64_t dinheiro(staging::Campo c) const { return estagio().cellMoney(posicao_, c); }

private:
    int posicao_ = 0;
    int total_ = 0;
};

} // namespace norvo
