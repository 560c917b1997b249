#include "db/Transaction.h"

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
    for (Database* db : std::vector<Database*>(databases_))
        db->desregistrar(this);
}

void Transaction::setDefaultDatabase(Database* db)
{
    if (db)
        addDatabase(db);
    auto it = std::find(databases_.begin(), databases_.end(), db);
    if (it != databases_.end())
        std::rotate(databases_.begin(), it, it + 1);
}

void Transaction::addDatabase(Database* db)
{
    if (!db || std::find(databases_.begin(), databases_.end(), db) != databases_.end())
        return;
    databases_.push_back(db);
    db->registrar(this);
}

void Transaction::removeDatabase(Database* db)
{
    databases_.erase(std::remove(databases_.begin(), databases_.end(), db), databases_.end());
    if (db)
        db->desregistrar(this);
}

void Transaction::start()
{
    if (active())
        return;
    if (databases_.empty())
        throw Error("No databases are listed in transaction component");
    for (Database* db : databases_)
        if (!db->connected())
            throw Error("Cannot perform operation -- DB is not open");
    const std::string tpb = montarTpb(params_);
    // The transaction existence block isc_start_multiple reads, one per database.
    struct Teb {
        isc_db_handle* db_ptr;
        long tpb_len;
        const char* tpb_ptr;
    };
    std::vector<Teb> teb(databases_.size());
    for (size_t i = 0; i < databases_.size(); ++i) {
        teb[i].db_ptr = databases_[i]->handle();
        teb[i].tpb_len = static_cast<long>(tpb.size());
        teb[i].tpb_ptr = tpb.empty() ? nullptr : tpb.data();
    }
    chamar(databases_.front(),
           [&](ISC_STATUS* st) { isc_start_multiple(st, handle_.ptr(), static_cast<short>(teb.size()), teb.data()); });
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
    chamar(defaultDatabase(), [&](ISC_STATUS* st) { isc_commit_transaction(st, handle_.ptr()); });
}

void Transaction::commitRetaining()
{
    exigirAtiva();
    chamar(defaultDatabase(), [&](ISC_STATUS* st) { isc_commit_retaining(st, handle_.ptr()); });
}

void Transaction::rollbackRetaining()
{
    exigirAtiva();
    chamar(defaultDatabase(), [&](ISC_STATUS* st) { isc_rollback_retaining(st, handle_.ptr()); });
}

void Transaction::rollback()
{
    exigirAtiva();
    fecharConsultas(true);
    chamar(defaultDatabase(), [&](ISC_STATUS* st) { isc_rollback_transaction(st, handle_.ptr()); });
}

void Transaction::encerrarPorPadrao() noexcept
{
    if (!active())
        return;
    fecharConsultas(true);
    ISC_STATUS_ARRAY st;
    if (isc_commit_transaction(st, handle_.ptr()) == 0)
        return;
    if (isc_rollback_transaction(st, handle_.ptr()) != 0)
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
