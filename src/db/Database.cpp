#include "db/Database.h"

#include "db/Error.h"
#include "db/Params.h"
#include "db/Query.h"
#include "texto/Latin1.h"
#include "db/Transaction.h"

#include <algorithm>
#include <cstring>

#include <langinfo.h>

namespace norvo::db {

using texto::Utf8ComAcentos;

NomesDeArquivoEmUtf8::NomesDeArquivoEmUtf8()
{
    // Only the C locale's ASCII is replaced: under Latin-1 the client converts well, and a
    // UTF-8 name says so in its parameter block.
    const char* atual = nl_langinfo(CODESET);
    if (std::strcmp(atual, "ANSI_X3.4-1968") != 0 && std::strcmp(atual, "ASCII") != 0)
        return;
    for (const char* nome : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        const locale_t base = duplocale(uselocale(static_cast<locale_t>(0)));
        if (base == static_cast<locale_t>(0))
            return;
        proprio_ = newlocale(LC_CTYPE_MASK, nome, base);
        if (proprio_ != static_cast<locale_t>(0)) {
            anterior_ = uselocale(proprio_);
            return;
        }
        freelocale(base); // left to the caller when newlocale fails
    }
}

NomesDeArquivoEmUtf8::~NomesDeArquivoEmUtf8()
{
    if (proprio_ != static_cast<locale_t>(0)) {
        uselocale(anterior_);
        freelocale(proprio_);
    }
}

Database::Database(std::string objectName) : objectName_(std::move(objectName)) {}

Database::~Database()
{
    try {
        disconnect();
    } catch (...) {
        marcarDesconectado();
    }
    for (Query* q : std::vector<Query*>(queries_))
        q->setDatabase(nullptr);
    for (Transaction* t : std::vector<Transaction*>(transactions_))
        t->removeDatabase(this);
}

void Database::setDatabaseName(const std::string& name)
{
    if (name == databaseName_)
        return;
    if (connected())
        throw Error("Cannot perform operation -- DB is currently open");
    databaseName_ = name;
}

void Database::setSQLDialect(int dialect)
{
    if (dialect <= 0)
        throw Error("SQL Dialect Invalid");
    if (connected()) {
        // Never above the database's own dialect while attached.
        char item = isc_info_db_sql_dialect;
        char buf[16] = {};
        chamar(this, [&](ISC_STATUS* st) { isc_database_info(st, handle(), 1, &item, sizeof buf, buf); });
        if (buf[0] == isc_info_db_sql_dialect) {
            const int len = static_cast<int>(isc_vax_integer(buf + 1, 2));
            if (dialect > static_cast<int>(isc_vax_integer(buf + 3, static_cast<short>(len))))
                throw Error("SQL Dialect Invalid");
        }
    }
    dialect_ = dialect;
}

void Database::setDefaultTransaction(Transaction* t)
{
    defaultTransaction_ = t;
    if (t)
        t->addDatabase(this);
}

void Database::connect()
{
    if (connected())
        return;
    if (databaseName_.empty())
        throw Error("Database name is missing");
    std::string dpb = montarDpb(params_);
    // Said outright, the name is taken as UTF-8 whatever the client's own character set
    // (under a Latin-1 locale the client would read it as Latin-1 and name another file).
    if (Utf8ComAcentos(databaseName_)) {
        dpb += static_cast<char>(isc_dpb_utf8_filename);
        dpb += '\0';
    }
    AttachmentHandle nova;
    Status st;
    {
        const NomesDeArquivoEmUtf8 nomesEmUtf8;
        isc_attach_database(st.v, 0, databaseName_.c_str(), nova.ptr(), static_cast<short>(dpb.size()), dpb.data());
    }
    if (st.failed())
        falhar(st, nullptr);

    char item = isc_info_db_sql_dialect;
    char buf[16] = {};
    Status info;
    isc_database_info(info.v, nova.ptr(), 1, &item, sizeof buf, buf);
    if (info.failed())
        falhar(info, nullptr); // `nova` detaches on the way out
    if (buf[0] == isc_info_db_sql_dialect) {
        const short len = static_cast<short>(isc_vax_integer(buf + 1, 2));
        const int proprio = static_cast<int>(isc_vax_integer(buf + 3, len));
        if (proprio > 0 && proprio < dialect_)
            dialect_ = proprio;
    }
    attachment_ = std::move(nova);
    perdida_ = false;
}

void Database::disconnect()
{
    if (!connected())
        return;
    for (Query* q : std::vector<Query*>(queries_))
        q->fecharEDespreparar();
    for (Transaction* t : std::vector<Transaction*>(transactions_))
        if (t->active())
            t->encerrarPorPadrao();
    Status st;
    desanexar(attachment_, st);
    if (st.failed() && !conexaoPerdida(codigos(st.v)))
        falhar(st, nullptr);
}

void Database::conectarParaUso()
{
    if (connected())
        return;
    if (perdida_)
        throw ConnectionLost("Connection lost to database", {isc_lost_db_connection}, -902);
    connect();
}

void Database::marcarDesconectado() noexcept
{
    perdida_ = true;
    // Abort the attachment first: a rollback sent over a half-dead connection can wait on
    // the socket for ever, and nothing below needs the server any more.
    if (attachment_) {
        ISC_STATUS_ARRAY st;
        fb_cancel_operation(st, attachment_.ptr(), fb_cancel_abort);
    }
    for (Query* q : std::vector<Query*>(queries_))
        q->fecharEDespreparar();
    for (Transaction* t : std::vector<Transaction*>(transactions_)) {
        if (t->active()) {
            ISC_STATUS_ARRAY st;
            isc_rollback_transaction(st, t->handle()); // fails on a dead line; the client frees it
            t->esquecer();
        }
    }
    Status st;
    desanexar(attachment_, st);
}

void Database::registrar(Query* q)
{
    if (std::find(queries_.begin(), queries_.end(), q) == queries_.end())
        queries_.push_back(q);
}

void Database::desregistrar(Query* q)
{
    queries_.erase(std::remove(queries_.begin(), queries_.end(), q), queries_.end());
}

void Database::registrar(Transaction* t)
{
    if (std::find(transactions_.begin(), transactions_.end(), t) == transactions_.end())
        transactions_.push_back(t);
}

void Database::desregistrar(Transaction* t)
{
    transactions_.erase(std::remove(transactions_.begin(), transactions_.end(), t), transactions_.end());
    if (defaultTransaction_ == t)
        defaultTransaction_ = nullptr;
}

namespace {
int recusarEncerramentoPorSinal(const int motivo, const int, void*)
{
    return motivo == fb_shutrsn_signal ? 1 : 0; // non-zero: the library ignores the signal
}
} // namespace

void deixarSinaisAoPrograma()
{
    static bool registrado = false;
    if (registrado)
        return;
    chamar(nullptr, [](ISC_STATUS* st) {
        fb_shutdown_callback(st, recusarEncerramentoPorSinal, fb_shut_confirmation, nullptr);
    });
    registrado = true;
}

} // namespace norvo::db
