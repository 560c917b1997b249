#include "staging/NotaLeitura.h"

#include "texto/Latin1.h"

namespace norvo::staging {

using texto::Utf8ParaLatin1;

namespace {

std::string L1(const char* utf8)
{
    return Utf8ParaLatin1(utf8);
}

// A value as the note quotes it: in single quotes, a long one cut.
std::string citado(const std::string& v)
{
    constexpr std::size_t Max = 60;
    return "'" + (v.size() > Max ? v.substr(0, Max) + "..." : v) + "'";
}

} // namespace

std::string NotaLeitura::nomeDoTipo(Tipo t)
{
    switch (t) {
    case Tipo::LinhaEmBranco:
        return L1("linhas em branco ignoradas");
    case Tipo::Cabecalho:
        return L1("cabeçalho ignorado");
    case Tipo::CodigoSemDigitos:
        return L1("códigos sem dígitos");
    case Tipo::PrecoAusente:
        return L1("linhas sem o campo do preço");
    case Tipo::PrecoIlegivel:
        return L1("preços ilegíveis");
    case Tipo::TextoCortado:
        return L1("textos cortados");
    case Tipo::ValoresIguais:
        return L1("valores diferentes que ficaram iguais");
    case Tipo::SemLatin1:
        return L1("campos com caracteres sem forma em Latin-1");
    case Tipo::CodigoRepetido:
        return L1("códigos repetidos");
    case Tipo::NaoEhInteiro:
        return L1("números ilegíveis");
    }
    return {};
}

std::string NotaLeitura::texto() const
{
    if (tipo == Tipo::CodigoRepetido)
        return problema();
    std::string t = "linha " + std::to_string(linha);
    if (campo != NumCampos)
        t += std::string(", ") + nomeCampo(campo);
    t += ": " + problema();
    if (!conteudo.empty() && tipo != Tipo::LinhaEmBranco)
        t += " [" + conteudo + "]";
    return t;
}

std::string NotaLeitura::problema() const
{
    if (tipo == Tipo::CodigoRepetido) {
        // Named by its code: the note is about all its lines at once.
        constexpr std::size_t Citadas = 10;
        std::string t = L1("código ") + lido + " repetido nas linhas " + std::to_string(linha);
        for (std::size_t i = 0; i < outras.size() && i < Citadas; ++i)
            t += (i + 1 == outras.size() ? " e " : ", ") + std::to_string(outras[i]);
        if (outras.size() > Citadas)
            t += " e mais " + std::to_string(outras.size() - Citadas);
        return t + L1(": só a primeira será importada");
    }
    std::string t;
    const bool unidade = campo == UNIDADE;
    switch (tipo) {
    case Tipo::LinhaEmBranco:
        t += L1("em branco, ignorada");
        break;
    case Tipo::Cabecalho:
        t += L1("sem código numérico, lida como cabeçalho e ignorada");
        break;
    case Tipo::CodigoSemDigitos:
        t += citado(lido) + L1(" não tem dígitos: o produto fica sem código");
        break;
    case Tipo::PrecoAusente:
        t += L1("a linha tem ") + std::to_string(campos) +
             L1(" campos, falta o 9º (preço): o item de preço não será gravado");
        break;
    case Tipo::PrecoIlegivel:
        t += citado(lido) + L1(" não é um preço: o item de preço não será gravado");
        break;
    case Tipo::TextoCortado:
        t += citado(lido) + (unidade ? L1(" gravada como ") : L1(" gravado como ")) + citado(gravado) + " (" +
             std::to_string(lido.size()) + L1(" caracteres, o campo tem ") + std::to_string(tamanhoCampo(campo)) + ")";
        if (linhas > 1)
            t += L1(", em ") + std::to_string(linhas) + L1(" linhas");
        break;
    case Tipo::ValoresIguais:
        t += citado(lido) + " e " + citado(outro) + " (linha " + std::to_string(outraLinha) + L1(") ficaram iguais, ") +
             citado(gravado) + (unidade ? L1(": serão uma só unidade") : L1(": serão um só código NCM"));
        break;
    case Tipo::SemLatin1:
        t += L1("caracteres sem forma em Latin-1 gravados como '?': ") + lido;
        break;
    case Tipo::CodigoRepetido:
        break;
    case Tipo::NaoEhInteiro:
        t += citado(lido) + (campo == COD_PRODUTO ? L1(" não é um código numérico (até 2147483647): o produto fica "
                                                       "sem código e não será importado")
                                                  : L1(" não é um número: o campo fica vazio"));
        break;
    }
    return t;
}

} // namespace norvo::staging
