// The sequence register and the code lookups. Lookups build their text from quoted values,
// as the destination's own tools do; values are quoted, so no text can break the statement.
#include "db/Error.h"
#include "import/Etapa.h"
#include "import/Textos.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

namespace norvo {

using texto::Citar;

void GravaCodigoSequencial(ContextoEtapa& ctx, const std::string& tabela, int valor)
{
    db::DataSet& ds = ctx.destino.registroSequencial();
    try {
        if (ds.isOpen())
            ds.close();
        ds.clearSQL();
        ds.addLine(" SELECT * FROM GERACODIGO WHERE GER_TABELA = " + Citar(tabela));
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
    } catch (const std::exception& e) {
        ctx.op.mensagem(textos::FalhaSequencial + e.what());
        // Shown already, but the run must not call itself a success.
        ctx.passosFalhos.push_back({"GravaCodigoSequencial", e.what(), false});
        // After a lost connection a second "Transaction is not active" would only hide the
        // real failure; in a rehearsal the failed post undid itself.
        ctx.destino.desfazerPasso();
    }
}

namespace {

int buscarCodigo(db::Query& q, const std::string& linha1, const std::string& linha2, const char* campo)
{
    q.close();
    q.clearSQL();
    q.addLine(linha1);
    q.addLine(linha2);
    q.open();
    return q.recordCount() > 0 ? q.fieldByName(campo).asInteger() : 0;
}

} // namespace

int BuscaCodigoUnidade(BancoDestino& destino, const std::string& descricao)
{
    return buscarCodigo(destino.auxiliar(), "SELECT UNI_CODIGO FROM TIPOUNIDADE ",
                        "WHERE UNI_DESCRICAO = " + Citar(ChaveDeBusca(descricao)), "UNI_CODIGO");
}

int BuscaCodigoNCM(BancoDestino& destino, const std::string& ncm)
{
    return buscarCodigo(destino.auxiliar(), "SELECT NCM_CODIGO FROM CODIGONCM",
                        "WHERE NCM_CODIGOSTRING = " + Citar(ncm), "NCM_CODIGO");
}

int BuscaCodigoCidade(ContextoEtapa& ctx, const std::string& nome)
{
    int resultado = 0;
    try {
        db::Query q;
        q.setDatabase(&ctx.destino.banco());
        q.setTransaction(ctx.destino.banco().defaultTransaction());
        resultado = buscarCodigo(q, "SELECT CID_CODIGO FROM CIDADE", "WHERE CID_NOME=" + Citar(ChaveDeBusca(nome)),
                                 "CID_CODIGO");
    } catch (const db::ConnectionLost&) {
        throw; // the row's failure: the stage logs that row, reconnects and goes on
    } catch (const std::exception& e) {
        ctx.erros.push_back(textos::ErroCidade + nome + "\r\n" + e.what() + "\r\n");
        resultado = 0;
    }
    return resultado;
}

namespace {
// Longer values than this are left to the text-built statement.
constexpr std::size_t MaiorParametro = 8191;
} // namespace

BuscaPreparada::BuscaPreparada(BancoDestino& destino, const std::string& tabela, const std::string& coluna,
                               const std::string& resultado)
    : q_(std::make_unique<db::Query>()), resultado_(resultado)
{
    q_->setDatabase(&destino.banco());
    q_->setTransaction(&destino.transacao());
    // Cast to a text of the value's own length in the connection's character set: compared
    // as a quoted literal is, and a value longer than the column simply finds nothing.
    q_->setSQL("SELECT " + resultado + " FROM " + tabela + " WHERE " + coluna + " = CAST(:VALOR AS VARCHAR(" +
               std::to_string(MaiorParametro) + ") CHARACTER SET ISO8859_1)");
}

BuscaPreparada::~BuscaPreparada() = default;

bool BuscaPreparada::consultar(const std::string& valor, bool& achou, int& codigo)
{
    if (valor.size() > MaiorParametro)
        return false;
    try {
        q_->close();
        q_->paramByName("VALOR").setAsString(valor);
        q_->open();
        achou = q_->recordCount() > 0;
        codigo = achou ? q_->fieldByName(resultado_).asInteger() : 0;
        return true;
    } catch (const db::ConnectionLost&) {
        throw;
    } catch (const std::exception&) {
        return false; // the text-built statement fails (or logs) exactly as it always does
    }
}

int BuscaPreparada::codigo(const std::string& valor, const std::function<int()>& textual)
{
    if (const auto it = codigos_.find(valor); it != codigos_.end())
        return it->second;
    bool achou = false;
    int codigo = 0;
    if (!consultar(valor, achou, codigo))
        return textual();
    codigos_.emplace(valor, codigo);
    return codigo;
}

bool BuscaPreparada::existe(const std::string& valor, const std::function<bool()>& textual)
{
    if (existentes_.count(valor))
        return true;
    bool achou = false;
    int codigo = 0;
    if (!consultar(valor, achou, codigo))
        return textual();
    if (achou)
        existentes_.insert(valor);
    return achou;
}

} // namespace norvo
