// Product file reader: any bytes go through the text conversion, the line splitter, the
// field reader, the price reader and a whole table fill. The only failure the reader
// may report is norvo::Error (the table's staging::Error among them); any other exception, a sanitizer report or a broken
// invariant below is a bug.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "staging/LeitorCSV.h"
#include "staging/StagingTable.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

using namespace norvo::staging;
using namespace norvo::texto;

namespace {

#define EXIGIR(cond)                                                                                                   \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            __builtin_trap();                                                                                          \
    } while (0)

bool branco(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

// The splitter's result worked out the slow way: the pieces between line breaks (CR LF
// as one), NULs left out, no piece after a break that ends the text.
std::vector<std::string> linhasEsperadas(std::string_view texto)
{
    std::string t;
    for (char c : texto)
        if (c != '\0')
            t.push_back(c);
    std::vector<std::string> r;
    std::string atual;
    bool aberta = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r' || t[i] == '\n') {
            r.push_back(atual);
            atual.clear();
            aberta = false;
            if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n')
                ++i;
        } else {
            atual.push_back(t[i]);
            aberta = true;
        }
    }
    if (aberta)
        r.push_back(atual);
    return r;
}

// The pieces of a line worked out character by character: each field closed by ";" and,
// last, the text after the last ";". A field opening with a quote stays quoted until a
// quote that is not doubled; outside quotes every quote is dropped. Nothing when a quoted
// field is never closed.
std::optional<std::vector<std::string>> pecasComAspas(const std::string& linha)
{
    enum { Inicio, Dentro, Fora } estado = Inicio;
    std::vector<std::string> r(1);
    for (std::size_t i = 0; i < linha.size(); ++i) {
        const char ch = linha[i];
        if (estado == Inicio) {
            estado = ch == '"' ? Dentro : Fora;
            if (ch == '"')
                continue;
        }
        if (estado == Dentro) {
            if (ch != '"') {
                r.back() += ch;
            } else if (i + 1 < linha.size() && linha[i + 1] == '"') {
                r.back() += '"';
                ++i;
            } else {
                estado = Fora;
            }
        } else if (ch == ';') {
            r.emplace_back();
            estado = Inicio;
        } else if (ch != '"') {
            r.back() += ch;
        }
    }
    if (estado == Dentro)
        return std::nullopt;
    return r;
}

// The same line's pieces as the reader must take them: an unclosed quote makes the whole
// line read with every quote dropped and every ";" separating.
std::vector<std::string> pecas(const std::string& linha)
{
    if (auto r = pecasComAspas(linha))
        return *r;
    std::string semAspas;
    for (char ch : linha)
        if (ch != '"')
            semAspas.push_back(ch);
    std::vector<std::string> r;
    std::size_t ini = 0;
    for (;;) {
        const auto p = semAspas.find(';', ini);
        r.push_back(semAspas.substr(ini, p == std::string::npos ? std::string::npos : p - ini));
        if (p == std::string::npos)
            break;
        ini = p + 1;
    }
    return r;
}

// Field k (from 1), empty when the line does not have it.
std::string campo(const std::vector<std::string>& partes, std::size_t k)
{
    return k <= partes.size() ? partes[k - 1] : std::string();
}

std::string parte(const std::string& f, std::size_t ini, std::size_t n)
{
    return f.size() > ini ? f.substr(ini, n) : std::string();
}

bool iguais(const PrecoLido& a, const PrecoLido& b)
{
    return a.estado == b.estado && a.valor == b.valor;
}

bool iguais(const CamposLinha& a, const CamposLinha& b)
{
    return std::min<std::size_t>(a.campos, 9) == std::min<std::size_t>(b.campos, 9) && a.codigo == b.codigo &&
           a.codigoLido == b.codigoLido && a.descricao == b.descricao && a.unidade == b.unidade && a.icms == b.icms &&
           a.pis == b.pis && a.cofins == b.cofins && a.ncm == b.ncm && a.temPreco == b.temPreco &&
           a.precoTexto == b.precoTexto && iguais(a.preco, b.preco);
}

// The storage rule of a text field: NUL ends it, an NCM code in groups (digits and ". -"
// marks, both present) becomes its digits, the size cuts it, trailing blanks go.
std::string guardado(std::string v, std::size_t tamanho, bool ncm = false)
{
    const auto nul = v.find('\0');
    if (nul != std::string::npos)
        v.resize(nul);
    if (ncm) {
        const std::string a = Aparar(v);
        auto marca = [](char ch) { return ch == '.' || ch == ' ' || ch == '-'; };
        auto digito = [](char ch) { return ch >= '0' && ch <= '9'; };
        if (std::any_of(a.begin(), a.end(), marca) && std::any_of(a.begin(), a.end(), digito) &&
            std::all_of(a.begin(), a.end(), [&](char ch) { return marca(ch) || digito(ch); }))
            v = SoNumeros(a);
    }
    if (v.size() > tamanho)
        v.resize(tamanho);
    while (!v.empty() && branco(v.back()))
        v.pop_back();
    return v;
}

