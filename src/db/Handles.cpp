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
    static const long lost[] = {isc_network_error,      isc_net_read_err, isc_net_write_err,
                                isc_lost_db_connection, isc_att_shutdown, isc_shutdown};
    return std::any_of(codes.begin(), codes.end(),
                       [](long c) { return std::find(std::begin(lost), std::end(lost), c) != std::end(lost); });
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

void soltarAnexo(FB_API_HANDLE& h) noexcept
{
    ISC_STATUS_ARRAY st;
    isc_detach_database(st, &h);
}

void soltarTransacao(FB_API_HANDLE& h) noexcept
{
    ISC_STATUS_ARRAY st;
    isc_rollback_transaction(st, &h);
}

void soltarComando(FB_API_HANDLE& h) noexcept
{
    ISC_STATUS_ARRAY st;
    isc_dsql_free_statement(st, &h, DSQL_drop);
}

void soltarBlob(FB_API_HANDLE& h) noexcept
{
    ISC_STATUS_ARRAY st;
    isc_cancel_blob(st, &h);
}

void desanexar(AttachmentHandle& h, Status& st)
{
    if (h)
        isc_detach_database(st.v, h.ptr());
    h.forget(); // after a failed detach the client has given up the attachment too
}

void fecharBlob(BlobHandle& h, Database* db)
{
    chamar(db, [&](ISC_STATUS* st) { isc_close_blob(st, h.ptr()); });
    h.forget();
}

} // namespace norvo::db
