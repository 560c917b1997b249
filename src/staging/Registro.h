#pragma once
// One staged product as the table holds it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "staging/Blocos.h"
#include "staging/Campos.h"
#include "staging/Textos.h"

namespace norvo::staging::detalhe {

// A stored text never holds NUL (storing ends it there), so the first NUL ends it here and
// no length is kept.
template <std::size_t N>
struct TextoFixo {
    char c[N] = {};
    std::string_view vista() const
    {
        std::size_t n = 0;
        while (n < N && c[n])
            ++n;
        return {c, n};
    }
};

// Compact on purpose: a whole product file is held at once. The description lives in the
// table's Textos; the record, 48 bytes, is copied as bytes.
struct Registro {
    // Ten-thousandths; for a price that could not be read, the number of its text in Textos.
    std::int64_t valor = 0;
    std::int32_t inteiro[3] = {0, 0, 0}; // COD_PRODUTO, PIS, COFINS
    std::int32_t linha = 0;              // in the product file; 0 for a record typed in the grid
    std::uint64_t descricaoInicio : 40 = 0;
    std::uint64_t descricaoTamanho : 7 = 0;
    std::uint64_t precoInvalido : 1 = 0;
    std::uint64_t nulos : 8 = 0xFF; // bit per field, set while null
    std::uint64_t marcas : 8 = 0;   // bit per field the reading changed or could not read
    TextoFixo<3> unidade;
    TextoFixo<3> icms;
    TextoFixo<8> ncm;

    // Stores a field's text by the field's rule; fails before changing anything.
    void gravar(Campo, std::string_view, Textos&);
    // Money fields only: an amount, or a price that could not be read (see
    // StagingTable::setFieldInvalid).
    void gravarDinheiro(Campo, std::int64_t decimosMilesimos);
    void gravarInvalido(Campo, std::string_view texto, Textos&);

    bool nulo(Campo c) const { return nulos & bit(c); }
    bool marcado(Campo c) const { return marcas & bit(c); }
    void marcar(Campo c) { marcas |= bit(c); }
    void desmarcar(Campo c) { marcas &= static_cast<std::uint8_t>(~bit(c)); }

    std::string_view textoGuardado(Campo, const Textos&) const; // a text field's characters; empty for others
    // While precoInvalido.
    const std::string& textoDoPreco(const Textos& t) const { return t.preco(static_cast<std::uint64_t>(valor)); }
    std::string texto(Campo, const Textos&) const; // as the grid shows it; empty when null
    std::int32_t comoInteiro(Campo, const Textos&) const;
    std::int64_t comoDinheiro(Campo, const Textos&) const;

private:
    static std::uint8_t bit(Campo c) { return static_cast<std::uint8_t>(1u << c); }
    void preencher(Campo c) { nulos &= static_cast<std::uint8_t>(~bit(c)); }
    void esquecerPreco();
};

static_assert(sizeof(Registro) == 48);

// A table's records in walk order.
using Registros = Blocos<Registro, 12>;

} // namespace norvo::staging::detalhe
