#include "db/Vinculo.h"

#include "db/Api.h"

#include "db/Database.h"
#include "db/Error.h"
#include "db/Transaction.h"
#include "texto/Texto.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace norvo::db {

using texto::mesmoNome;

namespace {

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

} // namespace

// The bytes one parameter sends; they must live until the statement has run.
struct Vinculo::Buffer {
    short tipo = 0, tamanho = 0, escala = 0, subtipo = 0; // as the server described it
    short ind = 0;
    alignas(8) char numero[16] = {};
    std::string texto;
    ISC_QUAD blob{};
};

Vinculo::Vinculo() = default;
Vinculo::~Vinculo() = default;

void Vinculo::renomear(const std::vector<std::string>& nomes)
{
    std::vector<Param> novos;
    novos.reserve(nomes.size());
    for (const std::string& nome : nomes) {
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

void Vinculo::descrever(const Sqlda* descricao)
{
    const XSQLDA* entrada = xsqlda(descricao);
    buffers_.clear();
    for (int i = 0; i < entrada->sqld; ++i) {
        auto b = std::make_unique<Buffer>();
        b->tipo = static_cast<short>(entrada->sqlvar[i].sqltype & ~1);
        b->tamanho = entrada->sqlvar[i].sqllen;
        b->escala = entrada->sqlvar[i].sqlscale;
        b->subtipo = entrada->sqlvar[i].sqlsubtype;
        buffers_.push_back(std::move(b));
    }
}

void Vinculo::liberar() noexcept
{
    buffers_.clear();
}

void Vinculo::vincular(Sqlda* descricao, Database& db, Transaction& t)
{
    XSQLDA* in = xsqlda(descricao);
    for (int i = 0; i < in->sqld; ++i) {
        XSQLVAR& v = in->sqlvar[i];
        Buffer& b = *buffers_[static_cast<size_t>(i)];
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
            std::tm tm = paraTm(d);
            fb().isc_encode_timestamp(&tm, reinterpret_cast<ISC_TIMESTAMP*>(b.numero));
            v.sqltype = SQL_TIMESTAMP | 1;
            v.sqllen = sizeof(ISC_TIMESTAMP);
        };
        if (!p || p->isNull()) {
            nulo();
            continue;
        }
        switch (p->tipo()) {
        case Param::Tipo::Nulo:
            nulo();
            break;
        case Param::Tipo::Texto: {
            const std::string& s = p->texto();
            if (b.tipo == SQL_TEXT || b.tipo == SQL_VARYING) {
                if (b.tamanho >= 1 && s.size() > static_cast<size_t>(b.tamanho))
                    throw TextoLongo(s.size(), b.tamanho, p->name(), i);
                comoTexto(s);
            } else if (b.tipo == SQL_BLOB) {
                BlobHandle blob;
                chamar(&db, [&](ISC_STATUS* st) {
                    fb().isc_create_blob2(st, db.handle(), t.handle(), blob.ptr(), &b.blob, 0, nullptr);
                });
                for (size_t pos = 0; pos < s.size(); pos += 32000) {
                    const size_t n = std::min<size_t>(32000, s.size() - pos);
                    chamar(&db, [&](ISC_STATUS* st) {
                        fb().isc_put_segment(st, blob.ptr(), static_cast<unsigned short>(n), s.data() + pos);
                    });
                }
                fecharBlob(blob, &db);
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
        case Param::Tipo::Inteiro: {
            const std::int32_t x = static_cast<std::int32_t>(p->inteiro());
            std::memcpy(b.numero, &x, sizeof x);
            v.sqltype = SQL_LONG | 1;
            v.sqllen = sizeof x;
            break;
        }
        case Param::Tipo::Moeda: {
            const std::int64_t x = p->inteiro();
            std::memcpy(b.numero, &x, sizeof x);
            v.sqltype = SQL_INT64 | 1;
            v.sqllen = sizeof x;
            v.sqlscale = -4;
            break;
        }
        case Param::Tipo::Real: {
            const double x = p->real();
            std::memcpy(b.numero, &x, sizeof x);
            v.sqltype = SQL_DOUBLE | 1;
            v.sqllen = sizeof x;
            break;
        }
        case Param::Tipo::DataHora:
            comoDataHora(p->dataHora());
            break;
        }
    }
}

} // namespace norvo::db
