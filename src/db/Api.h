#pragma once
// The client library as the layer's own sources see it; no header of the layer includes this.
#include <ibase.h>

#include "db/Handles.h"

namespace norvo::db {

// Every client-library function the layer calls, by its own name.
#define NORVO_FUNCOES_DO_CLIENTE(F)                                                                                    \
    F(fb_cancel_operation)                                                                                             \
    F(fb_interpret)                                                                                                    \
    F(fb_shutdown_callback)                                                                                            \
    F(isc_attach_database)                                                                                             \
    F(isc_cancel_blob)                                                                                                 \
    F(isc_close_blob)                                                                                                  \
    F(isc_commit_retaining)                                                                                            \
    F(isc_commit_transaction)                                                                                          \
    F(isc_create_blob2)                                                                                                \
    F(isc_database_info)                                                                                               \
    F(isc_decode_sql_date)                                                                                             \
    F(isc_decode_sql_time)                                                                                             \
    F(isc_decode_timestamp)                                                                                            \
    F(isc_detach_database)                                                                                             \
    F(isc_drop_database)                                                                                               \
    F(isc_dsql_allocate_statement)                                                                                     \
    F(isc_dsql_describe)                                                                                               \
    F(isc_dsql_describe_bind)                                                                                          \
    F(isc_dsql_execute)                                                                                                \
    F(isc_dsql_fetch)                                                                                                  \
    F(isc_dsql_free_statement)                                                                                         \
    F(isc_dsql_prepare)                                                                                                \
    F(isc_dsql_sql_info)                                                                                               \
    F(isc_encode_timestamp)                                                                                            \
    F(isc_get_segment)                                                                                                 \
    F(isc_open_blob2)                                                                                                  \
    F(isc_put_segment)                                                                                                 \
    F(isc_rollback_retaining)                                                                                          \
    F(isc_rollback_transaction)                                                                                        \
    F(isc_service_attach)                                                                                              \
    F(isc_service_detach)                                                                                              \
    F(isc_service_query)                                                                                               \
    F(isc_service_start)                                                                                               \
    F(isc_start_multiple)                                                                                              \
    F(isc_vax_integer)

struct FuncoesDoCliente {
#define NORVO_PONTEIRO(f) decltype(&::f) f = nullptr;
    NORVO_FUNCOES_DO_CLIENTE(NORVO_PONTEIRO)
#undef NORVO_PONTEIRO
};

// The program's client library, loaded at the first call that needs it; throws ClienteAusente
// when it cannot be, and tries again at the next call.
const FuncoesDoCliente& fb();

inline XSQLDA* xsqlda(Sqlda* p)
{
    return reinterpret_cast<XSQLDA*>(p);
}
inline const XSQLDA* xsqlda(const Sqlda* p)
{
    return reinterpret_cast<const XSQLDA*>(p);
}

} // namespace norvo::db
