#include "staging/LeitorCSV.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "staging/Texto.h"

namespace norvo::staging {

namespace {

bool digito(char c) { return c >= '0' && c <= '9'; }

// "1.234" / "12.345.678": one to three digits, then groups of "." and three digits.
bool milharesAgrupados(std::string_view s) {
    const std::size_t ponto = s.find('.');
    if (ponto == std::string_view::npos || ponto == 0 || ponto > 3) return false;
    for (std::size_t i = 0; i < ponto; ++i)
        if (!digito(s[i])) return false;
    for (std::size_t i = ponto; i < s.size(); i += 4) {
        if (s.size() - i < 4 || s[i] != '.') return false;
        if (!digito(s[i + 1]) || !digito(s[i + 2]) || !digito(s[i + 3])) return false;
    }
    return true;
}

// digitos * 10^expoente, rounded half up, as a magnitude; false when beyond limite.
bool escalar(std::string_view digitos, long expoente, std::uint64_t limite, std::uint64_t& r) {
    while (!digitos.empty() && digitos.front() == '0') digitos.remove_prefix(1);
    r = 0;
    if (digitos.empty()) return true;
    constexpr long MaxDigitos = 19;   // any 19-digit number fits 64 unsigned bits
    const long n = static_cast<long>(digitos.size());
    long manter = expoente >= 0 ? n : n + expoente;
    if (manter > MaxDigitos || (expoente > 0 && n + expoente > MaxDigitos)) return false;
    if (manter < 0) return true;   // below half a ten-thousandth
    for (long i = 0; i < manter; ++i)
        r = r * 10 + static_cast<std::uint64_t>(digitos[static_cast<std::size_t>(i)] - '0');
    for (long i = 0; expoente > 0 && i < expoente; ++i) r *= 10;
    if (manter < n && digitos[static_cast<std::size_t>(manter)] >= '5') ++r;
    return r <= limite;
}

} // namespace

std::vector<std::string> dividirLinhas(std::string_view texto) {
    std::string semNul;
    if (texto.find('\0') != std::string_view::npos) {
        semNul.reserve(texto.size());
        for (char c : texto)
            if (c != '\0') semNul.push_back(c);
        texto = semNul;
    }
    std::vector<std::string> linhas;
    linhas.reserve(static_cast<std::size_t>(std::count(texto.begin(), texto.end(), '\n')) + 1);
    std::size_t ini = 0;
    while (ini < texto.size()) {
        const std::size_t fim = texto.find_first_of("\r\n", ini);
        if (fim == std::string_view::npos) {
            linhas.emplace_back(texto.substr(ini));
            break;
        }
        linhas.emplace_back(texto.substr(ini, fim - ini));
        ini = fim + 1;
        if (texto[fim] == '\r' && ini < texto.size() && texto[ini] == '\n') ++ini;
    }
    return linhas;
}

std::int64_t converterPreco(std::string_view entrada) {
    std::string t = Aparar(entrada);

    const std::size_t virgula = t.find(',');
    if (virgula != std::string::npos) {
        const std::size_t ini = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
        if (virgula > ini && milharesAgrupados(std::string_view(t).substr(ini, virgula - ini)))
            t.erase(std::remove(t.begin() + static_cast<long>(ini), t.begin() + static_cast<long>(virgula), '.'),
                    t.begin() + static_cast<long>(virgula));
    }
    std::replace(t.begin(), t.end(), '.', ',');

    std::size_t i = 0;
    bool negativo = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negativo = t[i++] == '-';
    std::string digitos;
    long casas = 0;
    for (; i < t.size() && digito(t[i]); ++i) digitos.push_back(t[i]);
    if (i < t.size() && t[i] == ',')
        for (++i; i < t.size() && digito(t[i]); ++i, ++casas) digitos.push_back(t[i]);
    if (digitos.empty()) return 0;
    long expoente = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool expNegativo = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) expNegativo = t[i++] == '-';
        if (i == t.size() || !digito(t[i])) return 0;
        for (; i < t.size() && digito(t[i]); ++i)
            if (expoente < 1000000) expoente = expoente * 10 + (t[i] - '0');   // far past any range
        if (expNegativo) expoente = -expoente;
    }
    if (i != t.size()) return 0;

    constexpr std::uint64_t Max = std::numeric_limits<std::int64_t>::max();
    std::uint64_t m;
    if (!escalar(digitos, expoente - casas + 4, negativo ? Max + 1 : Max, m)) return 0;
    return negativo ? static_cast<std::int64_t>(0 - m) : static_cast<std::int64_t>(m);
}

