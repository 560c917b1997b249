#pragma once
#include "db/Handles.h"

#include <string>
#include <vector>

namespace norvo::db {

class Database;
class Query;

// One transaction over one database. Auto-started by the statements that need it; its default
// action when its database disconnects is commit.
class Transaction {
public:
    explicit Transaction(std::string objectName = {});
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Keyword lines ("read_committed", ...) turned into the transaction parameters at start.
    void setParams(std::vector<std::string> linhas) { params_ = std::move(linhas); }
    const std::vector<std::string>& params() const { return params_; }

    void setDefaultDatabase(Database* db);
    Database* defaultDatabase() const { return database_; }

    void start();
    // Closes and unprepares every statement of the transaction, then commits and ends it.
    void commit();
    void commitRetaining();
    void rollbackRetaining();
    void rollback();
    bool active() const { return static_cast<bool>(handle_); }

    // Commit; when the commit fails, roll back, and report nothing.
    void encerrarPorPadrao() noexcept;
    void esquecer() noexcept { handle_.forget(); }

    FbHandle* handle() { return handle_.ptr(); }
    void registrar(Query* q);
    void desregistrar(Query* q);

private:
    void exigirAtiva() const;
    void fecharConsultas(bool despreparar) noexcept;

    std::vector<std::string> params_;
    std::string objectName_;
    Database* database_ = nullptr;
    std::vector<Query*> queries_;
    TransactionHandle handle_;
};

} // namespace norvo::db
