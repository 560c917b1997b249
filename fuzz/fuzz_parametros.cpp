// Statement parameters and the attachment / transaction blocks: any bytes as a statement
// text, and the same bytes cut into lines as DPB and TPB settings. The only failure these
// may report is db::Error; any other exception, a sanitizer report or a broken invariant
// below is a bug.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <ibase.h>

#include "db/Error.h"
#include "db/Params.h"
#include "texto/Texto.h"

using namespace norvo::db;
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

std::string_view aparado(std::string_view s)
{
    while (!s.empty() && branco(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && branco(s.back()))
        s.remove_suffix(1);
    return s;
}

void conferirParametros(std::string_view sql)
{
    const TextoParametrizado r = analisarParametros(sql);
    const auto doisPontos = static_cast<std::size_t>(std::count(sql.begin(), sql.end(), ':'));

    // Each marker takes one ":" and leaves "?", each "::" takes two and leaves ":".
    EXIGIR(r.texto.size() <= sql.size());
    EXIGIR(r.nomes.size() <= doisPontos);
    std::size_t somaNomes = 0;
    std::size_t interrogacoesNosNomes = 0;
    std::size_t depois = 0;
    for (const std::string& nome : r.nomes) {
        EXIGIR(!nome.empty());
        EXIGIR(nome.find_first_of(" ,;)\r\n") == std::string::npos);
        somaNomes += nome.size();
        interrogacoesNosNomes += static_cast<std::size_t>(std::count(nome.begin(), nome.end(), '?'));
        // The names come from the text, in its order, each right after a ":".
        const auto p = sql.find(":" + nome, depois);
        EXIGIR(p != std::string_view::npos);
        depois = p + 1 + nome.size();
    }
    const std::size_t encolheu = sql.size() - r.texto.size();
    EXIGIR(encolheu >= somaNomes);
    EXIGIR(2 * (encolheu - somaNomes) + r.nomes.size() <= doisPontos);

    const auto q = [](std::string_view s) { return static_cast<std::size_t>(std::count(s.begin(), s.end(), '?')); };
    EXIGIR(q(r.texto) == q(sql) - interrogacoesNosNomes + r.nomes.size());

    if (doisPontos == 0)
        EXIGIR(r.texto == sql && r.nomes.empty());
}

// A statement of known shape around pieces of the input: a quoted literal holding any
// bytes but its quote passes unchanged, markers become "?", "::" outside quotes becomes ":".
void conferirMontado(std::string_view entrada)
{
    const char aspa = "'\"`"[entrada.size() % 3];
    std::string nome;
    std::string literal;
    for (char c : entrada) {
        if (((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') &&
            nome.size() < 31)
            nome += c;
        if (c != aspa)
            literal += c;
    }
    if (nome.empty())
        nome = "P";
    const std::string citado = aspa + literal + aspa;
    const std::string sql =
        "SELECT " + citado + ", a::b, :" + nome + " FROM T WHERE C = :" + nome + ")\nAND D=:" + nome + "\r";
    const TextoParametrizado r = analisarParametros(sql);
    EXIGIR(r.texto == "SELECT " + citado + ", a:b, ? FROM T WHERE C = ?)\nAND D=?\r");
    EXIGIR(r.nomes == std::vector<std::string>(3, nome));
}

// Settings lines built from the input that are all valid: the blocks are known byte by byte.
void conferirBlocosMontados(std::string_view entrada)
{
    std::string valor1, valor2;
    for (std::size_t i = 0; i < entrada.size(); ++i) {
        if (entrada[i] == '\n')
            continue;
        std::string& v = i % 2 ? valor2 : valor1;
        if (v.size() < 255)
            v += entrada[i];
    }
    const std::vector<std::string> dpbLinhas = {"user_name=" + valor1, "  ISC_DPB_Password =" + valor2, "sem igual",
                                                "lc_ctype=WIN1252"};
    std::string dpb = montarDpb(dpbLinhas);
    std::string esperado(1, char(isc_dpb_version1));
    esperado += char(isc_dpb_user_name);
    esperado += char(valor1.size());
    esperado += valor1;
    esperado += char(isc_dpb_password);
    esperado += char(valor2.size());
    esperado += valor2;
    esperado += char(isc_dpb_lc_ctype);
    esperado += char(7);
    esperado += "WIN1252";
    EXIGIR(dpb == esperado);

    struct Palavra {
        const char* nome;
        int codigo;
    };
    static const Palavra palavras[] = {
        {"consistency", isc_tpb_consistency},
        {"concurrency", isc_tpb_concurrency},
        {"shared", isc_tpb_shared},
        {"protected", isc_tpb_protected},
        {"exclusive", isc_tpb_exclusive},
        {"wait", isc_tpb_wait},
        {"nowait", isc_tpb_nowait},
        {"read", isc_tpb_read},
        {"write", isc_tpb_write},
        {"read_committed", isc_tpb_read_committed},
        {"rec_version", isc_tpb_rec_version},
        {"no_rec_version", isc_tpb_no_rec_version},
    };
    constexpr std::size_t N = sizeof palavras / sizeof palavras[0];
    std::vector<std::string> tpbLinhas;
    std::string tpbEsperado(1, char(isc_tpb_version3));
    for (std::size_t i = 0; i < entrada.size() && i < 40; ++i) {
        const auto b = static_cast<unsigned char>(entrada[i]);
        if (b % (N + 1) == N) {
            tpbLinhas.push_back(b & 0x80 ? " \t " : "");
            continue;
        }
        const Palavra& p = palavras[b % (N + 1)];
        std::string linha = std::string(b & 0x20 ? "isc_tpb_" : "") + p.nome;
        if (b & 0x40)
            for (char& c : linha)
                c = char(c >= 'a' && c <= 'z' ? c - 32 : c);
        if (b & 0x80)
            linha = "  " + linha + "\t";
        tpbLinhas.push_back(linha);
        tpbEsperado += char(p.codigo);
    }
    EXIGIR(montarTpb(tpbLinhas) == (tpbLinhas.empty() ? std::string() : tpbEsperado));
}

void conferirDpb(const std::vector<std::string>& linhas)
{
    std::string dpb;
    try {
        dpb = montarDpb(linhas);
    } catch (const Error&) {
        return;
    }
    EXIGIR(!dpb.empty() && dpb[0] == static_cast<char>(isc_dpb_version1));
    // One clumplet per "name=value" line with a name, in line order, carrying the text
    // after the first "=" unchanged.
    std::size_t pos = 1;
    for (const std::string& linha : linhas) {
        const auto igual = linha.find('=');
        if (igual == std::string::npos || aparado(std::string_view(linha).substr(0, igual)).empty())
            continue;
        const std::string valor = linha.substr(igual + 1);
        EXIGIR(pos + 2 <= dpb.size());
        const auto tag = static_cast<unsigned char>(dpb[pos]);
        EXIGIR(tag == isc_dpb_user_name || tag == isc_dpb_password || tag == isc_dpb_lc_ctype ||
               tag == isc_dpb_sql_role_name);
        const auto n = static_cast<unsigned char>(dpb[pos + 1]);
        EXIGIR(n == valor.size());
        EXIGIR(pos + 2 + n <= dpb.size());
        EXIGIR(dpb.compare(pos + 2, n, valor) == 0);
        pos += 2 + n;
    }
    EXIGIR(pos == dpb.size());
}

void conferirTpb(const std::vector<std::string>& linhas)
{
    std::string tpb;
    try {
        tpb = montarTpb(linhas);
    } catch (const Error&) {
        return;
    }
    if (linhas.empty()) {
        EXIGIR(tpb.empty());
        return;
    }
    // The version byte, then per non-blank line a single-byte keyword, or a table
    // reservation: lock_read / lock_write, the name's length and the name.
    const auto naoBrancas = static_cast<std::size_t>(
        std::count_if(linhas.begin(), linhas.end(), [](const std::string& l) { return !aparado(l).empty(); }));
    EXIGIR(!tpb.empty() && tpb[0] == static_cast<char>(isc_tpb_version3));
    std::size_t itens = 0;
    for (std::size_t i = 1; i < tpb.size(); ++i, ++itens) {
        const auto b = static_cast<unsigned char>(tpb[i]);
        EXIGIR(b >= isc_tpb_consistency && b <= isc_tpb_no_auto_undo);
        if (b == isc_tpb_lock_read || b == isc_tpb_lock_write) {
            EXIGIR(i + 1 < tpb.size());
            const auto n = static_cast<unsigned char>(tpb[i + 1]);
            EXIGIR(n > 0 && i + 1 + n < tpb.size());
            i += 1 + n;
        }
    }
    EXIGIR(itens == naoBrancas);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho)
{
    const std::string_view texto(reinterpret_cast<const char*>(dados), tamanho);

    conferirParametros(texto);
    conferirMontado(texto);
    conferirBlocosMontados(texto);

    const std::string baixas = minusculas(texto);
    EXIGIR(baixas.size() == texto.size());
    EXIGIR(mesmoNome(texto, baixas));
    EXIGIR(baixas.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos);

    std::vector<std::string> linhas;
    std::size_t ini = 0;
    while (ini < texto.size()) {
        const auto fim = texto.find('\n', ini);
        linhas.emplace_back(texto.substr(ini, fim == std::string_view::npos ? fim : fim - ini));
        if (fim == std::string_view::npos)
            break;
        ini = fim + 1;
    }
    conferirDpb(linhas);
    conferirTpb(linhas);
    return 0;
}