CamposLinha lerLinha(std::string_view linha) {
    std::string semAspas;
    if (linha.find('"') != std::string_view::npos) {
        semAspas.reserve(linha.size());
        for (char c : linha)
            if (c != '"') semAspas.push_back(c);
        linha = semAspas;
    }
    std::string_view resto = linha;
    // A field counts only when a ";" closes it.
    auto tomar = [&]() -> std::string_view {
        const std::size_t p = resto.find(';');
        return p == std::string_view::npos ? std::string_view() : resto.substr(0, p);
    };
    auto largar = [&] {
        const std::size_t p = resto.find(';');
        if (p != std::string_view::npos) resto.remove_prefix(p + 1);
    };
    auto parte = [](std::string_view f, std::size_t ini, std::size_t n) {
        return f.size() > ini ? std::string(f.substr(ini, n)) : std::string();
    };

    CamposLinha c;
    c.codigo = SoNumeros(tomar());
    largar();
    c.descricao = tomar();
    largar();
    c.unidade = tomar();
    largar();
    c.icms = parte(tomar(), 2, 3);
    largar();
    largar();
    c.pis = parte(tomar(), 3, 2);
    largar();
    c.cofins = parte(tomar(), 3, 2);
    largar();
    c.ncm = tomar();
    largar();
    c.preco = converterPreco(resto.substr(0, resto.find(';')));
    return c;
}

std::string lerArquivo(const std::string& caminho) {
    std::string completo = caminho;
    try {
        completo = std::filesystem::absolute(caminho).string();
    } catch (const std::exception&) {
    }
    auto falha = [&](int erro) {
        return Error("Cannot open file \"" + completo + "\". " + std::strerror(erro));
    };
    auto excesso = [] { return Error("Text exceeds memo capacity"); };

    const int fd = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw falha(errno);
    struct Fechar {
        int fd;
        ~Fechar() { ::close(fd); }
    } fechar{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0) throw falha(errno);
    if (S_ISDIR(st.st_mode)) throw falha(EISDIR);
    if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > CapacidadeTexto) throw excesso();

    std::string bytes;
    if (S_ISREG(st.st_mode)) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char bloco[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, bloco, sizeof bloco);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw falha(errno);
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > CapacidadeTexto) throw excesso();
        bytes.append(bloco, static_cast<std::size_t>(n));
    }
    return bytes;
}

int preencherTabela(StagingTable& t, std::string_view bytes,
                    const std::function<void()>& processarEventos) {
    struct Lote {
        StagingTable& t;
        explicit Lote(StagingTable& tab) : t(tab) { t.beginBulk(); }
        ~Lote() { t.endBulk(); }
    } lote(t);

    const std::vector<std::string> linhas = dividirLinhas(ParaLatin1(bytes));

    using Relogio = std::chrono::steady_clock;
    constexpr auto Intervalo = std::chrono::milliseconds(30);
    auto ultimo = Relogio::now();

    const std::size_t total = linhas.size();
    for (std::size_t i = 0; i < total; ++i) {
        const CamposLinha c = lerLinha(linhas[i]);
        t.insert();
        t.setFieldText(COD_PRODUTO, c.codigo);
        t.setFieldText(DESCRICAO, c.descricao);
        t.setFieldText(UNIDADE, c.unidade);
        t.setFieldText(ICMS, c.icms);
        t.setFieldText(PIS, c.pis);
        t.setFieldText(COFINS, c.cofins);
        t.setFieldText(NCM, c.ncm);
        t.setFieldMoney(VALORVENDA, c.preco);
        t.post();
        // The clock is looked at only every 256 lines: per line it would cost about as
        // much as the line itself.
        if (processarEventos && (i & 255) == 255) {
            const auto agora = Relogio::now();
            if (agora - ultimo >= Intervalo) {
                processarEventos();
                ultimo = Relogio::now();
            }
        }
    }
    return t.recordCount();
}

int carregarProdutos(StagingTable& t, const std::string& caminho,
                     const std::function<void()>& processarEventos) {
    t.close();
    t.createDataSet();
    t.emptyDataSet();
    const std::string bytes = lerArquivo(caminho);
    return preencherTabela(t, bytes, processarEventos);
}

} // namespace norvo::staging
