#include "import/Buscas.h"

#include "db/Error.h"

#include "import/Textos.h"
#include "texto/Latin1.h"

namespace norvo {

using texto::ChaveDeBusca;
using texto::Citar;

void GravaCodigoSequencial(ContextoEtapa& ctx, const std::string& tabela, int valor)
{
    db::DataSet& ds = ctx.destino.registroSequencial();
    try {
        if (ds.isOpen())
            ds.close();
        ds.redefinir(" SELECT * FROM GERACODIGO WHERE GER_TABELA = " + Citar(tabela));
        struct Fechar {
            db::DataSet& ds;
            ~Fechar() { ds.close(); }
        } fechar{ds};
        ds.open();
        if (ds.isEmpty()) {
            ds.insert();
            ds.setFieldAsInteger("GER_VALOR", valor);
            ds.setFieldAsString("GER_TABELA", tabela);
        } else {
            ds.edit();
            ds.setFieldAsInteger("GER_VALOR", valor);
        }
        ds.post();
        ctx.destino.confirmarAgora();
    } catch (const db::ConnectionLost&) {
        throw; // waited out and written again by the stage
    } catch (const db::BancoInutilizavel&) {
        throw; // ends the run
    } catch (const std::exception& e) {
        ctx.op.mensagem(textos::FalhaSequencial + e.what());
        // Shown already, but the run must not call itself a success.
        ctx.passosFalhos.push_back({"GravaCodigoSequencial", e.what(), false});
        // After a lost connection a second "Transaction is not active" would only hide the
        // real failure; in a rehearsal the failed post undid itself.
        ctx.destino.desfazerPasso();
    }
}

int buscarCodigoTextual(db::Query& q, const std::string& linha1, const std::string& linha2, const char* campo)
{
    q.redefinir(std::vector<std::string>{linha1, linha2});
    q.open();
    return q.recordCount() > 0 ? q.fieldByName(campo).asInteger() : 0;
}

int BuscaCodigoUnidade(BancoDestino& destino, const std::string& descricao)
{
    return buscarCodigoTextual(destino.auxiliar(), "SELECT UNI_CODIGO FROM TIPOUNIDADE ",
                               "WHERE UNI_DESCRICAO = " + Citar(ChaveDeBusca(descricao)), "UNI_CODIGO");
}

int BuscaCodigoNCM(BancoDestino& destino, const std::string& ncm)
{
    return buscarCodigoTextual(destino.auxiliar(), "SELECT NCM_CODIGO FROM CODIGONCM",
                               "WHERE NCM_CODIGOSTRING = " + Citar(ncm), "NCM_CODIGO");
}

} // namespace norvo
