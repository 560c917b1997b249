#include "staging/Registro.h"

#include <cstring>

#include "staging/Error.h"
#include "staging/Preco.h"
#include "texto/Latin1.h"
#include "texto/Texto.h"

namespace norvo::staging::detalhe {

using texto::EhBranco;
using texto::Utf8ParaLatin1;

namespace {

int indiceInteiro(Campo c)
{
    return c == COD_PRODUTO ? 0 : c == PIS ? 1 : 2;
}

std::string mensagemInteiro(std::string_view texto)
{
    return "'" + std::string(texto) + "' is not a valid integer value";
}

void exigirDinheiro(Campo c)
{
    if (tipo(c) != TipoCampo::Dinheiro)
        throw Error(std::string("Field '") + nomeCampo(c) + "' is not a money field");
}

} // namespace

void Registro::gravar(Campo c, std::string_view v, Textos& textos)
{
    switch (tipo(c)) {
    case TipoCampo::Texto: {
        const std::string t = guardarTexto(c, v).texto;
        auto fixo = [&](auto& f) {
            std::memset(f.c, 0, sizeof f.c);
            std::memcpy(f.c, t.data(), t.size());
        };
        switch (c) {
        case DESCRICAO:
            if (descricaoTamanho && textos.ultimo(descricaoInicio, descricaoTamanho))
                textos.descartarDesde(descricaoInicio);
            descricaoInicio = t.empty() ? 0 : textos.guardar(t);
            descricaoTamanho = t.size();
            break;
        case UNIDADE:
            fixo(unidade);
            break;
        case ICMS:
            fixo(icms);
            break;
        case NCM:
            fixo(ncm);
            break;
        default:
            break;
        }
        if (t.empty())
            nulos |= bit(c);
        else
            preencher(c);
        return;
    }
    case TipoCampo::Inteiro: {
        if (v.empty()) {
            nulos |= bit(c);
            return;
        }
        const auto n = lerInteiro(v);
        if (!n)
            throw Error(mensagemInteiro(v) + " for field '" + nomeCampo(c) + "'");
        inteiro[indiceInteiro(c)] = *n;
        preencher(c);
        return;
    }
    case TipoCampo::Dinheiro: {
        if (EhBranco(v)) {
            esquecerPreco();
            nulos |= bit(c);
            return;
        }
        const PrecoLido p = lerPreco(v);
        if (p.estado != PrecoLido::Estado::Valido)
            throw Error("'" + std::string(v) + "' is not a valid floating point value for field '" + nomeCampo(c) +
                        "'");
        precoInvalido = 0;
        valor = p.valor;
        preencher(c);
        return;
    }
    }
}

void Registro::esquecerPreco()
{
    if (precoInvalido)
        valor = 0;
    precoInvalido = 0;
}

void Registro::gravarDinheiro(Campo c, std::int64_t v)
{
    exigirDinheiro(c);
    precoInvalido = 0;
    valor = v;
    preencher(c);
}

void Registro::gravarInvalido(Campo c, std::string_view texto, Textos& textos)
{
    exigirDinheiro(c);
    // The text it replaces is this record's alone: its place is taken again.
    if (precoInvalido)
        textos.trocarPreco(static_cast<std::uint64_t>(valor), texto);
    else
        valor = static_cast<std::int64_t>(textos.guardarPreco(texto));
    precoInvalido = 1;
    preencher(c);
}

std::string_view Registro::textoGuardado(Campo c, const Textos& textos) const
{
    switch (c) {
    case DESCRICAO:
        return textos.ler(descricaoInicio, descricaoTamanho);
    case UNIDADE:
        return unidade.vista();
    case ICMS:
        return icms.vista();
    case NCM:
        return ncm.vista();
    default:
        return {};
    }
}

std::string Registro::texto(Campo c, const Textos& textos) const
{
    if (nulo(c))
        return {};
    switch (tipo(c)) {
    case TipoCampo::Texto:
        return std::string(textoGuardado(c, textos));
    case TipoCampo::Inteiro:
        return std::to_string(inteiro[indiceInteiro(c)]);
    case TipoCampo::Dinheiro:
        break;
    }
    if (precoInvalido)
        return textoDoPreco(textos);
    return texto::decimal(valor, EscalaDinheiro);
}

std::int32_t Registro::comoInteiro(Campo c, const Textos& textos) const
{
    const TipoCampo t = tipo(c);
    if (t == TipoCampo::Inteiro)
        return nulo(c) ? 0 : inteiro[indiceInteiro(c)];
    if (t == TipoCampo::Dinheiro)
        throw Error(std::string("Field '") + nomeCampo(c) + "' cannot be read as an integer");
    const std::string s = texto(c, textos);
    const auto n = lerInteiro(s);
    if (!n)
        throw ValorIlegivel(c, mensagemInteiro(s));
    return *n;
}

std::int64_t Registro::comoDinheiro(Campo c, const Textos& textos) const
{
    exigirDinheiro(c);
    if (nulo(c))
        return 0;
    if (precoInvalido && textoDoPreco(textos).empty())
        throw ValorIlegivel(c, Utf8ParaLatin1("Preço ausente: a linha do arquivo não tem o campo do preço"));
    if (precoInvalido)
        throw ValorIlegivel(c, Utf8ParaLatin1("Preço inválido: '") + textoDoPreco(textos) + "'");
    return valor;
}

} // namespace norvo::staging::detalhe
