#include "db/Handles.h"

#include "db/Api.h"

#include "db/Database.h"
#include "db/Error.h"

#include <algorithm>
#include <type_traits>

namespace norvo::db {

static_assert(std::is_same_v<FbHandle, FB_API_HANDLE> && std::is_same_v<FbStatus, ISC_STATUS> &&
              TamanhoDoStatus == ISC_STATUS_LENGTH);

std::string interpretar(const ISC_STATUS* sv)
{
    std::string out;
    char buf[1024];
    const ISC_STATUS* p = sv;
    while (true) {
        const ISC_LONG n = fb().fb_interpret(buf, sizeof buf, &p);
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

namespace {

// Walks a status vector: `codigo(c)` for each error code, `texto(c, s)` for each string
// argument with the code it belongs to (0 after a warning, whose arguments are not a code's).
template <typename Codigo, typename Texto>
void percorrer(const ISC_STATUS* sv, Codigo&& codigo, Texto&& texto)
{
    long atual = 0;
    for (int i = 0; i < ISC_STATUS_LENGTH && sv[i] != isc_arg_end;) {
        const ISC_STATUS kind = sv[i];
        if (kind == isc_arg_gds) {
            atual = static_cast<long>(sv[i + 1]);
            codigo(atual);
            i += 2;
        } else if (kind == isc_arg_cstring) {
            texto(atual, std::string(reinterpret_cast<const char*>(sv[i + 2]), static_cast<size_t>(sv[i + 1])));
            i += 3;
        } else {
            if (kind == isc_arg_string)
                texto(atual, std::string(reinterpret_cast<const char*>(sv[i + 1])));
            else if (kind == isc_arg_warning)
                atual = 0;
            i += 2;
        }
    }
}

bool contem(const std::vector<long>& codes, long code)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

} // namespace

std::vector<long> codigos(const ISC_STATUS* sv)
{
    std::vector<long> codes;
    percorrer(
        sv, [&](long c) { codes.push_back(c); }, [](long, std::string) {});
    return codes;
}

std::vector<std::string> argumentos(const ISC_STATUS* sv, long codigo)
{
    std::vector<std::string> textos;
    percorrer(
        sv, [](long) {},
        [&](long c, std::string s) {
            if (c == codigo)
                textos.push_back(std::move(s));
        });
    return textos;
}

bool conexaoPerdida(const std::vector<long>& codes)
{
    static const long lost[] = {isc_network_error,      isc_net_read_err, isc_net_write_err,
                                isc_lost_db_connection, isc_att_shutdown, isc_shutdown};
    return std::any_of(std::begin(lost), std::end(lost), [&](long c) { return contem(codes, c); });
}

void falhar(const Status& st, Database* db)
{
    std::string message = interpretar(st.v);
    std::vector<long> codes = codigos(st.v);
    if (message.empty())
        message = "Unknown Firebird failure";
    if (conexaoPerdida(codes)) {
        if (db)
            db->marcarDesconectado();
        throw ConnectionLost(message, std::move(codes));
    }
    if (contem(codes, isc_lock_conflict) || contem(codes, isc_update_conflict))
        throw LockConflict(message, std::move(codes));
    if (contem(codes, isc_unique_key_violation)) {
        std::vector<std::string> nomes = argumentos(st.v, isc_unique_key_violation);
        nomes.resize(2); // the constraint, then its table
        throw UniqueViolation(message, std::move(codes), std::move(nomes[0]), std::move(nomes[1]));
    }
    throw ServerError(message, std::move(codes));
}

int valorDeInfo(const char* resposta)
{
    const short len = static_cast<short>(fb().isc_vax_integer(resposta + 1, 2));
    return static_cast<int>(fb().isc_vax_integer(resposta + 3, len));
}

void soltarAnexo(FB_API_HANDLE& h) noexcept
{
    ISC_STATUS_ARRAY st;
    fb().isc_detach_database(st, &h);
}

void soltarTransacao(FB_API_HANDLE& h) noexcept
{
    ISC_STATUS_ARRAY st;
    fb().isc_rollback_transaction(st, &h);
}

void soltarComando(FB_API_HANDLE& h) noexcept
{
    ISC_STATUS_ARRAY st;
    fb().isc_dsql_free_statement(st, &h, DSQL_drop);
}

void soltarBlob(FB_API_HANDLE& h) noexcept
{
    ISC_STATUS_ARRAY st;
    fb().isc_cancel_blob(st, &h);
}

void desanexar(AttachmentHandle& h, Status& st)
{
    if (h)
        fb().isc_detach_database(st.v, h.ptr());
    h.forget(); // after a failed detach the client has given up the attachment too
}

void fecharBlob(BlobHandle& h, Database* db)
{
    chamar(db, [&](ISC_STATUS* st) { fb().isc_close_blob(st, h.ptr()); });
    h.forget();
}

} // namespace norvo::db
