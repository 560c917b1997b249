#include "import/BuscaPreparada.h"

#include "db/Error.h"

namespace norvo {

namespace {
// Longer values than this are left to the text-built statement.
constexpr std::size_t MaiorParametro = 8191;
} // namespace

BuscaPreparada::BuscaPreparada(BancoDestino& destino, const DefinicaoBusca& d)
    : q_(std::make_unique<db::Query>()), resultado_(d.codigo)
{
    q_->setDatabase(&destino.banco());
    q_->setTransaction(&destino.transacao());
    // Cast to a text of the value's own length in the connection's character set: compared
    // as a quoted literal is, and a value longer than the column simply finds nothing.
    q_->setSQL(std::string("SELECT ") + d.codigo + " FROM " + d.tabela + " WHERE " + d.chave +
               " = CAST(:VALOR AS VARCHAR(" + std::to_string(MaiorParametro) + ") CHARACTER SET ISO8859_1)");
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

int BuscaPreparada::buscar(std::unique_ptr<BuscaPreparada>& busca, BancoDestino& destino, const DefinicaoBusca& d,
                           const std::string& valor, const std::function<int()>& textual)
{
    if (!destino.modo().rapido)
        return textual();
    if (!busca)
        busca = std::make_unique<BuscaPreparada>(destino, d);
    return busca->codigo(valor, textual);
}

} // namespace norvo
