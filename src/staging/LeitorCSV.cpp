#include "staging/LeitorCSV.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "db/Texto.h"
#include "staging/Texto.h"

namespace norvo::staging {

using db::Aparar;
using db::EhBranco;

namespace {

// The fields of a line that the reader looks at: the first eight, each closed by ";", and
// the ninth up to the next ";" or the end, which holds the price.
constexpr std::size_t CamposUsados = 9;

class Campos {
public:
    explicit Campos(std::string_view linha) {
        if (linha.find('"') == std::string_view::npos) {
            dividir(linha);
        } else if (!dividirComAspas(linha)) {
            // An unclosed quote: every quote goes and every ";" separates.
            dono_.clear();
            std::remove_copy(linha.begin(), linha.end(), std::back_inserter(dono_), '"');
            dividir(dono_);
        }
    }
    // Views into the line or into dono_: neither copied nor moved.
    Campos(const Campos&) = delete;
    Campos& operator=(const Campos&) = delete;

    // Field k (from 1); it counts only when a ";" closes it.
    std::string_view campo(std::size_t k) const { return k < n_ ? f_[k - 1] : std::string_view(); }
    // After the 8th ";" or, with fewer, after the last one.
    std::string_view preco() const { return f_[std::min(n_, CamposUsados) - 1]; }

private:
    void guardar(std::string_view f) {
        if (n_ < CamposUsados) f_[n_] = f;
        ++n_;
    }

    void dividir(std::string_view s) {
        n_ = 0;
        for (;;) {
            const std::size_t p = s.find(';');
            guardar(s.substr(0, p));
            if (p == std::string_view::npos || n_ >= CamposUsados) return;
            s.remove_prefix(p + 1);
        }
    }

    // False when a quoted field is not closed.
    bool dividirComAspas(std::string_view linha) {
        dono_.clear();
        dono_.reserve(linha.size());
        // Offsets into dono_, which grows meanwhile; the views are taken at the end.
        std::size_t ini[CamposUsados], fim[CamposUsados];
        std::size_t n = 0, i = 0;
        for (;;) {
            const std::size_t comeco = dono_.size();
            if (i < linha.size() && linha[i] == '"') {
                for (++i;;) {
                    const std::size_t q = linha.find('"', i);
                    if (q == std::string_view::npos) return false;
                    dono_.append(linha.substr(i, q - i));
                    i = q + 1;
                    if (i == linha.size() || linha[i] != '"') break;
                    dono_ += '"';
                    ++i;
                }
            }
            for (; i < linha.size() && linha[i] != ';'; ++i)
                if (linha[i] != '"') dono_ += linha[i];
            if (n < CamposUsados) {
                ini[n] = comeco;
                fim[n] = dono_.size();
            }
            ++n;
            if (i == linha.size()) break;
            ++i;
        }
        n_ = n;
        for (std::size_t k = 0; k < std::min(n, CamposUsados); ++k)
            f_[k] = std::string_view(dono_).substr(ini[k], fim[k] - ini[k]);
        return true;
    }

    std::string_view f_[CamposUsados];
    std::size_t n_ = 0;   // fields seen, closed or not; counted past CamposUsados
    std::string dono_;
};

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

CamposLinha lerLinha(std::string_view linha) {
    const Campos f(linha);
    auto parte = [](std::string_view c, std::size_t ini, std::size_t n) {
        return c.size() > ini ? std::string(c.substr(ini, n)) : std::string();
    };
    CamposLinha c;
    c.codigo = SoNumeros(f.campo(1));
    c.descricao = f.campo(2);
    c.unidade = f.campo(3);
    c.icms = parte(f.campo(4), 2, 3);
    c.pis = parte(f.campo(6), 3, 2);
    c.cofins = parte(f.campo(7), 3, 2);
    c.ncm = f.campo(8);
    c.precoTexto = Aparar(f.preco());
    c.preco = lerPreco(c.precoTexto);
    return c;
}

std::string lerArquivo(const std::string& caminho) {
    std::string completo = caminho;
    try {
        completo = std::filesystem::absolute(caminho).string();
    } catch (const std::exception&) {
    }
    // The message is Latin-1 text for the operator; the path comes as the file system's bytes.
    auto falha = [&](const std::string& motivo) {
        return Error("Cannot open file \"" + ParaLatin1(completo) + "\". " + motivo);
    };
    auto falhaDoSistema = [&](int erro) { return falha(std::strerror(erro)); };
    auto excesso = [] { return Error("Text exceeds memo capacity"); };

    // Without O_NONBLOCK a named pipe with no writer, or a device, blocks the open for good,
    // beyond the reach of a stop request; such a file is refused below in any case.
    const int fd = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw falhaDoSistema(errno);
    struct Fechar {
        int fd;
        ~Fechar() { ::close(fd); }
    } fechar{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0) throw falhaDoSistema(errno);
    if (S_ISDIR(st.st_mode)) throw falhaDoSistema(EISDIR);
    if (!S_ISREG(st.st_mode)) throw falha("N\xE3o \xE9 um arquivo comum"); // Latin-1: "Não é"
    if (static_cast<std::uint64_t>(st.st_size) > CapacidadeTexto) throw excesso();
    const int modo = ::fcntl(fd, F_GETFL);
    if (modo >= 0) ::fcntl(fd, F_SETFL, modo & ~O_NONBLOCK);

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char bloco[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, bloco, sizeof bloco);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw falhaDoSistema(errno);
        }
        if (n == 0) break;
        // The file may grow while it is read.
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
        switch (c.preco.estado) {
        case PrecoLido::Estado::Invalido: t.setFieldInvalid(VALORVENDA, c.precoTexto); break;
        case PrecoLido::Estado::Valido: t.setFieldMoney(VALORVENDA, c.preco.valor); break;
        case PrecoLido::Estado::Vazio: t.setFieldMoney(VALORVENDA, 0); break;
        }
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
