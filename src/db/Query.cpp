#include "db/Query.h"

#include "db/Database.h"
#include "db/Error.h"
#include "db/Params.h"
#include "texto/Texto.h"
#include "db/Transaction.h"

#include <cstring>
#include <ctime>

namespace norvo::db {

using texto::EhBranco;
using texto::mesmoNome;

namespace {

XSQLDA* sqlda(std::vector<char>& buf)
{
    return reinterpret_cast<XSQLDA*>(buf.data());
}

void alocarSqlda(std::vector<char>& buf, int n)
{
    buf.assign(XSQLDA_LENGTH(n), 0);
    sqlda(buf)->version = SQLDA_VERSION1;
    sqlda(buf)->sqln = static_cast<ISC_SHORT>(n);
}

std::tm paraTm(const DateTime& d)
{
    std::tm t{};
    if (d.isZero()) { // the zero date-time is the last day of 1899
        t.tm_year = -1;
        t.tm_mon = 11;
        t.tm_mday = 30;
        return t;
    }
    t.tm_year = d.year - 1900;
    t.tm_mon = d.month - 1;
    t.tm_mday = d.day;
    t.tm_hour = d.hour;
    t.tm_min = d.minute;
    t.tm_sec = d.second;
    return t;
}

DateTime deTm(const std::tm& t)
{
    return DateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

int infoInteiro(const char* buf)
{
    const short len = static_cast<short>(isc_vax_integer(buf + 1, 2));
    return static_cast<int>(isc_vax_integer(buf + 3, len));
}

} // namespace

// The bytes one parameter sends; they must live until the statement has run.
struct Query::BufferEntrada {
    short tipo = 0, tamanho = 0, escala = 0, subtipo = 0; // as the server described it
    short ind = 0;
    alignas(8) char numero[16] = {};
    std::string texto;
    ISC_QUAD blob{};
};

const std::string& Field::name() const
{
    return q_->colunas_[index_].nome;
}

const Valor& Field::valor() const
{
    static const Valor nulo;
    if (!q_->aberta_ || q_->linhasLidas_.empty())
        return nulo;
    return q_->linhasLidas_[q_->atual_][index_];
}

Query::Query(std::string objectName) : objectName_(std::move(objectName)) {}

Query::~Query()
{
    fecharEDespreparar();
    if (database_)
        database_->desregistrar(this);
    if (transaction_)
        transaction_->desregistrar(this);
}

void Query::setDatabase(Database* db)
{
    if (db == database_)
        return;
    fecharEDespreparar();
    if (database_)
        database_->desregistrar(this);
    database_ = db;
    if (db)
        db->registrar(this);
}

void Query::setTransaction(Transaction* t)
{
    if (t == transaction_)
        return;
    fecharEDespreparar();
    if (transaction_)
        transaction_->desregistrar(this);
    transaction_ = t;
    if (t)
        t->registrar(this);
}

std::string Query::text() const
{
    std::string t;
    for (const std::string& l : linhas_) {
        t += l;
        t += "\r\n";
    }
    return t;
}

void Query::alterarTexto(std::vector<std::string> novas)
{
    fecharEDespreparar();
    linhas_ = std::move(novas);
    TextoParametrizado r = analisarParametros(text());
    textoServidor_ = std::move(r.texto);
    std::vector<Param> novos;
    novos.reserve(r.nomes.size());
    for (std::string& nome : r.nomes) {
        Param p(nome);
        for (const Param& antigo : params_) {
            if (mesmoNome(antigo.name(), nome)) {
                p.copiarValor(antigo);
                break;
            }
        }
        novos.push_back(std::move(p));
    }
    params_ = std::move(novos);
}

void Query::clearSQL()
{
    if (!linhas_.empty())
        alterarTexto({});
}

void Query::addLine(std::string_view linha)
{
    std::vector<std::string> novas = linhas_;
    novas.emplace_back(linha);
    alterarTexto(std::move(novas));
}

void Query::setSQL(std::string_view texto)
{
    std::vector<std::string> novas;
    size_t inicio = 0;
    for (size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '\r' || texto[i] == '\n') {
            novas.emplace_back(texto.substr(inicio, i - inicio));
            if (texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n')
                ++i;
            inicio = i + 1;
        }
    }
    if (inicio < texto.size())
        novas.emplace_back(texto.substr(inicio));
    alterarTexto(std::move(novas));
}

Param& Query::paramByName(std::string_view nome)
{
    for (Param& p : params_)
        if (mesmoNome(p.name(), nome))
            return p;
    throw Error(prefixo(objectName_) + "Parameter '" + std::string(nome) + "' not found");
}

void Query::clearParams()
{
    for (Param& p : params_)
        p.clear();
}

void Query::exigirLigacoes() const
{
    if (!database_)
        throw Error("Database not assigned");
    if (!transaction_)
        throw Error("Transaction not assigned");
}

void Query::garantirPreparada()
{
    if (stmt_)
        return;
    if (EhBranco(textoServidor_))
        throw Error("Empty SQL Statement");

    Database* db = database_;
    StatementHandle novo;
    chamar(db, [&](ISC_STATUS* st) { isc_dsql_allocate_statement(st, db->handle(), novo.ptr()); });

    std::vector<char> saida;
    alocarSqlda(saida, 1);
    const unsigned short tamanho =
        textoServidor_.size() < 65535 ? static_cast<unsigned short>(textoServidor_.size()) : 0;
    chamar(db, [&](ISC_STATUS* st) {
        isc_dsql_prepare(st, transaction_->handle(), novo.ptr(), tamanho, textoServidor_.c_str(),
                         static_cast<unsigned short>(db->sqlDialect()), sqlda(saida));
    });
    if (sqlda(saida)->sqld > sqlda(saida)->sqln) {
        const int n = sqlda(saida)->sqld;
        alocarSqlda(saida, n);
        chamar(db, [&](ISC_STATUS* st) { isc_dsql_describe(st, novo.ptr(), SQLDA_VERSION1, sqlda(saida)); });
    }
    std::vector<char> entrada;
    alocarSqlda(entrada, 1);
    chamar(db, [&](ISC_STATUS* st) { isc_dsql_describe_bind(st, novo.ptr(), SQLDA_VERSION1, sqlda(entrada)); });
    if (sqlda(entrada)->sqld > sqlda(entrada)->sqln) {
        const int n = sqlda(entrada)->sqld;
        alocarSqlda(entrada, n);
        chamar(db, [&](ISC_STATUS* st) { isc_dsql_describe_bind(st, novo.ptr(), SQLDA_VERSION1, sqlda(entrada)); });
    }
    char item = isc_info_sql_stmt_type;
    char info[16] = {};
    chamar(db, [&](ISC_STATUS* st) { isc_dsql_sql_info(st, novo.ptr(), 1, &item, sizeof info, info); });
    tipoComando_ = info[0] == isc_info_sql_stmt_type ? infoInteiro(info) : 0;

    // Output buffers: one per column, kept in the column's own type.
    XSQLDA* out = sqlda(saida);
    buffersSaida_.assign(static_cast<size_t>(out->sqld), {});
    indSaida_.assign(static_cast<size_t>(out->sqld), 0);
    colunas_.clear();
    for (int i = 0; i < out->sqld; ++i) {
        XSQLVAR& v = out->sqlvar[i];
        const short base = static_cast<short>(v.sqltype & ~1);
        size_t tam = static_cast<size_t>(v.sqllen) + (base == SQL_VARYING ? 2 : 0);
        buffersSaida_[i].assign(tam < 8 ? 8 : tam, 0);
        v.sqldata = buffersSaida_[i].data();
        v.sqlind = &indSaida_[i];
        v.sqltype = static_cast<short>(base | 1);
        colunas_.push_back(Coluna{std::string(v.aliasname, static_cast<size_t>(v.aliasname_length)), base, v.sqlscale,
                                  v.sqllen, v.sqlsubtype});
    }
    XSQLDA* in = sqlda(entrada);
    buffersEntrada_.clear();
    for (int i = 0; i < in->sqld; ++i) {
        auto b = std::make_unique<BufferEntrada>();
        b->tipo = static_cast<short>(in->sqlvar[i].sqltype & ~1);
        b->tamanho = in->sqlvar[i].sqllen;
        b->escala = in->sqlvar[i].sqlscale;
        b->subtipo = in->sqlvar[i].sqlsubtype;
        buffersEntrada_.push_back(std::move(b));
    }
    saida_ = std::move(saida);
    entrada_ = std::move(entrada);
    stmt_ = std::move(novo);
}

void Query::vincular()
{
    XSQLDA* in = sqlda(entrada_);
    for (int i = 0; i < in->sqld; ++i) {
        XSQLVAR& v = in->sqlvar[i];
        BufferEntrada& b = *buffersEntrada_[static_cast<size_t>(i)];
        const Param* p = static_cast<size_t>(i) < params_.size() ? &params_[static_cast<size_t>(i)] : nullptr;
        v.sqlind = &b.ind;
        v.sqldata = b.numero;
        v.sqlscale = 0;
        b.ind = 0;
        auto nulo = [&] {
            v.sqltype = static_cast<short>(b.tipo | 1);
            v.sqllen = b.tamanho;
            v.sqlscale = b.escala;
            b.ind = -1;
        };
        auto comoTexto = [&](const std::string& s) {
            b.texto = s;
            v.sqltype = SQL_TEXT | 1;
            v.sqllen = static_cast<short>(b.texto.size());
            v.sqldata = b.texto.data();
        };
        auto comoDataHora = [&](const DateTime& d) {
            std::tm t = paraTm(d);
            isc_encode_timestamp(&t, reinterpret_cast<ISC_TIMESTAMP*>(b.numero));
            v.sqltype = SQL_TIMESTAMP | 1;
            v.sqllen = sizeof(ISC_TIMESTAMP);
        };
        if (!p || p->isNull()) {
            nulo();
            continue;
        }
        switch (p->tipo()) {
        case Param::Tipo::Unassigned:
            nulo();
            break;
        case Param::Tipo::Text: {
            const std::string& s = p->texto();
            if (b.tipo == SQL_TEXT || b.tipo == SQL_VARYING) {
                if (b.tamanho >= 1 && s.size() > static_cast<size_t>(b.tamanho))
                    throw TextoLongo(s.size(), b.tamanho);
                comoTexto(s);
            } else if (b.tipo == SQL_BLOB) {
                BlobHandle blob;
                chamar(database_, [&](ISC_STATUS* st) {
                    isc_create_blob2(st, database_->handle(), transaction_->handle(), blob.ptr(), &b.blob, 0, nullptr);
                });
                for (size_t pos = 0; pos < s.size(); pos += 32000) {
                    const size_t n = std::min<size_t>(32000, s.size() - pos);
                    chamar(database_, [&](ISC_STATUS* st) {
                        isc_put_segment(st, blob.ptr(), static_cast<unsigned short>(n), s.data() + pos);
                    });
                }
                fecharBlob(blob, database_);
                v.sqltype = SQL_BLOB | 1;
                v.sqllen = sizeof(ISC_QUAD);
                v.sqlsubtype = b.subtipo;
                v.sqldata = reinterpret_cast<char*>(&b.blob);
            } else if (s.empty()) {
                nulo();
            } else if (DateTime d; (b.tipo == SQL_TIMESTAMP || b.tipo == SQL_TYPE_DATE) && parseDateTime(s, d)) {
                comoDataHora(d);
            } else {
                comoTexto(s); // the server converts it to the parameter's type
            }
            break;
        }
        case Param::Tipo::Integer: {
            const std::int32_t x = static_cast<std::int32_t>(p->inteiro());
            std::memcpy(b.numero, &x, sizeof x);
            v.sqltype = SQL_LONG | 1;
            v.sqllen = sizeof x;
            break;
        }
        case Param::Tipo::Currency: {
            const std::int64_t x = p->inteiro();
            std::memcpy(b.numero, &x, sizeof x);
            v.sqltype = SQL_INT64 | 1;
            v.sqllen = sizeof x;
            v.sqlscale = -4;
            break;
        }
        case Param::Tipo::Float: {
            const double x = p->real();
            std::memcpy(b.numero, &x, sizeof x);
            v.sqltype = SQL_DOUBLE | 1;
            v.sqllen = sizeof x;
            break;
        }
        case Param::Tipo::DateTime:
            comoDataHora(p->dataHora());
            break;
        }
    }
}

void Query::execute()
{
    if (aberta_)
        throw Error(prefixo(objectName_) + "Cannot perform this operation on an open dataset");
    if (linhas_.empty())
        throw Error("Empty SQL Statement");
    exigirLigacoes();
    database_->conectarParaUso();
    if (!transaction_->active())
        transaction_->start();
    garantirPreparada();
    vincular();
    if (tipoComando_ == isc_info_sql_stmt_select || tipoComando_ == isc_info_sql_stmt_select_for_upd)
        throw Error("use Open for a Select Statement");
    XSQLDA* in = sqlda(entrada_)->sqld > 0 ? sqlda(entrada_) : nullptr;
    chamar(database_,
           [&](ISC_STATUS* st) { isc_dsql_execute(st, transaction_->handle(), stmt_.ptr(), SQLDA_VERSION1, in); });
}

void Query::open()
{
    if (aberta_)
        return;
    if (linhas_.empty())
        throw Error("Empty SQL Statement");
    exigirLigacoes();
    database_->conectarParaUso();
    if (!transaction_->active())
        transaction_->start();
    garantirPreparada();
    vincular();
    if (tipoComando_ != isc_info_sql_stmt_select && tipoComando_ != isc_info_sql_stmt_select_for_upd)
        throw Error(prefixo(objectName_) + "Cannot open a statement that returns no rows");
    XSQLDA* in = sqlda(entrada_)->sqld > 0 ? sqlda(entrada_) : nullptr;
    chamar(database_,
           [&](ISC_STATUS* st) { isc_dsql_execute(st, transaction_->handle(), stmt_.ptr(), SQLDA_VERSION1, in); });
    cursorAberto_ = true;
    aberta_ = true;
    linhasLidas_.clear();
    atual_ = 0;
    eof_ = false;
    try {
        buscar();
    } catch (...) {
        close();
        throw;
    }
    eof_ = linhasLidas_.empty();
}

void Query::buscar()
{
    Status st;
    const ISC_STATUS r = isc_dsql_fetch(st.v, stmt_.ptr(), SQLDA_VERSION1, sqlda(saida_));
    if (r == 100) {
        ISC_STATUS_ARRAY fecha;
        isc_dsql_free_statement(fecha, stmt_.ptr(), DSQL_close);
        cursorAberto_ = false;
        return;
    }
    if (st.failed())
        falhar(st, database_);
    std::vector<Valor> linha(colunas_.size());
    for (size_t i = 0; i < colunas_.size(); ++i)
        linha[i] = decodificar(i);
    linhasLidas_.push_back(std::move(linha));
}

Valor Query::decodificar(size_t i)
{
    Valor r;
    XSQLVAR& v = sqlda(saida_)->sqlvar[i];
    if (indSaida_[i] == -1)
        return r;
    const char* d = v.sqldata;
    switch (v.sqltype & ~1) {
    case SQL_TEXT: {
        size_t n = static_cast<size_t>(v.sqllen);
        while (n > 0 && d[n - 1] == ' ')
            --n;
        r.tipo = Valor::Tipo::Texto;
        r.texto.assign(d, n);
        break;
    }
    case SQL_VARYING: {
        short n;
        std::memcpy(&n, d, sizeof n);
        r.tipo = Valor::Tipo::Texto;
        r.texto.assign(d + 2, static_cast<size_t>(n));
        break;
    }
    case SQL_SHORT: {
        short x;
        std::memcpy(&x, d, sizeof x);
        r.tipo = Valor::Tipo::Inteiro, r.inteiro = x, r.escala = v.sqlscale;
        break;
    }
    case SQL_LONG: {
        ISC_LONG x;
        std::memcpy(&x, d, sizeof x);
        r.tipo = Valor::Tipo::Inteiro, r.inteiro = x, r.escala = v.sqlscale;
        break;
    }
    case SQL_INT64: {
        ISC_INT64 x;
        std::memcpy(&x, d, sizeof x);
        r.tipo = Valor::Tipo::Inteiro, r.inteiro = x, r.escala = v.sqlscale;
        break;
    }
    case SQL_BOOLEAN:
        r.tipo = Valor::Tipo::Inteiro, r.inteiro = *d ? 1 : 0;
        break;
    case SQL_FLOAT: {
        float x;
        std::memcpy(&x, d, sizeof x);
        r.tipo = Valor::Tipo::Real, r.real = x;
        break;
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double x;
        std::memcpy(&x, d, sizeof x);
        r.tipo = Valor::Tipo::Real, r.real = x;
        break;
    }
    case SQL_TIMESTAMP: {
        std::tm t{};
        isc_decode_timestamp(reinterpret_cast<ISC_TIMESTAMP*>(v.sqldata), &t);
        r.tipo = Valor::Tipo::DataHora, r.dataHora = deTm(t);
        break;
    }
    case SQL_TYPE_DATE: {
        std::tm t{};
        isc_decode_sql_date(reinterpret_cast<ISC_DATE*>(v.sqldata), &t);
        r.tipo = Valor::Tipo::DataHora, r.dataHora = deTm(t);
        break;
    }
    case SQL_TYPE_TIME: {
        std::tm t{};
        isc_decode_sql_time(reinterpret_cast<ISC_TIME*>(v.sqldata), &t);
        r.tipo = Valor::Tipo::DataHora, r.dataHora = deTm(t);
        r.dataHora.year = 0, r.dataHora.month = 0, r.dataHora.day = 0;
        break;
    }
    case SQL_BLOB: {
        ISC_QUAD id;
        std::memcpy(&id, d, sizeof id);
        r.tipo = Valor::Tipo::Texto;
        lerBlob(id, r.texto);
        break;
    }
    default:
        break; // arrays and the like are never read by this program
    }
    return r;
}

void Query::lerBlob(ISC_QUAD id, std::string& out)
{
    BlobHandle blob;
    chamar(database_, [&](ISC_STATUS* st) {
        isc_open_blob2(st, database_->handle(), transaction_->handle(), blob.ptr(), &id, 0, nullptr);
    });
    char buf[16384];
    while (true) {
        unsigned short n = 0;
        Status st;
        const ISC_STATUS r = isc_get_segment(st.v, blob.ptr(), &n, sizeof buf, buf);
        if (r == isc_segstr_eof)
            break;
        if (r != 0 && r != isc_segment)
            falhar(st, database_);
        out.append(buf, n);
    }
    fecharBlob(blob, database_);
}

void Query::first()
{
    if (!aberta_)
        throw Error(prefixo(objectName_) + "Cannot perform this operation on a closed dataset");
    atual_ = 0;
    eof_ = linhasLidas_.empty();
}

void Query::next()
{
    if (!aberta_)
        throw Error(prefixo(objectName_) + "Cannot perform this operation on a closed dataset");
    if (atual_ + 1 < linhasLidas_.size()) {
        ++atual_;
        return;
    }
    if (cursorAberto_) {
        const size_t antes = linhasLidas_.size();
        buscar();
        if (linhasLidas_.size() > antes) {
            ++atual_;
            return;
        }
    }
    eof_ = true;
}

void Query::close()
{
    if (cursorAberto_) {
        ISC_STATUS_ARRAY st;
        isc_dsql_free_statement(st, stmt_.ptr(), DSQL_close); // nothing to report on a cursor we drop
        cursorAberto_ = false;
    }
    aberta_ = false;
    eof_ = true;
    linhasLidas_.clear();
    atual_ = 0;
}

void Query::fecharEDespreparar() noexcept
{
    close();
    stmt_.release();
    entrada_.clear();
    saida_.clear();
    buffersEntrada_.clear();
    buffersSaida_.clear();
    indSaida_.clear();
    tipoComando_ = 0;
}

int Query::indiceCampo(std::string_view nome) const
{
    for (size_t i = 0; i < colunas_.size(); ++i)
        if (mesmoNome(colunas_[i].nome, nome))
            return static_cast<int>(i);
    return -1;
}

Field Query::fieldByName(std::string_view nome) const
{
    const int i = aberta_ ? indiceCampo(nome) : -1;
    if (i < 0)
        throw Error(prefixo(objectName_) + "Field '" + std::string(nome) + "' not found");
    return Field(this, static_cast<size_t>(i));
}

} // namespace norvo::db
