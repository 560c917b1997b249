#include "import/Etapa.h"

#include "db/Error.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace norvo {

void Gauge::definir(int maximo)
{
    maximo_ = maximo;
    progresso_ = 0;
    op_.gauge(0, maximo_, progresso_);
}

void Gauge::avancar()
{
    if (progresso_ < maximo_)
        ++progresso_;
    op_.gauge(0, maximo_, progresso_);
}

void Gauge::zerar()
{
    progresso_ = 0;
    op_.gauge(0, maximo_, progresso_);
}

Falha Falha::de(const std::exception& e)
{
    Falha f{e.what(), {}, 0};
    if (const auto* s = dynamic_cast<const db::ServerError*>(&e))
        f.codigos = s->codes();
    else if (const auto* t = dynamic_cast<const db::TextoLongo*>(&e))
        f.capacidadeExcedida = t->capacidade();
    return f;
}

bool Falha::tem(long codigo) const
{
    return std::find(codigos.begin(), codigos.end(), codigo) != codigos.end();
}

void Contas::encerrar()
{
    if (r_.gravados + r_.falhas + r_.ignorados != vistos_ || r_.gravados < 0)
        throw std::logic_error(r_.nome + ": records counted twice or not at all");
    // A stage that ran to its end walked what there was: a source may change between its
    // count and its walk.
    if (!r_.falhou && !r_.interrompida)
        r_.registros = vistos_;
    else
        r_.registros = std::max(r_.registros, vistos_);
    r_.naoTentados = r_.registros - vistos_;
}

ResumoEtapa Etapa::executar()
{
    resumo_ = {};
    resumo_.nome = textos_.nome;
    Contas contas(resumo_);
    ctx_.destino.iniciarEtapa();
    lote_.clear();
    const auto inicio = std::chrono::steady_clock::now();
    try {
        // A loss the stage before could not come back from is this stage's to try again.
        if (ctx_.destino.banco().perdida())
            ctx_.destino.reconectar();
        ctx_.gauge.definir(contar());
        resumo_.registros = ctx_.gauge.maximo();
        abrirOrigem();
        if (!statusAposRemover())
            ctx_.op.status(textoStatus());
        eventos();
        if (pararAgora()) {
            resumo_.iniciada = false; // stopped before its DELETE: its table is untouched
        } else {
            esvaziarEPercorrer(contas);
            fecharLote();
            // Run after a stop too: it completes the rows already written (the register's
            // next code, the products' flags).
            depois();
        }
    } catch (const std::exception& e) {
        // What the batch wrote before the failure is committed now, as the rows of a
        // per-row run would be; if even that fails, those rows are failures too.
        try {
            fecharLote();
        } catch (const std::exception& ef) {
            perderLote(contas, Falha::de(ef));
        }
        resumo_.falhou = true;
        resumo_.motivo = e.what();
        resumo_.falha = textos_.falha + resumo_.motivo;
        ctx_.op.mensagem(resumo_.falha);
    }
    contas.encerrar();
    resumirCausas();
    resumo_.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    return resumo_;
}

bool Etapa::pararAgora()
{
    const int parada = ctx_.op.paradaPedida();
    if (parada == 0)
        return false;
    resumo_.interrompida = true;
    ctx_.parada = parada;
    return true;
}

void Etapa::esvaziarEPercorrer(Contas& contas)
{
    redefinir(textos_.remove);
    comando().execute();
    ctx_.destino.confirmarAgora();
    if (statusAposRemover()) {
        ctx_.op.status(textoStatus());
        eventos();
    }
    prepararInsercao();
    percorrer(contas);
}

void Etapa::percorrer(Contas& contas)
{
    primeiro();
    while (!fim()) {
        if (pararAgora())
            return;
        linha_ = Linha::SemLinha;
        bool perdida = false;
        try {
            registro();
        } catch (const db::ConnectionLost& e) {
            // A rehearsal's one transaction is gone with the line: what it forecast so far
            // no longer stands, so it ends here rather than go on from nothing.
            if (modo().simular)
                throw;
            // The record that met the loss is this stage's row failure, whether its write,
            // its commit or a lookup for it met it; an uncommitted write is gone with the
            // line, and so are the rows of an uncommitted batch.
            const Falha falha = Falha::de(e);
            if (linha_ == Linha::Gravada && rastrearLote() && !lote_.empty())
                lote_.pop_back(); // this record's own entry, logged below
            perderLote(contas, falha);
            if (linha_ != Linha::Falhou)
                falhou(citacao(), falhaDoRegistro(), falha);
            linha_ = Linha::Falhou;
            esquecer();
            perdida = true;
        }
        switch (linha_) {
        case Linha::Gravada:
            contas.gravada();
            break;
        case Linha::Falhou:
            contas.falhou();
            break;
        case Linha::SemLinha:
            contas.ignorada();
            break;
        }
        if (perdida) {
            ctx_.destino.reconectar(); // when the server cannot be reached, the stage guard ends the stage
            ++resumo_.reconexoes;
        }
        avancar();
    }
}

void Etapa::avancar()
{
    gaugeAvancar();
    proximo();
    eventos();
}

