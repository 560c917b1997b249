#include "import/Etapa.h"

#include "db/Error.h"
#include "staging/Texto.h"

#include <algorithm>
#include <chrono>

namespace norvo {

using staging::MaiusculasLatin1;

void Etapa::executar()
{
    imp.iniciarResumo(textos_.nome);
    const auto inicio = std::chrono::steady_clock::now();
    try {
        imp.gaugeDefinir(contar());
        imp.etapaAtual().registros = imp.gaugeMaximo();
        abrirOrigem();
        if (!statusAposRemover())
            imp.op.status(textoStatus());
        eventos();
        if (pararAgora(imp.etapaAtual())) {
            imp.etapaAtual().iniciada = false; // stopped before its DELETE: its table is untouched
        } else {
            esvaziarEPercorrer();
            fecharLote();
            // Run after a stop too: it completes the rows already written (the register's
            // next code, the products' flags).
            depois();
        }
    } catch (const std::exception& e) {
        ResumoEtapa& r = imp.etapaAtual();
        // What the batch wrote before the failure is committed now, as the rows of a
        // per-row run would be; if even that fails, those rows are failures too.
        try {
            fecharLote();
        } catch (const std::exception& ef) {
            perderLote(ef.what());
        }
        r.falhou = true;
        r.falha = textos_.falha + e.what();
        imp.op.mensagem(r.falha);
    }
    ResumoEtapa& r = imp.etapaAtual();
    if (r.falhou || r.interrompida)
        r.naoTentados = std::max(0L, r.registros - r.gravados - r.falhas - r.ignorados);
    r.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

bool Etapa::pararAgora(ResumoEtapa& r)
{
    const int parada = imp.op.paradaPedida();
    if (parada == 0)
        return false;
    r.interrompida = true;
    imp.resultado_.parada = parada;
    return true;
}

void Etapa::esvaziarEPercorrer()
{
    redefinir(textos_.remove);
    comando().execute();
    confirmar(false);
    if (statusAposRemover()) {
        imp.op.status(textoStatus());
        eventos();
    }
    prepararInsercao();
    percorrer(imp.etapaAtual());
}

void Etapa::percorrer(ResumoEtapa& r)
{
    primeiro();
    while (!fim()) {
        if (pararAgora(r))
            return;
        linha_ = Linha::Pendente;
        try {
            registro();
        } catch (const db::ConnectionLost& e) {
            // The record that met the loss is this stage's row failure, whether its write,
            // its commit or a lookup for it met it; an uncommitted write is gone with the line,
            // and so are the rows of an uncommitted batch.
            if (linha_ == Linha::Gravada) {
                --r.gravados;
                if (rastrearLote() && !lote_.empty())
                    lote_.pop_back(); // this record's own entry, logged below
            }
            perderLote(e.what());
            if (linha_ != Linha::Falhou) {
                ++r.falhas;
                falhaDoRegistro()(e.what());
                linha_ = Linha::Falhou;
            }
            esquecer();
            reconectar(); // when the server cannot be reached, the stage guard ends the stage
            ++r.reconexoes;
        }
        if (linha_ == Linha::Pendente)
            ++r.ignorados;
        avancar();
    }
}

void Etapa::reconectar()
{
    if (!imp.IBDatabaseDestino.connected())
        imp.IBDatabaseDestino.connect();
    if (!imp.IBTransactionFireBird.active())
        imp.IBTransactionFireBird.start();
}

void Etapa::avancar()
{
    imp.gaugeAvancar();
    proximo();
    eventos();
}

bool Etapa::guardaLinha(const std::function<void()>& escrever)
{
    ResumoEtapa& r = imp.etapaAtual();
    // Entered before the write, so that a commit inside it that closes the batch takes
    // this row along; on a failure it is the last entry and comes off again.
    const bool rastrear = rastrearLote();
    if (rastrear)
        lote_.push_back(falhaDoRegistro());
    auto retirar = [&] {
        if (rastrear && !lote_.empty())
            lote_.pop_back();
    };
    try {
        escrever();
        ++r.gravados;
        linha_ = Linha::Gravada;
        return true;
    } catch (const db::ConnectionLost&) {
        retirar();
        throw;
    } catch (const std::exception& e) {
        retirar();
        ++r.falhas;
        linha_ = Linha::Falhou;
        falhaDoRegistro()(e.what());
        return false;
    }
}

void Etapa::redefinir(const std::string& texto)
{
    comando().close();
    comando().clearSQL();
    comando().setSQL(texto);
}

void Etapa::commitRetaining() { aposLinha(false); }

void Etapa::commit()
{
    loteTotal_ = true;
    aposLinha(true);
}

void Etapa::aposLinha(bool total)
{
    if (modo().rapido && ++noLote_ < modo().lote)
        return;
    confirmar(total);
}

void Etapa::confirmar(bool total)
{
    noLote_ = 0;
    if (modo().simular)
        return; // a rehearsal keeps everything in its one transaction
    if (total)
        transacao().commit();
    else
        transacao().commitRetaining();
    lote_.clear();
}

void Etapa::fecharLote()
{
    if (noLote_ > 0)
        confirmar(loteTotal_);
}

void Etapa::perderLote(const std::string& mensagem)
{
    ResumoEtapa& r = imp.etapaAtual();
    for (const auto& registrar : lote_) {
        --r.gravados;
        ++r.falhas;
        registrar(mensagem);
    }
    lote_.clear();
    noLote_ = 0;
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
    return buscarCodigo(cidades_, "CIDADE", "CID_NOME", "CID_CODIGO", MaiusculasLatin1(nome),
                        [&] { return rotinas().BuscaCodigoCidade(nome); });
}

int Etapa::buscarCodigo(std::unique_ptr<BuscaPreparada>& busca, const char* tabela, const char* coluna,
                        const char* codigo, const std::string& valor, const std::function<int()>& textual)
{
    if (!modo().rapido)
        return textual();
    if (!busca)
        busca = std::make_unique<BuscaPreparada>(destino(), transacao(), tabela, coluna, codigo);
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
