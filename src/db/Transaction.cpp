#include "db/Transaction.h"

#include "db/Api.h"

#include "db/Database.h"
#include "db/Error.h"
#include "db/Params.h"
#include "db/Query.h"

#include <algorithm>

namespace norvo::db {

Transaction::Transaction(std::string objectName) : objectName_(std::move(objectName)) {}

Transaction::~Transaction()
{
    if (active())
        encerrarPorPadrao();
    for (Query* q : std::vector<Query*>(queries_))
        q->setTransaction(nullptr);
    if (database_)
        database_->desregistrar(this);
}

void Transaction::setDefaultDatabase(Database* db)
{
    if (db == database_)
        return;
    if (database_)
        database_->desregistrar(this);
    database_ = db;
    if (db)
        db->registrar(this);
}

void Transaction::start()
{
    if (active())
        return;
    if (!database_)
        throw Error("No databases are listed in transaction component");
    if (!database_->connected())
        throw Error("Cannot perform operation -- DB is not open");
    const std::string tpb = montarTpb(params_);
    // The transaction existence block isc_start_multiple reads for its one database.
    struct Teb {
        isc_db_handle* db_ptr;
        long tpb_len;
        const char* tpb_ptr;
    } teb{database_->handle(), static_cast<long>(tpb.size()), tpb.empty() ? nullptr : tpb.data()};
    chamar(database_, [&](ISC_STATUS* st) { fb().isc_start_multiple(st, handle_.ptr(), 1, &teb); });
}

void Transaction::exigirAtiva() const
{
    if (!active())
        throw Error("Transaction is not active");
}

void Transaction::fecharConsultas(bool despreparar) noexcept
{
    for (Query* q : std::vector<Query*>(queries_)) {
        if (despreparar)
            q->fecharEDespreparar();
        else
            q->close();
    }
}

void Transaction::commit()
{
    exigirAtiva();
    fecharConsultas(true);
    chamar(database_, [&](ISC_STATUS* st) { fb().isc_commit_transaction(st, handle_.ptr()); });
}

void Transaction::commitRetaining()
{
    exigirAtiva();
    chamar(database_, [&](ISC_STATUS* st) { fb().isc_commit_retaining(st, handle_.ptr()); });
}

void Transaction::rollbackRetaining()
{
    exigirAtiva();
    chamar(database_, [&](ISC_STATUS* st) { fb().isc_rollback_retaining(st, handle_.ptr()); });
}

void Transaction::rollback()
{
    exigirAtiva();
    fecharConsultas(true);
    chamar(database_, [&](ISC_STATUS* st) { fb().isc_rollback_transaction(st, handle_.ptr()); });
}

void Transaction::encerrarPorPadrao() noexcept
{
    if (!active())
        return;
    fecharConsultas(true);
    ISC_STATUS_ARRAY st;
    if (fb().isc_commit_transaction(st, handle_.ptr()) == 0)
        return;
    if (fb().isc_rollback_transaction(st, handle_.ptr()) != 0)
        handle_.forget();
}

void Transaction::registrar(Query* q)
{
    if (std::find(queries_.begin(), queries_.end(), q) == queries_.end())
        queries_.push_back(q);
}

void Transaction::desregistrar(Query* q)
{
    queries_.erase(std::remove(queries_.begin(), queries_.end(), q), queries_.end());
}

} // namespace norvo::db
