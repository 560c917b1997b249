#include "staging/LeitorCSV.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <unordered_map>

#include "plataforma/Arquivos.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

namespace norvo::staging {

using texto::ChaveDeBusca;
using texto::EhUtf8;
using texto::ParaLatin1;
using texto::Utf8ParaLatin1;

using texto::Aparar;
using texto::EhBranco;

namespace {

// A product file opened for reading: only a regular file, never waited on.
class Entrada {
public:
    explicit Entrada(const std::string& caminho) : completo_(caminho), arquivo_(caminho)
    {
        try {
            completo_ = plataforma::emUtf8(std::filesystem::absolute(plataforma::caminho(caminho)));
        } catch (const std::exception&) {}
        if (arquivo_.erro())
            throw falhaDoSistema(arquivo_.erro());
        if (!arquivo_.comum())
            throw falha("N\xE3o \xE9 um arquivo comum"); // Latin-1: "Não é"
        if (arquivo_.tamanho() > CapacidadeTexto)
            throw excesso();
    }

    std::size_t tamanho() const { return static_cast<std::size_t>(arquivo_.tamanho()); } // when opened
    // Up to n bytes from `onde`; 0 at the end.
    std::size_t ler(char* p, std::size_t n, std::uint64_t onde) const
    {
        const long long r = arquivo_.ler(p, n, onde);
        if (r < 0)
            throw falhaDoSistema(errno);
        return static_cast<std::size_t>(r);
    }
    static Error excesso() { return Error("Text exceeds memo capacity"); }

private:
    // The message is Latin-1 text for the operator; the path comes as the file system's bytes.
    Error falha(const std::string& motivo) const
    {
        return Error("Cannot open file \"" + texto::CaminhoEmTexto(completo_) + "\". " + motivo);
    }
    Error falhaDoSistema(int erro) const { return falha(std::strerror(erro)); }

