#include "db/Handles.h"

#include "db/Database.h"
#include "db/Error.h"

#include <algorithm>

namespace norvo::db {

std::string interpretar(const ISC_STATUS* sv)
{
    std::string out;
    char buf[1024];
    const ISC_STATUS* p = sv;
    while (true) {
        const ISC_LONG n = fb_interpret(buf, sizeof buf, &p);
        if (n <= 0)
            break;
        if (!out.empty())
            out += "\r\n";
        out.append(buf, static_cast<size_t>(n));
    }
    if (!out.empty() && out.back() == '.')
        out.pop_back();
    return out;
}

std::vector<long> codigos(const ISC_STATUS* sv)
{
    std::vector<long> codes;
    for (int i = 0; i < ISC_STATUS_LENGTH && sv[i] != isc_arg_end;) {
        const ISC_STATUS kind = sv[i];
        if (kind == isc_arg_gds) {
            codes.push_back(static_cast<long>(sv[i + 1]));
            i += 2;
        } else if (kind == isc_arg_cstring) {
            i += 3;
        } else {
            i += 2;
        }
    }
    return codes;
}

bool conexaoPerdida(const std::vector<long>& codes)
{
    static const long lost[] = {isc_network_error, isc_net_read_err, isc_net_write_err,
                                isc_lost_db_connection, isc_att_shutdown, isc_shutdown};
    return std::any_of(codes.begin(), codes.end(), [](long c) {
        return std::find(std::begin(lost), std::end(lost), c) != std::end(lost);
    });
}

void falhar(const Status& st, Database* db)
{
    std::string message = interpretar(st.v);
    std::vector<long> codes = codigos(st.v);
    const int sqlcode = static_cast<int>(isc_sqlcode(st.v));
    if (message.empty())
        message = "Unknown Firebird failure";
    if (conexaoPerdida(codes)) {
        if (db)
            db->marcarDesconectado();
        throw ConnectionLost(message, std::move(codes), sqlcode);
    }
    throw ServerError(message, std::move(codes), sqlcode);
}

AttachmentHandle& AttachmentHandle::operator=(AttachmentHandle&& o) noexcept
{
    if (this != &o) {
        release();
        h_ = o.h_;
        o.h_ = 0;
    }
    return *this;
}

void AttachmentHandle::detach(Status& st)
{
    if (h_)
        isc_detach_database(st.v, &h_);
    h_ = 0; // after a failed detach the client has given up the attachment too

}

void AttachmentHandle::release() noexcept
{
    if (h_) {
        ISC_STATUS_ARRAY st;
        isc_detach_database(st, &h_);
        h_ = 0;
    }
}

TransactionHandle& TransactionHandle::operator=(TransactionHandle&& o) noexcept
{
    if (this != &o) {
        release();
        h_ = o.h_;
        o.h_ = 0;
    }
    return *this;
}

void TransactionHandle::release() noexcept
{
    if (h_) {
        ISC_STATUS_ARRAY st;
        isc_rollback_transaction(st, &h_);
        h_ = 0;
    }
}

StatementHandle& StatementHandle::operator=(StatementHandle&& o) noexcept
{
    if (this != &o) {
        release();
        h_ = o.h_;
        o.h_ = 0;
    }
    return *this;
}

void StatementHandle::release() noexcept
{
    if (h_) {
        ISC_STATUS_ARRAY st;
        isc_dsql_free_statement(st, &h_, DSQL_drop);
        h_ = 0;
    }
}

void BlobHandle::release() noexcept
{
    if (h_) {
        ISC_STATUS_ARRAY st;
        isc_cancel_blob(st, &h_);
        h_ = 0;
    }
}

void BlobHandle::close(Database* db)
{
    chamar(db, [&](ISC_STATUS* st) { isc_close_blob(st, &h_); });
    h_ = 0;
}

} // namespace norvo::db
