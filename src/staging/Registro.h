#pragma once
// One staged product as the table holds it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "staging/Campos.h"

namespace norvo::staging::detalhe {

template <std::size_t N>
struct TextoFixo {
    char c[N] = {};
    std::uint8_t n = 0;
    std::string_view vista() const { return {c, n}; }
};

// Compact on purpose: a whole product file is held at once.
struct Registro {
    std::string descricao;
    std::int64_t valor = 0; // ten-thousandths
    // The text of a price that could not be read, kept to be shown and fixed; null for
    // every readable price, so it costs one pointer.
    std::unique_ptr<const std::string> precoInvalido;
    std::int32_t inteiro[3] = {0, 0, 0}; // COD_PRODUTO, PIS, COFINS
    std::int32_t linha = 0;              // in the product file; 0 for a record typed in the grid
    TextoFixo<3> unidade;
    TextoFixo<3> icms;
    TextoFixo<8> ncm;
    std::uint8_t nulos = 0xFF; // bit per field, set while null
    std::uint8_t marcas = 0;   // bit per field the reading changed or could not read

    // Stores a field's text by the field's rule; fails before changing anything.
    void gravar(Campo, std::string_view);
    // Money fields only: an amount, or a price that could not be read (see
    // StagingTable::setFieldInvalid).
    void gravarDinheiro(Campo, std::int64_t decimosMilesimos);
    void gravarInvalido(Campo, std::string_view texto);

    bool nulo(Campo c) const { return nulos & bit(c); }
    bool marcado(Campo c) const { return marcas & bit(c); }
    void marcar(Campo c) { marcas |= bit(c); }
    void desmarcar(Campo c) { marcas &= static_cast<std::uint8_t>(~bit(c)); }

    std::string_view textoGuardado(Campo) const; // a text field's characters; empty for others
    std::string texto(Campo) const;              // as the grid shows it; empty when null
    std::int32_t comoInteiro(Campo) const;
    std::int64_t comoDinheiro(Campo) const;

private:
    static std::uint8_t bit(Campo c) { return static_cast<std::uint8_t>(1u << c); }
    void preencher(Campo c) { nulos &= static_cast<std::uint8_t>(~bit(c)); }
};

} // namespace norvo::staging::detalhe