void conferirLinha(const std::string& linha)
{
    const CamposLinha c = lerLinha(linha);
    const std::vector<std::string> partes = pecas(linha);
    // partes.size() - 1 separators; the price is field 9, when there is one.
    EXIGIR(c.campos == std::min<std::size_t>(partes.size(), 9) || (partes.size() > 9 && c.campos == partes.size()));
    EXIGIR(c.codigoLido == campo(partes, 1));
    EXIGIR(c.codigo == SoNumeros(campo(partes, 1)));
    EXIGIR(c.descricao == campo(partes, 2));
    EXIGIR(c.unidade == campo(partes, 3));
    EXIGIR(c.icms == parte(campo(partes, 4), 2, 3));
    EXIGIR(c.pis == parte(campo(partes, 6), 3, 2));
    EXIGIR(c.cofins == parte(campo(partes, 7), 3, 2));
    EXIGIR(c.ncm == campo(partes, 8));
    const std::string preco = campo(partes, 9);
    EXIGIR(c.temPreco == (partes.size() >= 9));
    EXIGIR(c.precoTexto == Aparar(preco));
    EXIGIR(iguais(c.preco, lerPreco(preco)));
    EXIGIR(c.icms.size() <= 3 && c.pis.size() <= 2 && c.cofins.size() <= 2);
    if (linha.find('"') == std::string::npos)
        for (const std::string* s : {&c.descricao, &c.unidade, &c.icms, &c.pis, &c.cofins, &c.ncm})
            EXIGIR(s->find(';') == std::string::npos);

    // The first nine pieces written back as a spreadsheet quotes them read the same.
    std::string citada;
    for (std::size_t k = 0; k < std::min<std::size_t>(9, partes.size()); ++k) {
        if (k)
            citada += ';';
        citada += '"';
        for (char ch : partes[k]) {
            if (ch == '"')
                citada += '"';
            citada += ch;
        }
        citada += '"';
    }
    EXIGIR(iguais(lerLinha(citada), c));
}

// Properties of the price reader that hold for any text.
void conferirPreco(std::string_view texto)
{
    using Estado = PrecoLido::Estado;
    const PrecoLido p = lerPreco(texto);
    EXIGIR((p.estado == Estado::Vazio) == EhBranco(texto));
    EXIGIR(p.estado == Estado::Valido ? p.valor >= 0 : p.valor == 0);

    // Blanks at either end make no difference.
    std::string cercado = " \t";
    cercado += texto;
    cercado += "\r ";
    EXIGIR(iguais(lerPreco(cercado), p));

    // "." and "," play the same roles: swapping them all changes nothing.
    std::string trocado(texto);
    for (char& ch : trocado)
        ch = ch == '.' ? ',' : ch == ',' ? '.' : ch;
    EXIGIR(iguais(lerPreco(trocado), p));

    const std::string t = Aparar(texto);
    if (t.empty())
        return;
    // No sign is ever accepted.
    EXIGIR(lerPreco("-" + t).estado == Estado::Invalido);
    EXIGIR(lerPreco("+" + t).estado == Estado::Invalido);
    // A currency sign in front changes nothing.
    if (!(t.size() >= 2 && (t[0] == 'R' || t[0] == 'r') && t[1] == '$')) {
        EXIGIR(iguais(lerPreco("R$ " + t), p));
        EXIGIR(iguais(lerPreco("r$" + t), p));
    }
}

// "digits[,digits]" (or "." for ",") worked out in 128 bits: ten-thousandths, the fifth
// decimal rounding half up, invalid beyond the 64-bit range.
void conferirDecimalSimples(std::string_view texto)
{
    const std::string t = Aparar(texto);
    std::size_t i = 0;
    unsigned __int128 m = 0;
    int digitos = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digitos)
        m = m * 10 + unsigned(t[i] - '0');
    if (i < t.size() && (t[i] == ',' || t[i] == '.')) {
        // A single mark only: grouped thousands are left to the other checks.
        if (t.find_first_of(",.", i + 1) != std::string::npos)
            return;
        int casas = 0;
        bool cima = false;
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digitos) {
            if (casas < 4)
                m = m * 10 + unsigned(t[i] - '0');
            else if (casas == 4)
                cima = t[i] >= '5';
            ++casas;
        }
        for (; casas < 4; ++casas)
            m *= 10;
        if (cima)
            ++m;
    } else {
        m *= 10000;
    }
    if (i != t.size() || digitos == 0 || digitos > 30)
        return;
    const PrecoLido p = lerPreco(texto);
    if (m <= static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max()))
        EXIGIR(p.estado == PrecoLido::Estado::Valido && p.valor == static_cast<std::int64_t>(m));
    else
        EXIGIR(p.estado == PrecoLido::Estado::Invalido);
}