    std::string completo_;
    plataforma::ArquivoDeLeitura arquivo_;
};

} // namespace

std::string lerArquivo(const std::string& caminho)
{
    const Entrada e(caminho);
    std::string bytes;
    bytes.reserve(e.tamanho());
    char bloco[1 << 16];
    for (;;) {
        const std::size_t n = e.ler(bloco, sizeof bloco, bytes.size());
        if (n == 0)
            break;
        // The file may grow while it is read.
        if (bytes.size() + n > CapacidadeTexto)
            throw Entrada::excesso();
        bytes.append(bloco, n);
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

    // Once every line is read: each code held by more than one line is one note naming all
    // of them, its cells marked. The destination holds codes as integers: "01" is "1".
    void codigosRepetidos()
    {
        std::vector<std::pair<std::int32_t, int>> codigos; // code, record
        codigos.reserve(static_cast<std::size_t>(t_.recordCount()));
        for (int r = 0; r < t_.recordCount(); ++r)
            if (!t_.cellNull(r, COD_PRODUTO))
                codigos.emplace_back(t_.cellInteger(r, COD_PRODUTO), r);
        std::stable_sort(codigos.begin(), codigos.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<NotaLeitura> notas;
        for (std::size_t i = 0, j; i < codigos.size(); i = j) {
            for (j = i + 1; j < codigos.size() && codigos[j].first == codigos[i].first;)
                ++j;
            if (j - i < 2)
                continue;
            NotaLeitura n;
            n.tipo = Tipo::CodigoRepetido;
            n.campo = COD_PRODUTO;
            n.linha = t_.cellLinha(codigos[i].second);
            n.lido = t_.cellText(codigos[i].second, COD_PRODUTO);
            for (std::size_t k = i; k < j; ++k) {
                t_.marcarCelula(codigos[k].second, COD_PRODUTO);
                if (k > i)
                    n.outras.push_back(t_.cellLinha(codigos[k].second));
            }
            notas.push_back(std::move(n));
        }
        // In the order of their first lines, as the other notes go.
        std::sort(notas.begin(), notas.end(), [](const auto& a, const auto& b) { return a.linha < b.linha; });
        for (NotaLeitura& n : notas)
            anotar(std::move(n));
    }

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
        inteiro(COD_PRODUTO, c.codigo, c.codigoLido);
        texto(DESCRICAO, c.descricao);
        texto(UNIDADE, c.unidade);
        t_.setFieldText(ICMS, c.icms);
        inteiro(PIS, c.pis, c.pis);
        inteiro(COFINS, c.cofins, c.cofins);
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

    // An integer field: one that is no integer (a 13-digit barcode as the code) stays empty,
    // marked and told, and the reading goes on, so that every such line shows at once and
    // can be mended in the grid.
    void inteiro(Campo campo, const std::string& v, const std::string& lido)
    {
        try {
            t_.setFieldText(campo, v);
        } catch (const Error&) {
            anotarCampo(Tipo::NaoEhInteiro, campo, lido);
            t_.setFieldText(campo, "");
        }
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

// Calls f(line, number) for each line of a text without NULs, as dividirLinhas splits it,
// numbering on from `numero`.
template <class F>
void paraCadaLinha(std::string_view texto, int& numero, F&& f)
{
    std::size_t ini = 0;
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

// How much of a text whose continuation is still to come splits as it would whole: up to
// its last line break, unless that is a CR at the very end, whose LF may be next.
std::size_t linhasCompletas(std::string_view texto)
{
    auto quebra = [&](std::size_t fim) { return texto[fim - 1] == '\n' || texto[fim - 1] == '\r'; };
    std::size_t fim = texto.size();
    while (fim > 0 && !quebra(fim))
        --fim;
    if (fim == texto.size() && fim > 0 && texto[fim - 1] == '\r')
        for (--fim; fim > 0 && !quebra(fim);)
            --fim;
    return fim;
}

// processarEventos every Intervalo at most.
class Eventos {
public:
    explicit Eventos(const std::function<void()>& f) : f_(f), ultimo_(Relogio::now()) {}
    void talvez()
    {
        if (!f_)
            return;
        const auto agora = Relogio::now();
        if (agora - ultimo_ >= Intervalo) {
            f_();
            ultimo_ = Relogio::now();
        }
    }

private:
    using Relogio = std::chrono::steady_clock;
    static constexpr auto Intervalo = std::chrono::milliseconds(30);
    const std::function<void()>& f_;
    Relogio::time_point ultimo_;
};

// A table being filled line by line: in bulk, the window's events now and then.
class Preenchimento {
public:
    Preenchimento(StagingTable& t, bool utf8, Eventos& eventos) : lote_(t), leitor_(t, utf8), eventos_(eventos) {}
    Preenchimento(const Preenchimento&) = delete;
    Preenchimento& operator=(const Preenchimento&) = delete;

    void operator()(std::string_view linha, int numero)
    {
        leitor_.linha(linha, numero);
        // The clock is looked at only every 256 lines: per line it would cost about as
        // much as the line itself.
        if ((numero & 255) == 0)
            eventos_.talvez();
    }

    ResultadoLeitura resultado()
    {
        leitor_.codigosRepetidos();
        ResultadoLeitura r = std::move(leitor_.resultado());
        r.registros = lote_.t.recordCount();
        return r;
    }

private:
    struct Lote {
        StagingTable& t;
        explicit Lote(StagingTable& tab) : t(tab) { t.beginBulk(); }
        ~Lote() { t.endBulk(); }
    } lote_;
    Leitor leitor_;
    Eventos& eventos_;
};

// What a whole first pass over the file decides: its size (the second pass reads no more,
// so both take the same bytes), and EhUtf8 worked out piece by piece.
struct Varredura {
    std::uint64_t tamanho = 0;
    bool bom = false;
    bool utf8 = false;
};

Varredura varrer(const Entrada& e, std::size_t pedaco, Eventos& eventos)
{
    std::vector<char> buf(pedaco);
    texto::VerificacaoUtf8 utf8;
    Varredura v;
    for (;;) {
        const std::size_t n = e.ler(buf.data(), pedaco, v.tamanho);
        if (n == 0)
            break;
        // The file may grow while it is read.
        if (v.tamanho + n > CapacidadeTexto)
            throw Entrada::excesso();
        v.tamanho += n;
        utf8.acrescentar(std::string_view(buf.data(), n));
        eventos.talvez();
    }
    v.bom = utf8.bom();
    v.utf8 = utf8.ehUtf8();
    return v;
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
    int numero = 0;
    paraCadaLinha(texto, numero, [&](std::string_view l, int) { linhas.emplace_back(l); });
    return linhas;
}

ResultadoLeitura preencherTabela(StagingTable& t, std::string_view bytes, const std::function<void()>& processarEventos)
{
    const bool utf8 = EhUtf8(bytes);
    if (utf8 && bytes.starts_with(texto::BomUtf8))
        bytes.remove_prefix(3);
    std::string semNul;
    if (bytes.find('\0') != std::string_view::npos) {
        semNul.reserve(bytes.size());
        std::remove_copy(bytes.begin(), bytes.end(), std::back_inserter(semNul), '\0');
        bytes = semNul;
    }
    Eventos eventos(processarEventos);
    Preenchimento p(t, utf8, eventos);
    int numero = 0;
    paraCadaLinha(bytes, numero, p);
    return p.resultado();
}

ResultadoLeitura preencherDoArquivo(StagingTable& t, const std::string& caminho,
                                    const std::function<void()>& processarEventos, std::size_t pedaco)
{
    pedaco = std::max<std::size_t>(pedaco, 1);
    const Entrada e(caminho);
    Eventos eventos(processarEventos);
    const Varredura v = varrer(e, pedaco, eventos);

    Preenchimento p(t, v.utf8, eventos);
    // The lines not yet read are buf[ini, cheio): the start of one the last piece cut.
    std::vector<char> buf(pedaco);
    std::size_t ini = 0, cheio = 0;
    std::size_t pular = v.bom ? texto::BomUtf8.size() : 0;
    int numero = 0;
    for (std::uint64_t lidos = 0; lidos < v.tamanho;) {
        if (buf.size() - cheio < pedaco) {
            std::memmove(buf.data(), buf.data() + ini, cheio - ini);
            cheio -= ini;
            ini = 0;
            if (buf.size() - cheio < pedaco) // a line longer than the buffer
                buf.resize(std::max(2 * buf.size(), cheio + pedaco));
        }
        char* novo = buf.data() + cheio;
        std::size_t n =
            e.ler(novo, static_cast<std::size_t>(std::min<std::uint64_t>(pedaco, v.tamanho - lidos)), lidos);
        if (n == 0)
            break; // the file got shorter
        lidos += n;
        if (pular > 0) {
            const std::size_t k = std::min(pular, n);
            std::memmove(novo, novo + k, n - k);
            n -= k;
            pular -= k;
        }
        if (std::memchr(novo, '\0', n))
            n = static_cast<std::size_t>(std::remove(novo, novo + n, '\0') - novo);
        cheio += n;
        const std::string_view resto(buf.data() + ini, cheio - ini);
        const std::size_t completas = linhasCompletas(resto);
        paraCadaLinha(resto.substr(0, completas), numero, p);
        ini += completas;
    }
    paraCadaLinha(std::string_view(buf.data() + ini, cheio - ini), numero, p);
    return p.resultado();
}

ResultadoLeitura carregarProdutos(StagingTable& t, const std::string& caminho,
                                  const std::function<void()>& processarEventos, std::string* textoDoArquivo)
{
    t.close();
    t.createDataSet();
    t.emptyDataSet();
    if (!textoDoArquivo)
        return preencherDoArquivo(t, caminho, processarEventos);
    std::string bytes = lerArquivo(caminho);
    // A Latin-1 file without NULs is its own text: one copy serves the window and the reading.
    if (bytes.find('\0') == std::string::npos && !EhUtf8(bytes)) {
        *textoDoArquivo = std::move(bytes);
        return preencherTabela(t, *textoDoArquivo, processarEventos);
    }
    *textoDoArquivo = ParaLatin1(bytes);
    std::erase(*textoDoArquivo, '\0');
    return preencherTabela(t, bytes, processarEventos);
}

} // namespace norvo::staging