bool Etapa::guardaLinha(const std::function<void()>& escrever)
{
    // Entered before the write, so that a commit inside it that closes the batch takes
    // this row along; on a failure it is the last entry and comes off again.
    const bool rastrear = rastrearLote();
    if (rastrear)
        lote_.push_back({citacao(), falhaDoRegistro()});
    auto retirar = [&] {
        if (rastrear && !lote_.empty())
            lote_.pop_back();
    };
    try {
        escrever();
        linha_ = Linha::Gravada;
        return true;
    } catch (const db::ConnectionLost&) {
        retirar();
        throw;
    } catch (const std::exception& e) {
        retirar();
        linha_ = Linha::Falhou;
        falhou(citacao(), falhaDoRegistro(), Falha::de(e));
        return false;
    }
}

void Etapa::redefinir(const std::string& texto)
{
    ctx_.destino.redefinirComando(texto);
}

void Etapa::depoisDaLinha(bool total)
{
    if (ctx_.destino.aposLinha(total))
        lote_.clear();
}

void Etapa::fecharLote()
{
    if (ctx_.destino.fecharLote())
        lote_.clear();
}

void Etapa::commitAgora()
{
    fecharLote();
    ctx_.destino.confirmarAgora();
}

void Etapa::perderLote(Contas& contas, const Falha& falha)
{
    for (const Pendente& p : lote_) {
        contas.perdida();
        falhou(p.registro, p.registrar, falha);
    }
    lote_.clear();
    ctx_.destino.perderLote();
}

namespace {

// A failure's cause as the summary groups it: the server's first code and the message's first
// line, with quoted texts and numbers, which differ from record to record, left out.
std::string causaDe(const Falha& f)
{
    const std::string linha = f.mensagem.substr(0, f.mensagem.find_first_of("\r\n"));
    std::string r = f.codigos.empty() ? std::string() : "[" + std::to_string(f.codigos.front()) + "] ";
    for (std::size_t i = 0; i < linha.size(); ++i) {
        const char c = linha[i];
        if (c == '\'') {
            const std::size_t fim = linha.find('\'', i + 1);
            r += "'...'";
            if (fim == std::string::npos)
                break;
            i = fim;
        } else if (c >= '0' && c <= '9') {
            r += '#';
            while (i + 1 < linha.size() && linha[i + 1] >= '0' && linha[i + 1] <= '9')
                ++i;
        } else {
            r += c;
        }
    }
    return r;
}

// Most frequent first (then in text order, so that the summary is the same every time),
// ten at most.
template <class T, class Vezes>
void maisFrequentes(std::vector<T>& v, Vezes vezes)
{
    std::sort(v.begin(), v.end(),
              [&](const T& a, const T& b) { return vezes(a) != vezes(b) ? vezes(a) > vezes(b) : a < b; });
    if (v.size() > 10)
        v.resize(10);
}

} // namespace

void Etapa::falhou(const RegistroCitado& registro, const std::function<void(const Falha&)>& registrar, const Falha& f)
{
    registrar(f);
    const std::string causa = causaDe(f);
    CausaDeFalha& c = causas_[causa];
    c.causa = causa;
    ++c.vezes;
    if (c.registros.size() < 5)
        c.registros.push_back(registro);
}

void Etapa::resumirCausas()
{
    for (const auto& [causa, c] : causas_)
        resumo_.causas.push_back(c);
    maisFrequentes(resumo_.causas, [](const CausaDeFalha& c) { return c.vezes; });
    for (const auto& [nome, vezes] : semCidade_) {
        resumo_.cidadesNaoEncontradas.emplace_back(nome, vezes);
        resumo_.semCidade += vezes;
    }
    maisFrequentes(resumo_.cidadesNaoEncontradas, [](const std::pair<std::string, long>& c) { return c.second; });
}

void EtapaDoEstagio::primeiro()
{
    mostrarPrimeiro(); // settles a pending record and shows the first one
    linha_ = 0;
    total_ = estagio().recordCount();
}

void EtapaDoEstagio::proximo()
{
    if (++linha_ < total_)
        mostrar(linha_); // the grid follows the walk
}

void EtapaDaOrigem::esquecer()
{
    if (cidades_)
        cidades_->esquecer();
}

int EtapaDaOrigem::codigoCidade(const std::string& nome)
{
    // A failure other than a lost connection goes to the text-built lookup, which logs it
    // with its own entry and answers 0.
    const int codigo = buscarCodigo(cidades_, "CIDADE", "CID_NOME", "CID_CODIGO", ChaveDeBusca(nome),
                                    [&] { return BuscaCodigoCidade(ctx(), nome); });
    if (codigo == 0)
        cidadeNaoEncontrada(texto::Aparar(nome));
    return codigo;
}

int Etapa::buscarCodigo(std::unique_ptr<BuscaPreparada>& busca, const char* tabela, const char* coluna,
                        const char* codigo, const std::string& valor, const std::function<int()>& textual)
{
    if (!modo().rapido)
        return textual();
    if (!busca)
        busca = std::make_unique<BuscaPreparada>(ctx_.destino, tabela, coluna, codigo);
    return busca->codigo(valor, textual);
}

int EtapaDaOrigem::contar()
{
    db::Query& q = origem();
    q.close();
    q.clearSQL();
    for (const std::string& linha : textoContagem())
        q.addLine(linha);
    q.open();
    return q.fieldByName("QTD").asInteger();
}

void EtapaDaOrigem::abrirOrigem()
{
    db::Query& q = origem();
    q.close();
    q.clearSQL();
    for (const std::string& linha : textoLinhas())
        q.addLine(linha);
    q.open();
}

void EtapaDaOrigem::avancar()
{
    gaugeAvancar();
    eventos();
    proximo();
}

} // namespace norvo