// Any amount written by the money formatter reads back unchanged (a negative one is
// refused), and so does the same amount written with grouped thousands either way.
void conferirIdaEVolta(std::uint64_t bruto)
{
    using Estado = PrecoLido::Estado;
    const auto v = static_cast<std::int64_t>(bruto);
    const PrecoLido lido = lerPreco(norvo::texto::decimal(v, EscalaDinheiro));
    if (v >= 0)
        EXIGIR(lido.estado == Estado::Valido && lido.valor == v);
    else
        EXIGIR(lido.estado == Estado::Invalido);

    // Below 10^15 ten-thousandths: grouped thousands, decimal mark, four decimals.
    const std::uint64_t m = bruto % 1000000000000000ULL;
    const std::string inteiro = std::to_string(m / 10000);
    std::string agrupado;
    for (std::size_t i = 0; i < inteiro.size(); ++i) {
        if (i && (inteiro.size() - i) % 3 == 0)
            agrupado += '.';
        agrupado += inteiro[i];
    }
    std::string casas = std::to_string(m % 10000);
    casas.insert(0, 4 - casas.size(), '0');
    const auto esperado = static_cast<std::int64_t>(m);
    auto vale = [](const std::string& texto, std::int64_t valor) {
        const PrecoLido p = lerPreco(texto);
        return p.estado == Estado::Valido && p.valor == valor;
    };
    std::string invertido = agrupado;
    std::replace(invertido.begin(), invertido.end(), '.', ',');
    EXIGIR(vale(agrupado + "," + casas, esperado));
    EXIGIR(vale(invertido + "." + casas, esperado));
    EXIGIR(vale("R$ " + agrupado + "," + casas, esperado));
    EXIGIR(lerPreco("-" + agrupado + "," + casas).estado == Estado::Invalido);
    // A fifth decimal rounds half up.
    EXIGIR(vale(agrupado + "," + casas + "5", esperado + 1));
    EXIGIR(vale(agrupado + "," + casas + "4", esperado));
    // Without decimals a repeated mark groups thousands, a single one is decimal.
    const auto marcas = std::count(agrupado.begin(), agrupado.end(), '.');
    const auto reais = static_cast<std::int64_t>(m / 10000);
    EXIGIR(vale(agrupado, marcas == 1 ? reais * 10 : reais * 10000));
}

