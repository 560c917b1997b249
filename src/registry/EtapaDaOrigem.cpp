#include "registry/EtapaDaOrigem.h"

#include "db/Error.h"
#include "import/Buscas.h"
#include "import/ResumoDasCausas.h"
#include "import/Textos.h"
#include "texto/Latin1.h"
#include "texto/Texto.h"

namespace norvo {

using texto::ChaveDeBusca;

int BuscaCodigoCidade(ContextoEtapa& ctx, const std::string& nome)
{
    try {
        db::Query q;
        q.setDatabase(&ctx.destino.banco());
        q.setTransaction(ctx.destino.banco().defaultTransaction());
        return buscarTextual(q, BuscaCidade, ChaveDeBusca(nome));
    } catch (const db::ConnectionLost&) {
        throw; // the row's failure: the stage logs that row, reconnects and goes on
    } catch (const std::exception& e) {
        ctx.erros.push_back(textos::ErroCidade + nome + "\r\n" + e.what() + "\r\n");
        return 0;
    }
}

int PercursoDaOrigem::contar()
{
    origem_.redefinir(consultas_.contagem);
    origem_.open();
    return origem_.fieldByName("QTD").asInteger();
}

void PercursoDaOrigem::abrir()
{
    origem_.redefinir(consultas_.linhas);
    origem_.open();
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
    const int codigo = BuscaPreparada::buscar(cidades_, ctx().destino, BuscaCidade, ChaveDeBusca(nome),
                                              [&] { return BuscaCodigoCidade(ctx(), nome); });
    if (codigo == 0)
        ++semCidade_[texto::Aparar(nome)];
    return codigo;
}

void EtapaDaOrigem::completarResumo(ResumoEtapa& r)
{
    for (const auto& [nome, vezes] : semCidade_) {
        r.cidadesNaoEncontradas.emplace_back(nome, vezes);
        r.semCidade += vezes;
    }
    maisFrequentes(r.cidadesNaoEncontradas, [](const std::pair<std::string, long>& c) { return c.second; });
}

} // namespace norvo
