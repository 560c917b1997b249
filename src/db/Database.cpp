#include "db/Database.h"

#include "db/Api.h"

#include "db/Error.h"
#include "db/NomesDeArquivo.h"
#include "db/Params.h"
#include "db/Query.h"
#include "db/Transaction.h"

#include <algorithm>

namespace norvo::db {

namespace {

// The database's own dialect, or 0 when the server does not say.
int dialetoProprio(AttachmentHandle& anexo, Database* db)
{
    char item = isc_info_db_sql_dialect;
    char buf[16] = {};
    chamar(db, [&](ISC_STATUS* st) { fb().isc_database_info(st, anexo.ptr(), 1, &item, sizeof buf, buf); });
    return buf[0] == isc_info_db_sql_dialect ? valorDeInfo(buf) : 0;
}

} // namespace

Database::Database(std::string objectName) : objectName_(std::move(objectName)) {}

Database::~Database()
{
    try {
        disconnect();
    } catch (...) {
        marcarDesconectado();
    }
    for (Query* q : std::vector<Query*>(queries_))
        q->setDatabase(nullptr);
    for (Transaction* t : std::vector<Transaction*>(transactions_))
        t->setDefaultDatabase(nullptr);
}

void Database::setDatabaseName(const std::string& name)
{
    if (name == databaseName_)
        return;
    if (connected())
        throw Error("Cannot perform operation -- DB is currently open");
    databaseName_ = name;
}

void Database::setSQLDialect(int dialect)
{
    if (dialect <= 0)
        throw Error("SQL Dialect Invalid");
    if (connected()) {
        // Never above the database's own dialect while attached.
        const int proprio = dialetoProprio(attachment_, this);
        if (proprio > 0 && dialect > proprio)
            throw Error("SQL Dialect Invalid");
    }
    dialect_ = dialect;
}

void Database::setDefaultTransaction(Transaction* t)
{
    defaultTransaction_ = t;
    if (t)
        t->setDefaultDatabase(this);
}

void Database::connect()
{
    if (connected())
        return;
    if (databaseName_.empty())
        throw Error("Database name is missing");
    std::string dpb = montarDpb(params_);
    marcarNomesEmUtf8(dpb, isc_dpb_utf8_filename, {databaseName_});
    AttachmentHandle nova;
    Status st;
    {
        const NomesDeArquivoEmUtf8 nomesEmUtf8;
        fb().isc_attach_database(st.v, 0, databaseName_.c_str(), nova.ptr(), static_cast<short>(dpb.size()),
                                 dpb.data());
    }
    if (st.failed())
        falhar(st, nullptr);
    const int proprio = dialetoProprio(nova, nullptr); // on failure `nova` detaches on the way out
    if (proprio > 0 && proprio < dialect_)
        dialect_ = proprio;
    attachment_ = std::move(nova);
    perdida_ = false;
}

void Database::disconnect()
{
    if (!connected())
        return;
    for (Query* q : std::vector<Query*>(queries_))
        q->fecharEDespreparar();
    for (Transaction* t : std::vector<Transaction*>(transactions_))
        if (t->active())
            t->encerrarPorPadrao();
    Status st;
    desanexar(attachment_, st);
    if (st.failed() && !conexaoPerdida(codigos(st.v)))
        falhar(st, nullptr);
}

void Database::conectarParaUso()
{
    if (connected())
        return;
    if (perdida_)
        throw ConnectionLost("Connection lost to database", {isc_lost_db_connection});
    connect();
}

void Database::marcarDesconectado() noexcept
{
    perdida_ = true;
    // Abort the attachment first: a rollback sent over a half-dead connection can wait on
    // the socket for ever, and nothing below needs the server any more.
    if (attachment_) {
        ISC_STATUS_ARRAY st;
        fb().fb_cancel_operation(st, attachment_.ptr(), fb_cancel_abort);
    }
    for (Query* q : std::vector<Query*>(queries_))
        q->fecharEDespreparar();
    for (Transaction* t : std::vector<Transaction*>(transactions_)) {
        if (t->active()) {
            ISC_STATUS_ARRAY st;
            fb().isc_rollback_transaction(st, t->handle()); // fails on a dead line; the client frees it
            t->esquecer();
        }
    }
    Status st;
    desanexar(attachment_, st);
}

void Database::registrar(Query* q)
{
    if (std::find(queries_.begin(), queries_.end(), q) == queries_.end())
        queries_.push_back(q);
}

void Database::desregistrar(Query* q)
{
    queries_.erase(std::remove(queries_.begin(), queries_.end(), q), queries_.end());
}

void Database::registrar(Transaction* t)
{
    if (std::find(transactions_.begin(), transactions_.end(), t) == transactions_.end())
        transactions_.push_back(t);
}

void Database::desregistrar(Transaction* t)
{
    transactions_.erase(std::remove(transactions_.begin(), transactions_.end(), t), transactions_.end());
    if (defaultTransaction_ == t)
        defaultTransaction_ = nullptr;
}

} // namespace norvo::db
