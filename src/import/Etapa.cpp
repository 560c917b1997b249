#include "import/Etapa.h"

#include "db/Error.h"

#include <chrono>

namespace norvo {

void Etapa::executar()
{
    imp.iniciarResumo(textos_.nome);
    const auto inicio = std::chrono::steady_clock::now();
    struct Cronometro {
        Importador& imp;
        std::chrono::steady_clock::time_point inicio;
        ~Cronometro()
        {
            imp.etapaAtual().segundos =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        }
    } cronometro{imp, inicio};
    try {
        imp.gaugeDefinir(contar());
        abrirOrigem();
        if (!statusAposRemover())
            imp.op.status(textoStatus());
        eventos();
        redefinir(textos_.remove);
        imp.IBQueryFireBird.execute();
        commitRetaining();
        if (statusAposRemover()) {
            imp.op.status(textoStatus());
            eventos();
        }
        prepararInsercao();
        primeiro();
        while (!fim()) {
            registro();
            avancar();
        }
        depois();
    } catch (const std::exception& e) {
        ResumoEtapa& r = imp.etapaAtual();
        r.falhou = true;
        r.falha = textos_.falha + e.what();
        imp.op.mensagem(r.falha);
    }
}

void Etapa::avancar()
{
    imp.gaugeAvancar();
    proximo();
    eventos();
}

bool Etapa::guardaLinha(const std::function<void()>& escrever,
                        const std::function<void(const std::string&)>& registrarFalha)
{
    try {
        escrever();
        ++imp.etapaAtual().gravados;
        return true;
    } catch (const db::ConnectionLost&) {
        throw;
    } catch (const std::exception& e) {
        ++imp.etapaAtual().falhas;
        registrarFalha(e.what());
        return false;
    }
}

void Etapa::erro(std::string entrada)
{
    imp.ListaErros->push_back(std::move(entrada));
}

void Etapa::duplicado(std::string entrada)
{
    imp.ListaDuplicados->push_back(std::move(entrada));
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
