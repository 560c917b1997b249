#include "db/Preparacao.h"

#include "db/Api.h"

#include "db/Database.h"
#include "db/Error.h"
#include "db/Params.h"
#include "db/Transaction.h"
#include "texto/Texto.h"

namespace norvo::db {

using texto::EhBranco;

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

} // namespace

std::vector<std::string> Preparacao::definir(std::vector<std::string> linhas)
{
    liberar();
    linhas_ = std::move(linhas);
    TextoParametrizado r = analisarParametros(texto());
    textoServidor_ = std::move(r.texto);
    return std::move(r.nomes);
}

std::vector<std::string> Preparacao::definirComoNoServidor(std::string texto, std::vector<std::string> nomes)
{
    liberar();
    linhas_ = {texto};
    textoServidor_ = std::move(texto);
    return nomes;
}

std::string Preparacao::texto() const
{
    std::string t;
    for (const std::string& l : linhas_) {
        t += l;
        t += "\r\n";
    }
    return t;
}

void Preparacao::preparar(Database& db, Transaction& t)
{
    if (stmt_)
        return;
    if (EhBranco(textoServidor_))
        throw Error("Empty SQL Statement");

    StatementHandle novo;
    chamar(&db, [&](ISC_STATUS* st) { fb().isc_dsql_allocate_statement(st, db.handle(), novo.ptr()); });

    std::vector<char> saida;
    alocarSqlda(saida, 1);
    const unsigned short tamanho =
        textoServidor_.size() < 65535 ? static_cast<unsigned short>(textoServidor_.size()) : 0;
    chamar(&db, [&](ISC_STATUS* st) {
        fb().isc_dsql_prepare(st, t.handle(), novo.ptr(), tamanho, textoServidor_.c_str(),
                              static_cast<unsigned short>(db.sqlDialect()), sqlda(saida));
    });
    if (sqlda(saida)->sqld > sqlda(saida)->sqln) {
        const int n = sqlda(saida)->sqld;
        alocarSqlda(saida, n);
        chamar(&db, [&](ISC_STATUS* st) { fb().isc_dsql_describe(st, novo.ptr(), SQLDA_VERSION1, sqlda(saida)); });
    }
    std::vector<char> entrada;
    alocarSqlda(entrada, 1);
    chamar(&db, [&](ISC_STATUS* st) { fb().isc_dsql_describe_bind(st, novo.ptr(), SQLDA_VERSION1, sqlda(entrada)); });
    if (sqlda(entrada)->sqld > sqlda(entrada)->sqln) {
        const int n = sqlda(entrada)->sqld;
        alocarSqlda(entrada, n);
        chamar(&db,
               [&](ISC_STATUS* st) { fb().isc_dsql_describe_bind(st, novo.ptr(), SQLDA_VERSION1, sqlda(entrada)); });
    }
    char item = isc_info_sql_stmt_type;
    char info[16] = {};
    chamar(&db, [&](ISC_STATUS* st) { fb().isc_dsql_sql_info(st, novo.ptr(), 1, &item, sizeof info, info); });
    tipoComando_ = info[0] == isc_info_sql_stmt_type ? valorDeInfo(info) : 0;
    saida_ = std::move(saida);
    entrada_ = std::move(entrada);
    stmt_ = std::move(novo);
}

bool Preparacao::devolveLinhas() const
{
    return tipoComando_ == isc_info_sql_stmt_select || tipoComando_ == isc_info_sql_stmt_select_for_upd;
}

void Preparacao::executar(Database& db, Transaction& t)
{
    XSQLDA* in = xsqlda(entrada())->sqld > 0 ? xsqlda(entrada()) : nullptr;
    chamar(&db, [&](ISC_STATUS* st) { fb().isc_dsql_execute(st, t.handle(), stmt_.ptr(), SQLDA_VERSION1, in); });
}

void Preparacao::fecharCursor() noexcept
{
    ISC_STATUS_ARRAY st;
    fb().isc_dsql_free_statement(st, stmt_.ptr(), DSQL_close);
}

void Preparacao::liberar() noexcept
{
    stmt_.release();
    entrada_.clear();
    saida_.clear();
    tipoComando_ = 0;
}

} // namespace norvo::db
