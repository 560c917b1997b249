#include "staging/LeitorCSV.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "texto/Texto.h"
#include "texto/Latin1.h"

namespace norvo::staging {

using texto::ChaveDeBusca;
using texto::EhUtf8;
using texto::ParaLatin1;
using texto::Utf8ParaLatin1;

using texto::Aparar;
using texto::EhBranco;

std::string lerArquivo(const std::string& caminho)
{
    std::string completo = caminho;
    try {
        completo = std::filesystem::absolute(caminho).string();
    } catch (const std::exception&) {}
    // The message is Latin-1 text for the operator; the path comes as the file system's bytes.
    auto falha = [&](const std::string& motivo) {
        return Error("Cannot open file \"" + texto::CaminhoEmTexto(completo) + "\". " + motivo);
    };
    auto falhaDoSistema = [&](int erro) { return falha(std::strerror(erro)); };
    auto excesso = [] { return Error("Text exceeds memo capacity"); };

    // Without O_NONBLOCK a named pipe with no writer, or a device, blocks the open for good,
    // beyond the reach of a stop request; such a file is refused below in any case.
    const int fd = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        throw falhaDoSistema(errno);
    struct Fechar {
        int fd;
        ~Fechar() { ::close(fd); }
    } fechar{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw falhaDoSistema(errno);
    if (S_ISDIR(st.st_mode))
        throw falhaDoSistema(EISDIR);
    if (!S_ISREG(st.st_mode))
        throw falha("N\xE3o \xE9 um arquivo comum"); // Latin-1: "Não é"
    if (static_cast<std::uint64_t>(st.st_size) > CapacidadeTexto)
        throw excesso();
    const int modo = ::fcntl(fd, F_GETFL);
    if (modo >= 0)
        ::fcntl(fd, F_SETFL, modo & ~O_NONBLOCK);

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char bloco[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, bloco, sizeof bloco);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw falhaDoSistema(errno);
        }
        if (n == 0)
            break;
        // The file may grow while it is read.
        if (bytes.size() + static_cast<std::size_t>(n) > CapacidadeTexto)
            throw excesso();
        bytes.append(bloco, static_cast<std::size_t>(n));
    }
    return bytes;
}

namespace {

using Tipo = NotaLeitura::Tipo;

// The text of a line as notes and failures quote it: Latin-1, cut to a readable length.
std::string conteudoDaLinha(std::string_view linha, bool utf8)
{
    constexpr std::size_t Max = 100;
    std::string t = utf8 ? Utf8ParaLatin1(linha) : std::string(linha);
    if (t.size() > Max)
        t = t.substr(0, Max) + "...";
    return t;
}

std::string listaDeCaracteres(const std::u32string& cps)
{
    std::string r;
    for (char32_t cp : cps) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
        r += (r.empty() ? "" : ", ") + std::string(buf);
    }
    return r;
}

// One reading: the table, its notes, and what it has seen of the values it cut.
class Leitor {
public:
    Leitor(StagingTable& t, bool utf8) : t_(t), utf8_(utf8) {}

    void linha(std::string_view texto, int numero)
    {
        linha_ = texto;
        numero_ = numero;
        if (EhBranco(texto)) {
            anotar(nota(Tipo::LinhaEmBranco));
            return;
        }
        const CamposLinha c = lerLinha(texto, utf8_);
        // A first line whose code holds no digit could never be imported: the columns' names.
        if (!primeiraLida_) {
            primeiraLida_ = true;
            if (c.codigo.empty()) {
                NotaLeitura n = nota(Tipo::Cabecalho);
                n.conteudo = conteudo();
                anotar(std::move(n));
                return;
            }
        }
        try {
            gravar(c);
        } catch (const Error& e) {
            throw Error(std::string(e.what()) + " (linha " + std::to_string(numero) + ": " + conteudo() + ")");
        }
    }

