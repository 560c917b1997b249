#include "import/Etapa.h"

#include "db/Error.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace norvo {

// The accounting of one stage's records: each record walked ends as a row written, a row
// failed (with its log entry) or one that needed no row; the records a stage never reached
// are counted when it ends early. A total that does not add up is a programming error.
class Contas {
public:
    explicit Contas(ResumoEtapa& r) : r_(r) {}
    void gravada() { ++r_.gravados, ++vistos_; }
    void falhou() { ++r_.falhas, ++vistos_; }
    void ignorada() { ++r_.ignorados, ++vistos_; }
    // A row counted written whose batch a lost connection took with it.
    void perdida() { --r_.gravados, ++r_.falhas; }

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
        ctx_.destino.iniciarEtapa();
        ctx_.gauge.definir(contar());
        resumo_.registros = ctx_.gauge.maximo();
        abrirOrigem();
        if (!statusAposRemover())
            ctx_.op.status(textoStatus());
        eventos();
        if (pararAgora()) {
            resumo_.iniciada = false; // stopped before its DELETE: its table is untouched
        } else {
            esvaziarEPercorrer();
            ctx_.destino.fecharLote();
            // Run after a stop too: it completes the rows already written (the register's
            // next code, the products' flags).
            depois();
        }
    } catch (const std::exception& e) {
        // What the batch wrote before the failure is committed now, as the rows of a
        // per-row run would be; if even that fails, those rows are failures too.
        try {
            ctx_.destino.fecharLote();
        } catch (const std::exception& ef) {
            ctx_.destino.perderLote(ef);
        }
        resumo_.falhou = true;
        resumo_.motivo = e.what();
        resumo_.mensagemMostrada = textos_.falha + resumo_.motivo;
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
    redefinir(definicao_.remove());
    comando().execute();
    ctx_.destino.confirmarAgora();
    if (statusAposRemover()) {
        ctx_.op.status(textoStatus());
        eventos();
    }
    prepararInsercao();
    if (escreveEmBlocos() && modo().rapido) {
        blocos_ = std::make_unique<EscritaEmBlocos>(ctx_.destino, comando(), definicao_.tabela);
        ctx_.destino.antesDeConfirmar([this] { blocos_->enviar(); });
    }
    percorrer();
}

void Etapa::percorrer()
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
            if (ctx_.destino.rodadaPerdida())
                throw;
            // The record that met the loss is this stage's row failure, whether its write,
            // its commit or a lookup for it met it; an uncommitted write is gone with the
            // line, and so are the rows of an uncommitted batch.
            if (linha_ == Linha::Gravada)
                ctx_.destino.linhaForaDoLote(); // this record's own entry, logged below
            ctx_.destino.perderLote(e);
            if (linha_ != Linha::Falhou)
                recusar(citacao(), entradaDoLog(), Recusa::de(e));
            linha_ = Linha::Falhou;
            esquecer();
            perdida = true;
        }
        switch (linha_) {
        case Linha::Gravada:
            contas_->gravada();
            break;
        case Linha::Falhou:
            contas_->falhou();
            break;
        case Linha::SemLinha:
            contas_->ignorada();
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
    // this row along; on a failure it comes off again.
    linhaEmCurso_ = [this, registro = citacao(), entrada = entradaDoLog()](const std::exception& e) {
        contas_->perdida();
        recusar(registro, entrada, Recusa::de(e));
    };
    ctx_.destino.linhaNoLote(linhaEmCurso_);
    try {
        escrever();
        linha_ = Linha::Gravada;
        return true;
    } catch (const db::ConnectionLost&) {
        ctx_.destino.linhaForaDoLote();
        throw;
    } catch (const std::exception& e) {
        ctx_.destino.linhaForaDoLote();
        linha_ = Linha::Falhou;
        // The rows held for a block come first, so the log keeps the records' order.
        if (blocos_)
            blocos_->enviar();
        recusar(citacao(), entradaDoLog(), Recusa::de(e));
        return false;
    }
}

void Etapa::inserir()
{
    if (blocos_)
        blocos_->acrescentar(linhaEmCurso_);
    else
        comando().execute();
}

void Etapa::recusar(const CausaDeFalha::Registro& registro, const std::function<void(const Recusa&)>& entrada,
                    const Recusa& r)
{
    entrada(r);
    CausaDeFalha::Registro citado = registro;
    // Only the record being walked: a row a lost connection took is no field's fault.
    if (citado.posicao == posicao() && r.causa.tipo != db::Causa::Tipo::ConexaoPerdida)
        citado.campo = campoEmFalta(r);
    causas_.contar(citado, r);
}

} // namespace norvo
