#include "import/Etapa.h"

#include "db/Error.h"
#include "import/Textos.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace norvo {

namespace {

// While the batch's rows are told failed for what no row did (a refused commit, a server that
// never came back): no field is at fault. Cleared however the telling ends.
class ForaDasLinhas {
public:
    explicit ForaDasLinhas(bool& f) : f_(f) { f_ = true; }
    ~ForaDasLinhas() { f_ = false; }
    ForaDasLinhas(const ForaDasLinhas&) = delete;
    ForaDasLinhas& operator=(const ForaDasLinhas&) = delete;

private:
    bool& f_;
};

} // namespace

// The accounting of one stage's records: each record walked ends as a row written, a row
// failed (with its log entry) or one that needed no row; the records a stage never reached
// are counted when it ends early. A total that does not add up is a programming error.
class Contas {
public:
    explicit Contas(ResumoEtapa& r) : r_(r) {}
    void gravada() { ++r_.gravados, ++vistos_; }
    void falhou() { ++r_.falhas, ++vistos_; }
    void ignorada() { ++r_.ignorados, ++vistos_; }
    // A row counted written whose batch failed for good.
    void perdida() { --r_.gravados, ++r_.falhas; }
    // A row counted written whose batch was undone before any of it was tried for good: it
    // is left among those never attempted.
    void desfeita() { --r_.gravados, --vistos_; }

    // At the stage's end. Throws std::logic_error when the records do not add up.
    void encerrar()
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

private:
    ResumoEtapa& r_;
    long vistos_ = 0;
};