    ResultadoLeitura& resultado() { return r_; }

private:
    // Values of a field that were cut: a note for each one the first time, its lines counted
    // after; and, by what each became, the different values that became one.
    struct Cortes {
        std::unordered_map<std::string, std::size_t> nota; // value -> its note, npos when not kept
        struct Origem {
            std::string chave, lido;
            int linha;
        };
        std::unordered_map<std::string, std::vector<Origem>> origens; // by what was stored
    };

    void gravar(const CamposLinha& c)
    {
        t_.insert();
        t_.setLinha(numero_);
        for (int k = 0; k < NumCampos; ++k)
            if (!c.semForma[k].empty())
                anotarCampo(Tipo::SemLatin1, Campo(k), listaDeCaracteres(c.semForma[k]));
        if (c.codigo.empty())
            anotarCampo(Tipo::CodigoSemDigitos, COD_PRODUTO, c.codigoLido);
        t_.setFieldText(COD_PRODUTO, c.codigo);
        texto(DESCRICAO, c.descricao);
        texto(UNIDADE, c.unidade);
        t_.setFieldText(ICMS, c.icms);
        t_.setFieldText(PIS, c.pis);
        t_.setFieldText(COFINS, c.cofins);
        texto(NCM, c.ncm);
        if (!c.temPreco) {
            NotaLeitura n = nota(Tipo::PrecoAusente, VALORVENDA);
            n.campos = static_cast<int>(c.campos);
            n.conteudo = conteudo();
            anotar(std::move(n));
            t_.setFieldInvalid(VALORVENDA, "");
            t_.marcar(VALORVENDA);
        } else {
            switch (c.preco.estado) {
            case PrecoLido::Estado::Invalido:
                anotarCampo(Tipo::PrecoIlegivel, VALORVENDA, c.precoTexto);
                t_.setFieldInvalid(VALORVENDA, c.precoTexto);
                break;
            case PrecoLido::Estado::Valido:
                t_.setFieldMoney(VALORVENDA, c.preco.valor);
                break;
            case PrecoLido::Estado::Vazio:
                t_.setFieldMoney(VALORVENDA, 0);
                break;
            }
        }
        t_.post();
    }

    // A text field: stored by the table's rule, and what that rule cut is told.
    void texto(Campo campo, const std::string& v)
    {
        t_.setFieldText(campo, v);
        if (v.empty())
            return;
        const TextoGuardado g = guardarTexto(campo, v);
        if (campo == DESCRICAO) {
            if (g.cortado)
                anotarCampo(Tipo::TextoCortado, campo, v, g.texto);
            return;
        }
        // Units and NCM codes repeat: each value once, and the ones that became the same.
        Cortes& cortes = campo == UNIDADE ? unidades_ : ncms_;
        auto chave = [&](const std::string& s) { return campo == UNIDADE ? ChaveDeBusca(s) : Aparar(s); };
        const std::string guardada = chave(g.texto);
        const std::string lida = g.cortado ? chave(v) : guardada;
        if (g.cortado) {
            t_.marcar(campo);
            auto [it, nova] = cortes.nota.try_emplace(lida, std::string::npos);
            if (nova) {
                if (anotarCampo(Tipo::TextoCortado, campo, v, g.texto, false))
                    it->second = r_.notas.size() - 1;
            } else if (it->second != std::string::npos) {
                ++r_.notas[it->second].linhas;
            }
        }
        std::vector<Cortes::Origem>& origens = cortes.origens[guardada];
        for (const Cortes::Origem& o : origens)
            if (o.chave == lida)
                return;
        if (!origens.empty()) {
            NotaLeitura n = nota(Tipo::ValoresIguais, campo);
            n.lido = v;
            n.gravado = g.texto;
            n.outro = origens.front().lido;
            n.outraLinha = origens.front().linha;
            anotar(std::move(n));
            t_.marcar(campo);
        }
        origens.push_back({lida, v, numero_});
    }

    bool anotarCampo(Tipo tipo, Campo campo, std::string lido, std::string gravado = {}, bool comLinha = true)
    {
        t_.marcar(campo);
        NotaLeitura n = nota(tipo, campo);
        n.lido = std::move(lido);
        n.gravado = std::move(gravado);
        if (comLinha)
            n.conteudo = conteudo();
        return anotar(std::move(n));
    }

