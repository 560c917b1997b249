#include "db/Resultado.h"

#include "db/Api.h"

#include "db/Database.h"
#include "db/Preparacao.h"
#include "db/Transaction.h"
#include "texto/Texto.h"

#include <cstring>
#include <ctime>

namespace norvo::db {

using texto::mesmoNome;

namespace {

DateTime deTm(const std::tm& t)
{
    return DateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

} // namespace

void Resultado::descrever(Sqlda* saida)
{
    XSQLDA* out = xsqlda(saida);
    buffers_.assign(static_cast<size_t>(out->sqld), {});
    ind_.assign(static_cast<size_t>(out->sqld), 0);
    colunas_.clear();
    for (int i = 0; i < out->sqld; ++i) {
        XSQLVAR& v = out->sqlvar[i];
        const short base = static_cast<short>(v.sqltype & ~1);
        size_t tam = static_cast<size_t>(v.sqllen) + (base == SQL_VARYING ? 2 : 0);
        buffers_[i].assign(tam < 8 ? 8 : tam, 0);
        v.sqldata = buffers_[i].data();
        v.sqlind = &ind_[i];
        v.sqltype = static_cast<short>(base | 1);
        colunas_.push_back(Coluna{std::string(v.aliasname, static_cast<size_t>(v.aliasname_length)), base, v.sqlscale,
                                  v.sqllen, v.sqlsubtype});
    }
}

int Resultado::indiceCampo(std::string_view nome) const
{
    for (size_t i = 0; i < colunas_.size(); ++i)
        if (mesmoNome(colunas_[i].nome, nome))
            return static_cast<int>(i);
    return -1;
}

void Resultado::abrir(Preparacao& comando, Database* db, Transaction* t)
{
    comando_ = &comando;
    db_ = db;
    transacao_ = t;
    linhas_.clear();
    atual_ = 0;
    eof_ = false;
    try {
        buscar();
    } catch (...) {
        fechar();
        throw;
    }
    eof_ = linhas_.empty();
}

void Resultado::primeira()
{
    atual_ = 0;
    eof_ = linhas_.empty();
}

void Resultado::proxima()
{
    if (atual_ + 1 < linhas_.size()) {
        ++atual_;
        return;
    }
    if (comando_) {
        const size_t antes = linhas_.size();
        buscar();
        if (linhas_.size() > antes) {
            ++atual_;
            return;
        }
    }
    eof_ = true;
}

void Resultado::fechar() noexcept
{
    if (comando_) {
        comando_->fecharCursor();
        comando_ = nullptr;
    }
    eof_ = true;
    linhas_.clear();
    atual_ = 0;
}

void Resultado::liberar() noexcept
{
    fechar();
    buffers_.clear();
    ind_.clear();
    colunas_.clear();
}

void Resultado::buscar()
{
    Status st;
    const ISC_STATUS r = fb().isc_dsql_fetch(st.v, comando_->handle(), SQLDA_VERSION1, xsqlda(comando_->saida()));
    if (r == 100) {
        comando_->fecharCursor();
        comando_ = nullptr;
        return;
    }
    if (st.failed())
        falhar(st, db_);
    std::vector<Valor> linha(colunas_.size());
    for (size_t i = 0; i < colunas_.size(); ++i)
        linha[i] = decodificar(i);
    linhas_.push_back(std::move(linha));
}

Valor Resultado::decodificar(size_t i)
{
    Valor r;
    XSQLVAR& v = xsqlda(comando_->saida())->sqlvar[i];
    if (ind_[i] == -1)
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
        fb().isc_decode_timestamp(reinterpret_cast<ISC_TIMESTAMP*>(v.sqldata), &t);
        r.tipo = Valor::Tipo::DataHora, r.dataHora = deTm(t);
        break;
    }
    case SQL_TYPE_DATE: {
        std::tm t{};
        fb().isc_decode_sql_date(reinterpret_cast<ISC_DATE*>(v.sqldata), &t);
        r.tipo = Valor::Tipo::DataHora, r.dataHora = deTm(t);
        break;
    }
    case SQL_TYPE_TIME: {
        std::tm t{};
        fb().isc_decode_sql_time(reinterpret_cast<ISC_TIME*>(v.sqldata), &t);
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

void Resultado::lerBlob(ISC_QUAD id, std::string& out)
{
    BlobHandle blob;
    chamar(db_, [&](ISC_STATUS* st) {
        fb().isc_open_blob2(st, db_->handle(), transacao_->handle(), blob.ptr(), &id, 0, nullptr);
    });
    char buf[16384];
    while (true) {
        unsigned short n = 0;
        Status st;
        const ISC_STATUS r = fb().isc_get_segment(st.v, blob.ptr(), &n, sizeof buf, buf);
        if (r == isc_segstr_eof)
            break;
        if (r != 0 && r != isc_segment)
            falhar(st, db_);
        out.append(buf, n);
    }
    fecharBlob(blob, db_);
}

} // namespace norvo::db
