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

const DefinicaoBusca BuscaUnidade{"TIPOUNIDADE", "UNI_DESCRICAO", "UNI_CODIGO", "SELECT UNI_CODIGO FROM TIPOUNIDADE ",
                                  "WHERE UNI_DESCRICAO = "};
const DefinicaoBusca BuscaNCM{"CODIGONCM", "NCM_CODIGOSTRING", "NCM_CODIGO", "SELECT NCM_CODIGO FROM CODIGONCM",
                              "WHERE NCM_CODIGOSTRING = "};
const DefinicaoBusca BuscaCidade{"CIDADE", "CID_NOME", "CID_CODIGO", "SELECT CID_CODIGO FROM CIDADE",
                                 "WHERE CID_NOME="};
const DefinicaoBusca ExisteUnidade{"TIPOUNIDADE", "UNI_DESCRICAO", "UNI_CODIGO", "SELECT * FROM TIPOUNIDADE",
                                   "WHERE UNI_DESCRICAO="};
const DefinicaoBusca ExisteNCM{"CODIGONCM", "NCM_CODIGOSTRING", "NCM_CODIGO", "SELECT * FROM CODIGONCM",
                               "WHERE NCM_CODIGOSTRING="};

namespace {
void abrirTextual(db::Query& q, const DefinicaoBusca& d, const std::string& chave)
{
    q.redefinir(std::vector<std::string>{d.linha1, d.linha2 + Citar(chave)});
    q.open();
}
} // namespace

int buscarTextual(db::Query& q, const DefinicaoBusca& d, const std::string& chave)
{
    abrirTextual(q, d, chave);
    return q.recordCount() > 0 ? q.fieldByName(d.codigo).asInteger() : 0;
}

bool existeTextual(db::Query& q, const DefinicaoBusca& d, const std::string& chave)
{
    abrirTextual(q, d, chave);
    return !q.isEmpty();
}

int BuscaCodigoUnidade(BancoDestino& destino, const std::string& descricao)
{
    return buscarTextual(destino.auxiliar(), BuscaUnidade, ChaveDeBusca(descricao));
}

int BuscaCodigoNCM(BancoDestino& destino, const std::string& ncm)
{
    return buscarTextual(destino.auxiliar(), BuscaNCM, ncm);
}

} // namespace norvo