    NotaLeitura nota(Tipo tipo, Campo campo = NumCampos) const
    {
        NotaLeitura n;
        n.tipo = tipo;
        n.linha = numero_;
        n.campo = campo;
        return n;
    }

    // False when the note was only counted.
    bool anotar(NotaLeitura n)
    {
        ++r_.porTipo[static_cast<std::size_t>(n.tipo)];
        if (r_.notas.size() >= ResultadoLeitura::MaxNotas) {
            ++r_.naoGuardadas;
            return false;
        }
        r_.notas.push_back(std::move(n));
        return true;
    }

    std::string conteudo() const { return conteudoDaLinha(linha_, utf8_); }

    StagingTable& t_;
    const bool utf8_;
    ResultadoLeitura r_;
    bool primeiraLida_ = false;
    std::string_view linha_;
    int numero_ = 0;
    Cortes unidades_, ncms_;
};

// Calls f(line, number) for each line of a text without NULs, as dividirLinhas splits it.
template <class F>
void paraCadaLinha(std::string_view texto, F f)
{
    std::size_t ini = 0;
    int numero = 0;
    while (ini < texto.size()) {
        const std::size_t fim = texto.find_first_of("\r\n", ini);
        if (fim == std::string_view::npos) {
            f(texto.substr(ini), ++numero);
            return;
        }
        f(texto.substr(ini, fim - ini), ++numero);
        ini = fim + 1;
        if (texto[fim] == '\r' && ini < texto.size() && texto[ini] == '\n')
            ++ini;
    }
}

} // namespace

std::vector<std::string> dividirLinhas(std::string_view texto)
{
    std::string semNul;
    if (texto.find('\0') != std::string_view::npos) {
        std::remove_copy(texto.begin(), texto.end(), std::back_inserter(semNul), '\0');
        texto = semNul;
    }
    std::vector<std::string> linhas;
    paraCadaLinha(texto, [&](std::string_view l, int) { linhas.emplace_back(l); });
    return linhas;
}

ResultadoLeitura preencherTabela(StagingTable& t, std::string_view bytes, const std::function<void()>& processarEventos)
{
    struct Lote {
        StagingTable& t;
        explicit Lote(StagingTable& tab) : t(tab) { t.beginBulk(); }
        ~Lote() { t.endBulk(); }
    } lote(t);

    const bool utf8 = EhUtf8(bytes);
    if (utf8 && bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    std::string semNul;
    if (bytes.find('\0') != std::string_view::npos) {
        semNul.reserve(bytes.size());
        std::remove_copy(bytes.begin(), bytes.end(), std::back_inserter(semNul), '\0');
        bytes = semNul;
    }

    using Relogio = std::chrono::steady_clock;
    constexpr auto Intervalo = std::chrono::milliseconds(30);
    auto ultimo = Relogio::now();

    Leitor leitor(t, utf8);
    paraCadaLinha(bytes, [&](std::string_view linha, int numero) {
        leitor.linha(linha, numero);
        // The clock is looked at only every 256 lines: per line it would cost about as
        // much as the line itself.
        if (processarEventos && (numero & 255) == 0) {
            const auto agora = Relogio::now();
            if (agora - ultimo >= Intervalo) {
                processarEventos();
                ultimo = Relogio::now();
            }
        }
    });
    ResultadoLeitura r = std::move(leitor.resultado());
    r.registros = t.recordCount();
    return r;
}

ResultadoLeitura carregarProdutos(StagingTable& t, const std::string& caminho,
                                  const std::function<void()>& processarEventos, std::string* textoDoArquivo)
{
    t.close();
    t.createDataSet();
    t.emptyDataSet();
    const std::string bytes = lerArquivo(caminho);
    if (textoDoArquivo) {
        *textoDoArquivo = ParaLatin1(bytes);
        std::erase(*textoDoArquivo, '\0');
    }
    return preencherTabela(t, bytes, processarEventos);
}

} // namespace norvo::staging
