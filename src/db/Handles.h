#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Owners of the client library's handles, and the one place a status vector becomes a failure.
namespace norvo::db {

class Database;

// The client library's handle and status word as its header declares them for 64-bit builds
// (FB_API_HANDLE, ISC_STATUS), so that no header of the layer needs it; Handles.cpp checks
// that they agree.
using FbHandle = unsigned int;
using FbStatus = std::intptr_t;
constexpr int TamanhoDoStatus = 20;
// A statement's parameter or column descriptions (XSQLDA), its layout known to the layer's
// sources only.
struct Sqlda;

// A status vector for one call.
struct Status {
    FbStatus v[TamanhoDoStatus]{};
    bool failed() const { return v[0] == 1 && v[1] != 0; }
};

// The interpreted texts of a status vector, joined by CR LF, without the final full stop.
std::string interpretar(const FbStatus* sv);
std::vector<long> codigos(const FbStatus* sv);
// The string arguments of `codigo` in a status vector, in order (a constraint's name, its table).
std::vector<std::string> argumentos(const FbStatus* sv, long codigo);
bool conexaoPerdida(const std::vector<long>& codes);

// Throws the layer's failure for a failed call, of the kind its codes say. When the connection
// is gone, `db` (if given) first marks itself disconnected.
[[noreturn]] void falhar(const Status& st, Database* db);

// The number an information call returned for the item that opens `resposta`.
int valorDeInfo(const char* resposta);

// Calls f(status) and throws on failure. The single call site pattern for every API call.
template <typename F>
void chamar(Database* db, F&& f)
{
    Status st;
    f(st.v);
    if (st.failed())
        falhar(st, db);
}

// Owns one client-library handle and releases it when it goes; `Soltar` is the release
// call for that kind of handle, whose own failure is of no interest by then.
template <void (*Soltar)(FbHandle&) noexcept>
class Handle {
public:
    Handle() = default;
    ~Handle() { release(); }
    Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, 0)) {}
    Handle& operator=(Handle&& o) noexcept
    {
        if (this != &o) {
            release();
            h_ = std::exchange(o.h_, 0);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    FbHandle* ptr() { return &h_; }
    explicit operator bool() const { return h_ != 0; }
    void release() noexcept
    {
        if (h_) {
            Soltar(h_);
            h_ = 0;
        }
    }
    // The handle is gone already (the client let it go with a dead connection).
    void forget() noexcept { h_ = 0; }

private:
    FbHandle h_ = 0;
};

void soltarAnexo(FbHandle& h) noexcept;
void soltarTransacao(FbHandle& h) noexcept; // rolls back what is left
void soltarComando(FbHandle& h) noexcept;
void soltarBlob(FbHandle& h) noexcept; // cancels an unfinished blob

using AttachmentHandle = Handle<soltarAnexo>;
using TransactionHandle = Handle<soltarTransacao>;
using StatementHandle = Handle<soltarComando>;
using BlobHandle = Handle<soltarBlob>;

// Detaches, reporting the failure in `st`; the handle is dropped either way.
void desanexar(AttachmentHandle& h, Status& st);
// Closes a blob being written or read; throws its failure.
void fecharBlob(BlobHandle& h, Database* db);

} // namespace norvo::db