// The table a whole reading fills: one record per line that is neither blank nor the
// header, each knowing its line, each field as the line reader and the storage rules say.
void conferirTabela(std::string_view bytes)
{
    StagingTable t{""}; // no file name: closing writes nothing
    t.createDataSet();
    int chamadas = 0;
    bool falhou = false;
    ResultadoLeitura r;
    try {
        r = preencherTabela(t, bytes, [&] { ++chamadas; });
    } catch (const norvo::Error&) {
        falhou = true;
    }
    const bool utf8 = EhUtf8(bytes);
    std::string_view texto = bytes;
    if (utf8 && texto.starts_with("\xEF\xBB\xBF"))
        texto.remove_prefix(3);
    const std::vector<std::string> linhas = dividirLinhas(texto);
    std::size_t esperados = 0;
    bool primeira = true;
    for (const std::string& l : linhas) {
        if (EhBranco(l))
            continue;
        if (std::exchange(primeira, false) && lerLinha(l, utf8).codigo.empty())
            continue;
        ++esperados;
    }
    const int n = t.recordCount();
    if (falhou) {
        // Earlier lines are stored, the failing one is pending.
        EXIGIR(static_cast<std::size_t>(n) < esperados && t.pending());
    } else {
        EXIGIR(static_cast<std::size_t>(n) == esperados && r.registros == n);
        EXIGIR(r.totalNotas() == static_cast<long>(r.notas.size()) + r.naoGuardadas);
    }

    const std::string precoInvalido = Utf8ParaLatin1("Preço inválido: '");
    int anterior = 0;
    for (int row = 0; row < n; ++row) {
        const int numero = t.cellLinha(row);
        EXIGIR(numero > anterior && static_cast<std::size_t>(numero) <= linhas.size());
        anterior = numero;
        const CamposLinha c = lerLinha(linhas[static_cast<std::size_t>(numero - 1)], utf8);
        const std::string descricao = t.cellText(row, DESCRICAO);
        const std::string unidade = t.cellText(row, UNIDADE);
        const std::string icms = t.cellText(row, ICMS);
        const std::string ncm = t.cellText(row, NCM);
        if (descricao.size() > 100 || unidade.size() > 3 || icms.size() > 3 || ncm.size() > 8)
            __builtin_trap();
        EXIGIR(descricao == guardado(c.descricao, 100));
        EXIGIR(unidade == guardado(c.unidade, 3));
        EXIGIR(icms == guardado(c.icms, 3));
        EXIGIR(ncm == guardado(c.ncm, 8, true));
        // What the size cut is marked.
        EXIGIR(!guardarTexto(DESCRICAO, c.descricao).cortado || t.cellMarcada(row, DESCRICAO));
        EXIGIR(!guardarTexto(UNIDADE, c.unidade).cortado || t.cellMarcada(row, UNIDADE));
        // The grid stores by the same rule. (Not idempotent: "1234567./9" is cut to the
        // dotted "1234567.", which a second store makes "1234567".)
        t.setCellText(row, NCM, c.ncm);
        EXIGIR(t.cellText(row, NCM) == ncm && !t.cellMarcada(row, NCM));

        const std::string codigo = t.cellText(row, COD_PRODUTO);
        if (c.codigo.empty()) {
            EXIGIR(codigo.empty() && t.cellMarcada(row, COD_PRODUTO));
        } else if (const auto esperado = lerInteiro(c.codigo)) {
            EXIGIR(codigo == std::to_string(*esperado));
        } else {
            // No 32-bit integer (a barcode as the code): kept empty and marked, never the end
            // of the reading.
            EXIGIR(codigo.empty() && t.cellMarcada(row, COD_PRODUTO));
        }

        auto falhaDoPreco = [&] {
            std::string falha;
            try {
                t.cellMoney(row, VALORVENDA);
            } catch (const Error& e) {
                falha = e.what();
            }
            return falha;
        };
        if (!c.temPreco) {
            EXIGIR(t.cellText(row, VALORVENDA).empty());
            EXIGIR(falhaDoPreco().starts_with(Utf8ParaLatin1("Preço ausente")) && t.cellMarcada(row, VALORVENDA));
            continue;
        }
        EXIGIR(!t.cellText(row, VALORVENDA).empty()); // never null
        switch (c.preco.estado) {
        case PrecoLido::Estado::Vazio:
            EXIGIR(t.cellMoney(row, VALORVENDA) == 0 && t.cellText(row, VALORVENDA) == "0");
            break;
        case PrecoLido::Estado::Valido:
            EXIGIR(t.cellMoney(row, VALORVENDA) == c.preco.valor);
            EXIGIR(t.cellText(row, VALORVENDA) == norvo::texto::decimal(c.preco.valor, EscalaDinheiro));
            break;
        case PrecoLido::Estado::Invalido: {
            EXIGIR(t.cellText(row, VALORVENDA) == c.precoTexto);
            EXIGIR(falhaDoPreco() == precoInvalido + c.precoTexto + "'");
            // The grid refuses the same text and keeps it; a readable price replaces it.
            bool recusado = false;
            try {
                t.setCellText(row, VALORVENDA, c.precoTexto);
            } catch (const Error&) {
                recusado = true;
            }
            EXIGIR(recusado && t.cellText(row, VALORVENDA) == c.precoTexto);
            t.setCellText(row, VALORVENDA, "R$ 1.234,5");
            EXIGIR(t.cellMoney(row, VALORVENDA) == 12345000 && t.cellText(row, VALORVENDA) == "1234.5");
            break;
        }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho)
{
    const std::string_view bytes(reinterpret_cast<const char*>(dados), tamanho);

    const std::string latin1 = ParaLatin1(bytes);
    // One character per sequence or per stray byte: the text never grows, and bytes that
    // are not taken as UTF-8 pass unchanged.
    EXIGIR(latin1.size() <= bytes.size());
    if (!EhUtf8(bytes))
        EXIGIR(latin1 == bytes);

    const std::vector<std::string> linhas = dividirLinhas(latin1);
    EXIGIR(linhas == linhasEsperadas(latin1));
    for (const std::string& l : linhas) {
        EXIGIR(l.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        conferirLinha(l);
        if (l.size() <= 64)
            conferirDecimalSimples(l);
    }

    if (bytes.size() <= 256) {
        conferirPreco(bytes);
        conferirDecimalSimples(bytes);
    }
    if (tamanho >= 8) {
        std::uint64_t bruto = 0;
        for (int i = 0; i < 8; ++i)
            bruto = (bruto << 8) | dados[i];
        conferirIdaEVolta(bruto);
    }

    conferirTabela(bytes);
    return 0;
}
