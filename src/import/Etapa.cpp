#include "import/Etapa.h"

#include "db/Error.h"

#include <algorithm>
#include <chrono>

namespace norvo {

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
            // Run after a stop too: it completes the rows already written (the register's
            // next code, the products' flags).
            depois();
        }
    } catch (const std::exception& e) {
        ResumoEtapa& r = imp.etapaAtual();
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
    imp.IBQueryFireBird.execute();
    commitRetaining();
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
            // its commit or a lookup for it met it; an uncommitted write is gone with the line.
            if (linha_ == Linha::Gravada)
                --r.gravados;
            if (linha_ != Linha::Falhou) {
                ++r.falhas;
                registrarFalha(e.what());
                linha_ = Linha::Falhou;
            }
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
    try {
        escrever();
        ++r.gravados;
        linha_ = Linha::Gravada;
        return true;
    } catch (const db::ConnectionLost&) {
        throw;
    } catch (const std::exception& e) {
        ++r.falhas;
        linha_ = Linha::Falhou;
        registrarFalha(e.what());
        return false;
    }
}

void Etapa::redefinir(const std::string& texto)
{
    imp.IBQueryFireBird.close();
    imp.IBQueryFireBird.clearSQL();
    imp.IBQueryFireBird.setSQL(texto);
}

void Etapa::commitRetaining()
{
    imp.IBQueryFireBird.transaction()->commitRetaining();
}

void EtapaDoEstagio::primeiro()
{
    imp.CdsProdutos.first(); // settles a pending record and shows the first one
    linha_ = 0;
    total_ = imp.CdsProdutos.recordCount();
}

void EtapaDoEstagio::proximo()
{
    if (++linha_ < total_)
        imp.CdsProdutos.setCurrent(linha_); // the grid follows the walk
}

int EtapaDaOrigem::contar()
{
    db::Query& q = imp.IBQueryOrigem;
    q.close();
    q.clearSQL();
    for (const std::string& linha : textoContagem())
        q.addLine(linha);
    q.open();
    return q.fieldByName("QTD").asInteger();
}

void EtapaDaOrigem::abrirOrigem()
{
    db::Query& q = imp.IBQueryOrigem;
    q.close();
    q.clearSQL();
    for (const std::string& linha : textoLinhas())
        q.addLine(linha);
    q.open();
}

void EtapaDaOrigem::avancar()
{
    imp.gaugeAvancar();
    eventos();
    proximo();
}

} // namespace norvo
