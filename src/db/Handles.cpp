#include "db/Handles.h"

#include "db/Api.h"

#include "db/Database.h"
#include "db/Error.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
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

// The operating system's "no space left on device", as the server passes it on.
constexpr long SemEspacoUnix = 28;             // ENOSPC
constexpr long SemEspacoWindows[] = {112, 39}; // ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL

// Walks a status vector: `codigo(c)` for each error code, `texto(c, s)` for each string
// argument with the code it belongs to (0 after a warning, whose arguments are not a code's),
// `sistema(unix, n)` for each operating system's error number.
template <typename Codigo, typename Texto, typename Sistema>
void percorrer(const ISC_STATUS* sv, Codigo&& codigo, Texto&& texto, Sistema&& sistema)
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
            else if (kind == isc_arg_unix || kind == isc_arg_win32)
                sistema(kind == isc_arg_unix, static_cast<long>(sv[i + 1]));
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
        sv, [&](long c) { codes.push_back(c); }, [](long, std::string) {}, [](bool, long) {});
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
        },
        [](bool, long) {});
    return textos;
}

bool conexaoPerdida(const std::vector<long>& codes)
{
    // A database shut down is no lost line: it will not come back by itself. A server that is
    // starting refuses the line for a moment ("connection rejected by remote interface").
    static const long lost[] = {isc_network_error,          isc_net_read_err, isc_net_write_err,
                                isc_lost_db_connection,     isc_att_shutdown, isc_net_connect_err,
                                isc_net_connect_listen_err, isc_conn_lost,    isc_connect_reject};
    return std::any_of(std::begin(lost), std::end(lost), [&](long c) { return contem(codes, c); });
}

static std::optional<BancoInutilizavel::Motivo> inutilizavel(const ISC_STATUS* sv, const std::vector<long>& codes)
{
    using M = BancoInutilizavel::Motivo;
    const auto algum = [&](std::initializer_list<long> lista) {
        return std::any_of(lista.begin(), lista.end(), [&](long c) { return contem(codes, c); });
    };
    // Opening or creating the file is a path's failure, not the disk's.
    if (algum({isc_io_read_err, isc_io_write_err, isc_io_close_err})) {
        bool cheio = false;
        percorrer(
            sv, [](long) {}, [](long, std::string) {},
            [&](bool ehUnix, long n) {
                cheio = cheio || (ehUnix ? n == SemEspacoUnix
                                         : std::find(std::begin(SemEspacoWindows), std::end(SemEspacoWindows), n) !=
                                               std::end(SemEspacoWindows));
            });
        return cheio ? M::DiscoCheio : M::ErroDeDisco;
    }
    if (algum({isc_shutdown, isc_shutinprog}))
        return M::Desligado;
    if (algum({isc_read_only_database}))
        return M::SomenteLeitura;
    if (algum({isc_bug_check, isc_db_corrupt, isc_badpage, isc_bad_checksum, isc_page_type_err}))
        return M::Corrompido;
    if (algum({isc_virmemexh, isc_sort_mem_err, isc_lockmanerr}))
        return M::SemRecursos;
    return std::nullopt;
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
    if (const auto motivo = inutilizavel(st.v, codes))
        throw BancoInutilizavel(message, std::move(codes), *motivo);
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
