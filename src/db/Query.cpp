#include "db/Query.h"

#include "db/Api.h"

#include "db/Database.h"
#include "db/Error.h"
#include "db/Transaction.h"
#include "texto/Texto.h"

namespace norvo::db {

using texto::mesmoNome;

namespace {

std::vector<std::string> emLinhas(std::string_view texto)
{
    std::vector<std::string> linhas;
    size_t inicio = 0;
    for (size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '\r' || texto[i] == '\n') {
            linhas.emplace_back(texto.substr(inicio, i - inicio));
            if (texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n')
                ++i;
            inicio = i + 1;
        }
    }
    if (inicio < texto.size())
        linhas.emplace_back(texto.substr(inicio));
    return linhas;
}

} // namespace

const Valor& Field::valor() const
{
    static const Valor nulo;
    const Resultado& r = q_->resultado_;
    if (!q_->aberta_ || r.linhas().empty())
        return nulo;
    return r.linhas()[r.atual()][index_];
}

Query::Query(std::string objectName) : objectName_(std::move(objectName)) {}

Query::~Query()
{
    fecharEDespreparar();
    if (database_)
        database_->desregistrar(this);
    if (transaction_)
        transaction_->desregistrar(this);
}

void Query::setDatabase(Database* db)
{
    if (db == database_)
        return;
    fecharEDespreparar();
    if (database_)
        database_->desregistrar(this);
    database_ = db;
    if (db)
        db->registrar(this);
}

void Query::setTransaction(Transaction* t)
{
    if (t == transaction_)
        return;
    fecharEDespreparar();
    if (transaction_)
        transaction_->desregistrar(this);
    transaction_ = t;
    if (t)
        t->registrar(this);
}

void Query::alterarTexto(std::vector<std::string> novas)
{
    fecharEDespreparar();
    vinculo_.renomear(preparacao_.definir(std::move(novas)));
}

void Query::clearSQL()
{
    if (!sql().empty())
        alterarTexto({});
}

void Query::addLine(std::string_view linha)
{
    std::vector<std::string> novas = sql();
    novas.emplace_back(linha);
    alterarTexto(std::move(novas));
}

void Query::setSQL(std::string_view texto)
{
    alterarTexto(emLinhas(texto));
}

Query& Query::redefinir(std::string_view texto)
{
    return redefinir(emLinhas(texto));
}

Query& Query::redefinir(std::initializer_list<std::string_view> linhas)
{
    return redefinir(std::vector<std::string>(linhas.begin(), linhas.end()));
}

Query& Query::redefinir(const std::vector<std::string>& linhas)
{
    vinculo_.renomear({}); // no value carries over to another statement
    alterarTexto(linhas);
    return *this;
}

Query& Query::redefinirComoNoServidor(std::string texto, std::vector<std::string> nomes)
{
    fecharEDespreparar();
    vinculo_.renomear({});
    vinculo_.renomear(preparacao_.definirComoNoServidor(std::move(texto), std::move(nomes)));
    return *this;
}

Param& Query::paramByName(std::string_view nome)
{
    for (Param& p : params())
        if (mesmoNome(p.name(), nome))
            return p;
    throw Error(prefixo(objectName_) + "Parameter '" + std::string(nome) + "' not found");
}

void Query::clearParams()
{
    for (Param& p : params())
        p.clear();
}

void Query::preparar()
{
    if (sql().empty())
        throw Error("Empty SQL Statement");
    if (!database_)
        throw Error("Database not assigned");
    if (!transaction_)
        throw Error("Transaction not assigned");
    database_->conectarParaUso();
    if (!transaction_->active())
        transaction_->start();
    if (!preparacao_.preparada()) {
        preparacao_.preparar(*database_, *transaction_);
        resultado_.descrever(preparacao_.saida());
        vinculo_.descrever(preparacao_.entrada());
    }
}

std::size_t Query::bytesDosParametros(const std::vector<bool>& quais)
{
    preparar();
    const XSQLDA* e = xsqlda(preparacao_.entrada());
    std::size_t n = 0;
    // The value, a varying text's length, its null flag and the alignment between them.
    for (int i = 0; i < e->sqld; ++i)
        if (quais.empty() || (static_cast<std::size_t>(i) < quais.size() && quais[static_cast<std::size_t>(i)]))
            n += static_cast<std::size_t>(e->sqlvar[i].sqllen) + 8;
    return n;
}

void Query::pronta()
{
    preparar();
    vinculo_.vincular(preparacao_.entrada(), *database_, *transaction_);
}

void Query::execute()
{
    if (aberta_)
        throw Error(prefixo(objectName_) + "Cannot perform this operation on an open dataset");
    pronta();
    if (preparacao_.devolveLinhas())
        throw Error("use Open for a Select Statement");
    preparacao_.executar(*database_, *transaction_);
}

void Query::open()
{
    if (aberta_)
        return;
    pronta();
    if (!preparacao_.devolveLinhas())
        throw Error(prefixo(objectName_) + "Cannot open a statement that returns no rows");
    preparacao_.executar(*database_, *transaction_);
    aberta_ = true;
    try {
        resultado_.abrir(preparacao_, database_, transaction_);
    } catch (...) {
        close();
        throw;
    }
}

void Query::first()
{
    if (!aberta_)
        throw Error(prefixo(objectName_) + "Cannot perform this operation on a closed dataset");
    resultado_.primeira();
}

void Query::next()
{
    if (!aberta_)
        throw Error(prefixo(objectName_) + "Cannot perform this operation on a closed dataset");
    resultado_.proxima();
}

void Query::close()
{
    resultado_.fechar();
    aberta_ = false;
}

void Query::fecharEDespreparar() noexcept
{
    close();
    resultado_.liberar();
    vinculo_.liberar();
    preparacao_.liberar();
}

Field Query::fieldByName(std::string_view nome) const
{
    const int i = aberta_ ? indiceCampo(nome) : -1;
    if (i < 0)
        throw Error(prefixo(objectName_) + "Field '" + std::string(nome) + "' not found");
    return Field(this, static_cast<size_t>(i));
}

} // namespace norvo::db
