#pragma once
#include "db/Handles.h"

#include <string>
#include <vector>

namespace norvo::db {

class Transaction;
class Query;

// One attachment to one database.
class Database {
public:
    explicit Database(std::string objectName = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& objectName() const { return objectName_; }

    void setDatabaseName(const std::string& name);
    const std::string& databaseName() const { return databaseName_; }
    // "name=value" lines turned into the attachment parameters at every connect.
    void setParams(std::vector<std::string> linhas) { params_ = std::move(linhas); }
    const std::vector<std::string>& params() const { return params_; }
    void setSQLDialect(int dialect);
    int sqlDialect() const { return dialect_; }
    void setDefaultTransaction(Transaction* t);
    Transaction* defaultTransaction() const { return defaultTransaction_; }

    void connect();
    // Closes every statement, commits every active transaction (rolling back when that
    // commit fails, silently), then detaches.
    void disconnect();
    bool connected() const { return static_cast<bool>(attachment_); }

    // The connection went away: drop everything without asking the server. Until connect()
    // is called again, a statement fails with the loss instead of attaching by itself, so
    // the program decides where it reconnects.
    void marcarDesconectado() noexcept;
    bool perdida() const { return perdida_; }
    // Attaches for a statement that finds the database closed; refused after a loss.
    void conectarParaUso();

    FbHandle* handle() { return attachment_.ptr(); }
    void registrar(Query* q);
    void desregistrar(Query* q);
    void registrar(Transaction* t);
    void desregistrar(Transaction* t);

private:
    std::string objectName_;
    std::string databaseName_;
    std::vector<std::string> params_;
    int dialect_ = 3;
    Transaction* defaultTransaction_ = nullptr;
    AttachmentHandle attachment_;
    bool perdida_ = false;
    std::vector<Query*> queries_;
    std::vector<Transaction*> transactions_;
};

// The client library answers SIGINT and SIGTERM by shutting every attachment down. After
// this call it leaves those signals to the program, which stops its work cleanly itself.
void deixarSinaisAoPrograma();

} // namespace norvo::db
