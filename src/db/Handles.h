#pragma once
#include <ibase.h>

#include <string>
#include <vector>

// Owners of the client library's handles, and the one place a status vector becomes a failure.
namespace norvo::db {

class Database;

// A status vector for one call.
struct Status {
    ISC_STATUS_ARRAY v{};
    bool failed() const { return v[0] == 1 && v[1] != 0; }
};

// The interpreted texts of a status vector, joined by CR LF, without the final full stop.
std::string interpretar(const ISC_STATUS* sv);
std::vector<long> codigos(const ISC_STATUS* sv);
bool conexaoPerdida(const std::vector<long>& codes);

// Throws the layer's failure for a failed call. When the codes say the connection is gone,
// `db` (if given) first marks itself disconnected.
[[noreturn]] void falhar(const Status& st, Database* db);

// Calls f(status) and throws on failure. The single call site pattern for every API call.
template <typename F>
void chamar(Database* db, F&& f)
{
    Status st;
    f(st.v);
    if (st.failed())
        falhar(st, db);
}

class AttachmentHandle {
public:
    AttachmentHandle() = default;
    ~AttachmentHandle() { release(); }
    AttachmentHandle(AttachmentHandle&& o) noexcept : h_(o.h_) { o.h_ = 0; }
    AttachmentHandle& operator=(AttachmentHandle&& o) noexcept;
    AttachmentHandle(const AttachmentHandle&) = delete;
    AttachmentHandle& operator=(const AttachmentHandle&) = delete;
    isc_db_handle* ptr() { return &h_; }
    explicit operator bool() const { return h_ != 0; }
    // Detaches; the failure is returned in `st`, and the handle is dropped either way.
    void detach(Status& st);
    void release() noexcept;

private:
    isc_db_handle h_ = 0;
};

class TransactionHandle {
public:
    TransactionHandle() = default;
    ~TransactionHandle() { release(); }
    TransactionHandle(TransactionHandle&& o) noexcept : h_(o.h_) { o.h_ = 0; }
    TransactionHandle& operator=(TransactionHandle&& o) noexcept;
    TransactionHandle(const TransactionHandle&) = delete;
    TransactionHandle& operator=(const TransactionHandle&) = delete;
    isc_tr_handle* ptr() { return &h_; }
    explicit operator bool() const { return h_ != 0; }
    // Rolls back whatever is left; a dead connection makes this fail, which is ignored.
    void release() noexcept;
    void forget() noexcept { h_ = 0; }

private:
    isc_tr_handle h_ = 0;
};

class StatementHandle {
public:
    StatementHandle() = default;
    ~StatementHandle() { release(); }
    StatementHandle(StatementHandle&& o) noexcept : h_(o.h_) { o.h_ = 0; }
    StatementHandle& operator=(StatementHandle&& o) noexcept;
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
    isc_stmt_handle* ptr() { return &h_; }
    explicit operator bool() const { return h_ != 0; }
    void release() noexcept;

private:
    isc_stmt_handle h_ = 0;
};

class BlobHandle {
public:
    BlobHandle() = default;
    ~BlobHandle() { release(); }
    BlobHandle(const BlobHandle&) = delete;
    BlobHandle& operator=(const BlobHandle&) = delete;
    isc_blob_handle* ptr() { return &h_; }
    void release() noexcept;
    void close(Database* db);

private:
    isc_blob_handle h_ = 0;
};

} // namespace norvo::db