ResumoEtapa Etapa::executar()
{
    resumo_ = {};
    resumo_.nome = definicao_.nome;
    resumo_.titulo = textos::L1(definicao_.titulo);
    causas_ = {};
    Contas contas(resumo_);
    contas_ = &contas;
    // The blocks and their hook live as long as the walk, however it ends.
    struct SemBlocos {
        Etapa& e;
        ~SemBlocos()
        {
            e.ctx_.destino.antesDeConfirmar(nullptr);
            e.blocos_.reset();
        }
    } semBlocos{*this};
    const auto inicio = std::chrono::steady_clock::now();
    try {
        // A loss the stage before met outside its rows was not waited out: this stage waits.
        // One whose wait ran out is tried once more.
        if (ctx_.destino.banco().perdida() && !ctx_.destino.esperaEsgotada() && !ctx_.destino.rodadaPerdida()) {
            esperarOServidor();
            ++resumo_.reconexoes;
        }
        ctx_.destino.iniciarEtapa();
        ctx_.gauge.definir(percurso_.contar());
        resumo_.registros = ctx_.gauge.maximo();
        if (marcas_)
            marcas_->assign(static_cast<std::size_t>(resumo_.registros), false);
        percurso_.abrir();
        if (!declaracao_.statusAposRemover)
            ctx_.op.status(status());
        eventos();
        if (pararAgora()) {
            resumo_.iniciada = false; // stopped before its DELETE: its table is untouched
        } else {
            esvaziarEPercorrer();
            fecharLote();
            // Run after a stop too: it completes the rows already written (the register's
            // next code, the products' flags).
            comRetomada([this] { depois(); });
        }
    } catch (const std::exception& e) {
        const db::Causa causa = db::causaDe(e);
        if (causa.tipo == db::Causa::Tipo::BancoInutilizavel) {
            // Nothing more can be written: the batch is undone, and the run ends here.
            desfazerLote();
            resumo_.inutilizavel = causa.motivo;
        } else {
            // What the batch wrote before the failure is committed now, as the rows of a
            // per-row run would be; if even that fails, or a refused commit ended the stage
            // (its batch undone and untold), those rows are failures too. The record in hand,
            // never counted, stays among those not attempted.
            if (pendente_)
                pendente_->recusada = true;
            const ForaDasLinhas semCampo(foraDasLinhas_);
            try {
                ctx_.destino.fecharLote();
                ctx_.destino.perderLote(e);
            } catch (const std::exception& ef) {
                ctx_.destino.perderLote(ef);
            }
        }
        resumo_.falhou = true;
        resumo_.motivo = e.what();
        resumo_.mensagemMostrada = declaracao_.falha + resumo_.motivo;
        ctx_.op.mensagem(resumo_.mensagemMostrada);
    }
    contas.encerrar();
    contas_ = nullptr;
    resumo_.causas = causas_.causas();
    completarResumo(resumo_);
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

void Etapa::esvaziarEPercorrer()
{
    comRetomada([this] {
        redefinir(definicao_.remove());
        comando().execute();
        ctx_.destino.confirmarAgora();
    });
    if (declaracao_.statusAposRemover) {
        ctx_.op.status(status());
        eventos();
    }
    const InsercaoDeclarada* d = declaracao_.insercao;
    if (d) {
        redefinir(d->texto);
        d->vincularFixos(comando().params());
    }
    if (d && declaracao_.emBlocos && modo().rapido) {
        blocos_ = std::make_unique<EscritaEmBlocos>(ctx_.destino, comando(), *d);
        ctx_.destino.antesDeConfirmar([this] { blocos_->enviar(); });
    }
    percorrer();
}

void Etapa::percorrer()
{
    percurso_.primeiro();
    while (!percurso_.fim()) {
        if (pararAgora())
            return;
        linha_ = Linha::SemLinha;
        pendente_.reset();
        try {
            registro();
        } catch (const db::ConnectionLost& e) {
            // A rehearsal's one transaction is gone with the line: what it forecast so far
            // no longer stands, so it ends here rather than go on from nothing.
            if (ctx_.destino.rodadaPerdida())
                throw;
            if (!retomar(e))
                continue; // its write never reached the destination: the same record again
        } catch (const db::BancoInutilizavel& e) {
            encerrarPorInutilizavel(e);
        }
        switch (linha_) {
        case Linha::Gravada:
            contas_->gravada();
            if (!pendente_ || !pendente_->recusada)
                marcar(percurso_.posicao(), true);
            break;
        case Linha::Falhou:
            contas_->falhou();
            break;
        case Linha::SemLinha:
            contas_->ignorada();
            break;
        }
        // Counted: from here on it is one of the batch's rows, no longer the record in hand.
        pendente_.reset();
        perdasSeguidas_ = 0;
        avancar();
    }
}

bool Etapa::retomar(const db::ConnectionLost& perda)
{
    // Held for a block, the batch's rows are in doubt like the others and settled one by one.
    if (blocos_)
        blocos_->descartar();
    Pendentes lote = ctx_.destino.tomarLote();
    std::shared_ptr<LinhaPendente> atual;
    if (!lote.empty() && lote.back() == pendente_) {
        atual = lote.back();
        lote.pop_back();
    }
    // Refused on their own already (in a block sent at their turn): counted and logged.
    std::erase_if(lote, [](const auto& l) { return l->recusada; });
    for (bool primeira = true;; primeira = false) {
        esquecer();
        try {
            // A record whose every attempt loses the line, or a stop asked meanwhile, ends
            // the wait as a server that never came back would.
            if (++perdasSeguidas_ > MaisPerdasSeguidas || pararAgora())
                throw perda;
            esperarOServidor();
        } catch (const db::BancoInutilizavel& e) {
            ctx_.destino.devolverLote(std::move(lote)); // undone with the rest, once
            encerrarPorInutilizavel(e);
        } catch (const std::exception& e) {
            // The server did not come back: the rows still in doubt are told failed, and the
            // stage guard ends the stage. Those found on disk stay written.
            {
                const ForaDasLinhas semCampo(foraDasLinhas_);
                for (const auto& l : lote)
                    if (!l->encontrada)
                        l->perda(e);
            }
            if (atual && atual->escrita && !atual->recusada) {
                recusar(citacao(), entradaDoLog(), Recusa::de(perda));
                contas_->falhou();
            }
            throw;
        }
        if (primeira)
            ++resumo_.reconexoes;
        try {
            for (auto l = lote.begin(); l != lote.end();) {
                LinhaPendente& p = **l;
                try {
                    if (!p.encontrada)
                        p.encontrada = ctx_.destino.existe(p) && !chaveDeOutroRegistro(p);
                    if (!p.encontrada)
                        ctx_.destino.regravar(p);
                    ++l;
                } catch (const db::ConnectionLost&) {
                    throw;
                } catch (const db::BancoInutilizavel&) {
                    throw;
                } catch (const std::exception& e) {
                    p.perda(e); // its own failure, logged once
                    l = lote.erase(l);
                }
            }
            ctx_.destino.confirmarAgora();
        } catch (const db::ConnectionLost&) {
            continue; // lost again: found by their keys, nothing is written twice
        } catch (const db::BancoInutilizavel& e) {
            ctx_.destino.devolverLote(std::move(lote));
            encerrarPorInutilizavel(e);
        } catch (const std::exception&) {
            ctx_.destino.devolverLote(std::move(lote)); // the stage guard settles them
            throw;
        }
        if (atual && atual->recusada) {
            linha_ = Linha::Gravada; // its failure was counted when its block was refused
            return true;
        }
        // Its write failed on its own before the line went (a code whose commit came after).
        if (!atual && linha_ == Linha::Falhou)
            return true;
        try {
            if (atual && atual->escrita && ctx_.destino.existe(*atual) && !chaveDeOutroRegistro(*atual)) {
                linha_ = Linha::Gravada;
                return true;
            }
        } catch (const db::ConnectionLost&) {
        } catch (const db::BancoInutilizavel& e) {
            encerrarPorInutilizavel(e);
        } catch (const std::exception&) {
            // A key the server cannot compare: the record is walked again and fails as it will.
        }
        return false;
    }
}

void Etapa::esperarOServidor()
{
    ctx_.destino.reconectarEsperando(
        [this](int n) {
            ctx_.op.status(textos::AguardandoServidor + std::to_string(n) + ")");
            eventos();
        },
        [this] {
            eventos();
            return !pararAgora();
        });
    ctx_.op.status(status());
}

std::string Etapa::status() const
{
    return declaracao_.statusComTotal ? declaracao_.status + "(" + std::to_string(ctx_.registros.recordCount()) + ")"
                                      : declaracao_.status;
}

void Etapa::comRetomada(const std::function<void()>& passo)
{
    for (;;) {
        try {
            passo();
            perdasSeguidas_ = 0;
            return;
        } catch (const db::ConnectionLost&) {
            if (ctx_.destino.rodadaPerdida() || ++perdasSeguidas_ > MaisPerdasSeguidas || pararAgora())
                throw;
            esquecer();
            esperarOServidor(); // throws when the server did not come back
            ++resumo_.reconexoes;
        }
    }
}

void Etapa::encerrarPorInutilizavel(const db::BancoInutilizavel& e)
{
    if (pendente_ && pendente_->recusada) {
        contas_->gravada(); // its failure was counted when its block was refused
    } else {
        if (linha_ != Linha::Falhou)
            recusar(citacao(), entradaDoLog(), Recusa::de(e));
        contas_->falhou();
    }
    if (pendente_)
        pendente_->escrita = false; // not the batch's: it is this record's failure
    desfazerLote();
    throw;
}

void Etapa::desfazerLote()
{
    if (blocos_)
        blocos_->descartar();
    for (const auto& l : ctx_.destino.tomarLote()) {
        // The record in hand is counted by its caller; a row refused on its own is counted as
        // failed; a row found on disk after a lost line stays written.
        if (l == pendente_ || !contas_ || l->recusada || l->encontrada)
            continue;
        contas_->desfeita();
        marcar(l->posicao, false);
    }
    try {
        ctx_.destino.desfazerPasso();
    } catch (const std::exception&) {
        // The transaction the failure left behind may refuse even that: the server undoes it.
    }
}

void Etapa::fecharLote()
{
    try {
        ctx_.destino.fecharLote();
    } catch (const db::ConnectionLost& e) {
        if (ctx_.destino.rodadaPerdida())
            throw;
        pendente_.reset(); // every row of the batch is an earlier record's
        retomar(e);
    }
}

void Etapa::marcar(int posicao, bool gravada)
{
    if (marcas_ && posicao >= 0 && static_cast<std::size_t>(posicao) < marcas_->size())
        (*marcas_)[static_cast<std::size_t>(posicao)] = gravada;
}

void Etapa::avancar()
{
    if (!declaracao_.gaugePorEscrita)
        gaugeAvancar();
    percurso_.proximo();
    eventos();
}

bool Etapa::guardaLinha(const std::function<void()>& escrever)
{
    // Entered before the write, so that a commit inside it that closes the batch takes
    // this row along; on a failure it comes off again.
    pendente_ = std::make_shared<LinhaPendente>();
    pendente_->perda = [this, registro = citacao(), entrada = entradaDoLog(),
                        linha = std::weak_ptr<LinhaPendente>(pendente_)](const std::exception& e) {
        // Told once, even before its own record is counted (a block sent at its turn).
        if (const auto l = linha.lock()) {
            if (l->recusada)
                return;
            l->recusada = true;
        }
        contas_->perdida();
        marcar(registro.posicao, false);
        desfeita(registro.posicao);
        recusar(registro, entrada, Recusa::de(e));
    };
    pendente_->posicao = percurso_.posicao();
    ctx_.destino.linhaNoLote(pendente_);
    const Confirmacao confirmacao = declaracao_.confirmacao;
    bool escrita = true;
    try {
        escrever();
        linha_ = Linha::Gravada;
    } catch (const db::ConnectionLost&) {
        throw; // in doubt: the walk settles it
    } catch (const db::BancoInutilizavel&) {
        throw; // no row's failure: the walk ends the stage
    } catch (const std::exception& e) {
        ctx_.destino.linhaForaDoLote();
        // The rows held for a block come first, so the log keeps the records' order.
        if (blocos_)
            blocos_->enviar();
        linha_ = Linha::Falhou;
        recusar(citacao(), entradaDoLog(), Recusa::de(e));
        escrita = false;
    }
    if (escrita && confirmacao != Confirmacao::AposTentativa && pendente_->escrita) {
        try {
            ctx_.destino.aposLinha(confirmacao == Confirmacao::Completa);
        } catch (const db::ConnectionLost&) {
            throw;
        } catch (const db::BancoInutilizavel&) {
            throw;
        } catch (const std::exception& e) {
            // Refused and undone (BancoDestino::confirmar): the batch's rows, this one among
            // them, are failures, each logged with the server's reason.
            const ForaDasLinhas semCampo(foraDasLinhas_);
            ctx_.destino.perderLote(e);
            escrita = false;
        }
    }
    if (declaracao_.gaugePorEscrita)
        gaugeAvancar();
    // A lost line here costs this record alone (the walk's rule); a refusal ends the stage.
    if (confirmacao == Confirmacao::AposTentativa)
        ctx_.destino.aposLinha(false);
    return escrita;
}

void Etapa::inserir()
{
    escrever(comando().params());
}

void Etapa::inserir(const std::vector<db::Param>& valores)
{
    if (modo().rapido) {
        std::vector<db::Param>& params = comando().params();
        for (std::size_t i = 0; i < valores.size() && i < params.size(); ++i)
            params[i].copiarValor(valores[i]);
        escrever(params);
    } else {
        if (!declaracao_.insercao || !declaracao_.insercao->textoDaLinha)
            throw std::logic_error(std::string(definicao_.nome) + ": a row given as values needs its own statement");
        redefinir(declaracao_.insercao->textoDaLinha(valores));
        escrever(valores);
    }
}

void Etapa::escrever(const std::vector<db::Param>& valores)
{
    // A row held for a block is read, and told failed, through the run's record of it.
    if (blocos_ && (!pendente_ || pendente_->escrita))
        throw std::logic_error(std::string(definicao_.nome) + ": one row a record, written inside guardaLinha");
    if (pendente_) {
        const std::vector<std::string>& texto = comando().sql();
        // Kept once for the rows that share it: a declared insert is the same every row.
        if (!textoDoComando_ || *textoDoComando_ != texto)
            textoDoComando_ = std::make_shared<const std::vector<std::string>>(texto);
        pendente_->texto = textoDoComando_;
        pendente_->valores = valores;
        pendente_->insercao = declaracao_.insercao;
        pendente_->escrita = true;
    }
    if (blocos_)
        blocos_->acrescentar({}, pendente_); // told failed through its record (perda)
    else
        comando().execute();
}

int Etapa::campoEmFalta(const Recusa& r) const
{
    if (r.campo >= 0)
        return r.campo;
    const InsercaoDeclarada* d = declaracao_.insercao;
    const int campo = d && r.causa.tipo == db::Causa::Tipo::TextoLongo ? d->campoNaPosicao(r.causa.parametro) : -1;
    return campo >= 0 ? campo : declaracao_.campoPadrao;
}

void Etapa::falharSemEscrita(const std::string& mensagem, int campo)
{
    linha_ = Linha::Falhou;
    CausaDeFalha::Registro citado = citacao();
    const Recusa r{mensagem, {}};
    entradaDoLog()(r);
    citado.campo = campo;
    causas_.contar(citado, r);
}

void Etapa::recusar(const CausaDeFalha::Registro& registro, const std::function<void(const Recusa&)>& entrada,
                    const Recusa& r)
{
    entrada(r);
    CausaDeFalha::Registro citado = registro;
    // A row a lost connection or a refused commit took is no field's fault.
    if (!foraDasLinhas_ && r.causa.tipo != db::Causa::Tipo::ConexaoPerdida)
        citado.campo = campoEmFalta(r);
    causas_.contar(citado, r);
}

} // namespace norvo
