#include "staging/Campos.h"

#include "staging/Error.h"
#include "texto/Latin1.h"
#include "texto/Texto.h"

namespace norvo::staging {

using detalhe::TipoCampo;
using texto::Aparar;
using texto::EhBranco;
using texto::SoNumeros;

namespace {

struct DefCampo {
    const char* nome;
    TipoCampo tipo;
    int tamanho;
};

constexpr DefCampo Campos[NumCampos] = {
    {"COD_PRODUTO", TipoCampo::Inteiro, 0}, {"DESCRICAO", TipoCampo::Texto, 100},   {"UNIDADE", TipoCampo::Texto, 3},
    {"ICMS", TipoCampo::Texto, 3},          {"PIS", TipoCampo::Inteiro, 0},         {"COFINS", TipoCampo::Inteiro, 0},
    {"NCM", TipoCampo::Texto, 8},           {"VALORVENDA", TipoCampo::Dinheiro, 0},
};

const DefCampo& def(Campo c)
{
    if (c < 0 || c >= NumCampos)
        throw Error("Invalid field index " + std::to_string(int(c)));
    return Campos[c];
}

// "3402.20.00", "3402 20 00", "3402-20-00": digits and group marks only, with both.
bool ncmEmGrupos(std::string_view s)
{
    return s.find_first_of(".- ") != std::string_view::npos &&
           s.find_first_of("0123456789") != std::string_view::npos &&
           s.find_first_not_of("0123456789.- ") == std::string_view::npos;
}

} // namespace

const char* nomeCampo(Campo c)
{
    return def(c).nome;
}

int tamanhoCampo(Campo c)
{
    return def(c).tamanho;
}

TipoCampo detalhe::tipo(Campo c)
{
    return def(c).tipo;
}

std::optional<std::int32_t> lerInteiro(std::string_view texto)
{
    const auto v = texto::textoParaInteiro(texto, {.hexadecimal = true, .bits = 32});
    if (!v)
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

TextoGuardado guardarTexto(Campo c, std::string_view v)
{
    // Blank means a code 0..32, as everywhere in this program, so a trailing tab or CR is
    // dropped just like a space.
    const std::size_t nul = v.find('\0');
    if (nul != std::string_view::npos)
        v = v.substr(0, nul);
    // Exports and invoices print NCM codes in groups: the same code as its digits, which the
    // field's 8 characters would otherwise cut.
    std::string digitos;
    if (c == NCM) {
        const std::string aparado = Aparar(v);
        if (ncmEmGrupos(aparado))
            v = digitos = SoNumeros(aparado);
    }
    while (!v.empty() && EhBranco(v.back()))
        v.remove_suffix(1);
    const std::size_t tamanho = static_cast<std::size_t>(def(c).tamanho);
    TextoGuardado r;
    r.cortado = v.size() > tamanho;
    v = v.substr(0, tamanho);
    while (!v.empty() && EhBranco(v.back()))
        v.remove_suffix(1);
    r.texto.assign(v);
    return r;
}

} // namespace norvo::staging
