// Product file reader: any bytes go through the text conversion, the line splitter, the
// field reader, the price converter and a whole table fill. The only failure the reader
// may report is staging::Error; any other exception, a sanitizer report or a broken
// invariant below is a bug.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "staging/LeitorCSV.h"
#include "staging/StagingTable.h"
#include "staging/Texto.h"

using namespace norvo::staging;

namespace {

#define EXIGIR(cond)                     \
    do {                                 \
        if (!(cond)) __builtin_trap();   \
    } while (0)

bool branco(char c) { return static_cast<unsigned char>(c) <= 32; }

// The splitter's result worked out the slow way: the pieces between line breaks (CR LF
// as one), NULs left out, no piece after a break that ends the text.
std::vector<std::string> linhasEsperadas(std::string_view texto) {
    std::string t;
    for (char c : texto)
        if (c != '\0') t.push_back(c);
    std::vector<std::string> r;
    std::string atual;
    bool aberta = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r' || t[i] == '\n') {
            r.push_back(atual);
            atual.clear();
            aberta = false;
            if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
        } else {
            atual.push_back(t[i]);
            aberta = true;
        }
    }
    if (aberta) r.push_back(atual);
    return r;
}

// Field k (from 1) of a line without quotes: counts only when a ";" closes it.
std::string campo(const std::vector<std::string>& partes, std::size_t k) {
    return k < partes.size() ? partes[k - 1] : std::string();
}

std::string parte(const std::string& f, std::size_t ini, std::size_t n) {
    return f.size() > ini ? f.substr(ini, n) : std::string();
}

// The storage rule of a text field: NUL ends it, the size cuts it, trailing blanks go.
std::string guardado(std::string v, std::size_t tamanho) {
    const auto nul = v.find('\0');
    if (nul != std::string::npos) v.resize(nul);
    if (v.size() > tamanho) v.resize(tamanho);
    while (!v.empty() && branco(v.back())) v.pop_back();
    return v;
}

void conferirLinha(const std::string& linha) {
    const CamposLinha c = lerLinha(linha);

    std::string semAspas;
    for (char ch : linha)
        if (ch != '"') semAspas.push_back(ch);
    std::vector<std::string> partes;
    std::size_t ini = 0;
    for (;;) {
        const auto p = semAspas.find(';', ini);
        partes.push_back(semAspas.substr(ini, p == std::string::npos ? std::string::npos : p - ini));
        if (p == std::string::npos) break;
        ini = p + 1;
    }
    // partes.size() - 1 separators; the price sits after the 8th (or the last) one.
    EXIGIR(c.codigo == SoNumeros(campo(partes, 1)));
    EXIGIR(c.descricao == campo(partes, 2));
    EXIGIR(c.unidade == campo(partes, 3));
    EXIGIR(c.icms == parte(campo(partes, 4), 2, 3));
    EXIGIR(c.pis == parte(campo(partes, 6), 3, 2));
    EXIGIR(c.cofins == parte(campo(partes, 7), 3, 2));
    EXIGIR(c.ncm == campo(partes, 8));
    const std::size_t posPreco = std::min<std::size_t>(8, partes.size() - 1);
    EXIGIR(c.preco == converterPreco(partes[posPreco]));

    for (const std::string* s : {&c.descricao, &c.unidade, &c.icms, &c.pis, &c.cofins, &c.ncm})
        EXIGIR(s->find(';') == std::string::npos && s->find('"') == std::string::npos);
    EXIGIR(c.icms.size() <= 3 && c.pis.size() <= 2 && c.cofins.size() <= 2);
}

// Properties of the price converter that hold for any text.
void conferirPreco(std::string_view texto) {
    const std::int64_t v = converterPreco(texto);
    // Blanks at either end make no difference.
    std::string cercado = " \t";
    cercado += texto;
    cercado += "\r ";
    EXIGIR(converterPreco(cercado) == v);

    const std::string t = Aparar(texto);
    if (!t.empty() && t[0] != '+' && t[0] != '-') {
        EXIGIR(converterPreco("+" + t) == v);
        // Rounding is by magnitude, so a minus sign mirrors every amount that fits.
        if (v != 0) EXIGIR(converterPreco("-" + t) == -v);
    }
}

// "[sign]digits[,digits]" (or "." for ",") worked out in 128 bits: ten-thousandths, the
// fifth decimal rounding half away from zero, 0 beyond the 64-bit range.
void conferirDecimalSimples(std::string_view texto) {
    const std::string t = Aparar(texto);
    std::size_t i = 0;
    bool negativo = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negativo = t[i++] == '-';
    unsigned __int128 m = 0;
    int digitos = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digitos) m = m * 10 + unsigned(t[i] - '0');
    if (i < t.size() && (t[i] == ',' || t[i] == '.')) {
        // A single separator only: "1.234,5" style grouping is left to the other checks.
        if (t.find_first_of(",.", i + 1) != std::string::npos) return;
        int casas = 0;
        bool cima = false;
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digitos) {
            if (casas < 4) m = m * 10 + unsigned(t[i] - '0');
            else if (casas == 4) cima = t[i] >= '5';
            ++casas;
        }
        for (; casas < 4; ++casas) m *= 10;
        if (cima) ++m;
    } else {
        m *= 10000;
    }
    if (i != t.size() || digitos == 0 || digitos > 30) return;
    const unsigned __int128 limite =
        static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max()) + (negativo ? 1 : 0);
    std::int64_t esperado = 0;
    if (m <= limite)
        esperado = negativo ? static_cast<std::int64_t>(-static_cast<__int128>(m)) : static_cast<std::int64_t>(m);
    EXIGIR(converterPreco(texto) == esperado);
}

// Any amount written by the money formatter reads back unchanged, and so does the same
// amount written in the grouped "1.234,56" form.
void conferirIdaEVolta(std::uint64_t bruto) {
    const auto v = static_cast<std::int64_t>(bruto);
    EXIGIR(converterPreco(dinheiroParaTexto(v)) == v);

    // Below 10^15 ten-thousandths: grouped thousands, comma, four decimals.
    const std::uint64_t m = bruto % 1000000000000000ULL;
    std::string inteiro = std::to_string(m / 10000);
    std::string agrupado;
    for (std::size_t i = 0; i < inteiro.size(); ++i) {
        if (i && (inteiro.size() - i) % 3 == 0) agrupado += '.';
        agrupado += inteiro[i];
    }
    std::string casas = std::to_string(m % 10000);
    casas.insert(0, 4 - casas.size(), '0');
    const auto esperado = static_cast<std::int64_t>(m);
    EXIGIR(converterPreco(agrupado + "," + casas) == esperado);
    EXIGIR(converterPreco("-" + agrupado + "," + casas) == -esperado);
    // A fifth decimal rounds half away from zero.
    EXIGIR(converterPreco(agrupado + "," + casas + "5") == esperado + 1);
    EXIGIR(converterPreco(agrupado + "," + casas + "4") == esperado);
}

void conferirTabela(std::string_view bytes, const std::vector<std::string>& linhas) {
    StagingTable t{""};   // no file name: closing writes nothing
    t.createDataSet();
    int chamadas = 0;
    bool falhou = false;
    try {
        preencherTabela(t, bytes, [&] { ++chamadas; });
    } catch (const Error&) {
        falhou = true;
    }
    const int n = t.recordCount();
    EXIGIR(n >= 0 && static_cast<std::size_t>(n) <= linhas.size());
    if (falhou) {
        // Earlier lines are stored, the failing one is pending.
        EXIGIR(static_cast<std::size_t>(n) < linhas.size());
        EXIGIR(t.pending());
    } else {
        EXIGIR(static_cast<std::size_t>(n) == linhas.size());
    }

    for (int row = 0; row < n; ++row) {
        const CamposLinha c = lerLinha(linhas[static_cast<std::size_t>(row)]);
        const std::string descricao = t.cellText(row, DESCRICAO);
        const std::string unidade = t.cellText(row, UNIDADE);
        const std::string icms = t.cellText(row, ICMS);
        const std::string ncm = t.cellText(row, NCM);
        if (descricao.size() > 100 || unidade.size() > 3 || icms.size() > 3 || ncm.size() > 8)
            __builtin_trap();
        EXIGIR(descricao == guardado(c.descricao, 100));
        EXIGIR(unidade == guardado(c.unidade, 3));
        EXIGIR(icms == guardado(c.icms, 3));
        EXIGIR(ncm == guardado(c.ncm, 8));

        const std::string codigo = t.cellText(row, COD_PRODUTO);
        if (c.codigo.empty()) {
            EXIGIR(codigo.empty());
        } else {
            const auto esperado = lerInteiro(c.codigo);
            EXIGIR(esperado && codigo == std::to_string(*esperado));
        }
        // The money field keeps a double: exact well inside its 53 bits.
        if (c.preco > -100000000000000LL && c.preco < 100000000000000LL)
            EXIGIR(t.cellText(row, VALORVENDA) == dinheiroParaTexto(c.preco));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string_view bytes(reinterpret_cast<const char*>(dados), tamanho);

    const std::string latin1 = ParaLatin1(bytes);
    // One character per sequence or per stray byte: the text never grows, and bytes that
    // are not taken as UTF-8 pass unchanged.
    EXIGIR(latin1.size() <= bytes.size());
    if (!EhUtf8(bytes)) EXIGIR(latin1 == bytes);

    const std::vector<std::string> linhas = dividirLinhas(latin1);
    EXIGIR(linhas == linhasEsperadas(latin1));
    for (const std::string& l : linhas) {
        EXIGIR(l.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        conferirLinha(l);
        if (l.size() <= 64) conferirDecimalSimples(l);
    }

    if (bytes.size() <= 256) {
        conferirPreco(bytes);
        conferirDecimalSimples(bytes);
    }
    if (tamanho >= 8) {
        std::uint64_t bruto = 0;
        for (int i = 0; i < 8; ++i) bruto = (bruto << 8) | dados[i];
        conferirIdaEVolta(bruto);
    }

    conferirTabela(bytes, linhas);
    return 0;
}
