#include "db/Params.h"

#include "db/Error.h"
#include "texto/Texto.h"

#include <ibase.h>

#include <algorithm>
#include <cstring>

namespace norvo::db {

using texto::Aparar;
using texto::EhBranco;
using texto::minusculas;

namespace {

bool fimDeNome(char c)
{
    return c == ' ' || c == ',' || c == ';' || c == ')' || c == '\r' || c == '\n';
}

std::string_view semPrefixo(std::string_view nome, std::string_view prefixo)
{
    if (nome.substr(0, prefixo.size()) == prefixo)
        nome.remove_prefix(prefixo.size());
    return nome;
}

struct Constante {
    const char* nome;
    int codigo; // -1: published, but not something this layer sends
};

// The published attachment parameters, without their "isc_dpb_" prefix.
const Constante kDpb[] = {
    {"user_name", isc_dpb_user_name},
    {"password", isc_dpb_password},
    {"lc_ctype", isc_dpb_lc_ctype},
    {"sql_role_name", isc_dpb_sql_role_name},
    {"cdd_pathname", -1},
    {"allocation", -1},
    {"journal", -1},
    {"page_size", -1},
    {"num_buffers", -1},
    {"buffer_length", -1},
    {"debug", -1},
    {"garbage_collect", -1},
    {"verify", -1},
    {"sweep", -1},
    {"enable_journal", -1},
    {"disable_journal", -1},
    {"dbkey_scope", -1},
    {"number_of_users", -1},
    {"trace", -1},
    {"no_garbage_collect", -1},
    {"damaged", -1},
    {"license", -1},
    {"sys_user_name", -1},
    {"encrypt_key", -1},
    {"activate_shadow", -1},
    {"sweep_interval", -1},
    {"delete_shadow", -1},
    {"force_write", -1},
    {"begin_log", -1},
    {"quit_log", -1},
    {"no_reserve", -1},
    {"password_enc", -1},
    {"sys_user_name_enc", -1},
    {"interp", -1},
    {"online_dump", -1},
    {"old_file_size", -1},
    {"old_num_files", -1},
    {"old_file", -1},
    {"old_start_page", -1},
    {"old_start_seqno", -1},
    {"old_start_file", -1},
    {"drop_walfile", -1},
    {"old_dump_id", -1},
    {"wal_backup_dir", -1},
    {"wal_chkptlen", -1},
    {"wal_numbufs", -1},
    {"wal_bufsize", -1},
    {"wal_grp_cmt_wait", -1},
    {"lc_messages", -1},
    {"cache_manager", -1},
    {"shutdown", -1},
    {"online", -1},
    {"shutdown_delay", -1},
    {"reserved", -1},
    {"overwrite", -1},
    {"sec_attach", -1},
    {"disable_wal", -1},
    {"connect_timeout", -1},
    {"dummy_packet_interval", -1},
    {"gbak_attach", -1},
    {"set_page_buffers", -1},
    {"working_directory", -1},
    {"sql_dialect", -1},
    {"set_db_readonly", -1},
    {"set_db_sql_dialect", -1},
    {"gfix_attach", -1},
    {"gstat_attach", -1},
    {"set_db_charset", -1},
    {"gsec_attach", -1},
    {"address_path", -1},
    {"process_id", -1},
    {"no_db_triggers", -1},
    {"process_name", -1},
    {"map_attach", -1},
    {"clear_map", -1},
};

// The published transaction parameters; all the single-byte ones are sent.
const Constante kTpb[] = {
    {"consistency", isc_tpb_consistency},
    {"concurrency", isc_tpb_concurrency},
    {"shared", isc_tpb_shared},
    {"protected", isc_tpb_protected},
    {"exclusive", isc_tpb_exclusive},
    {"wait", isc_tpb_wait},
    {"nowait", isc_tpb_nowait},
    {"read", isc_tpb_read},
    {"write", isc_tpb_write},
    {"verb_time", isc_tpb_verb_time},
    {"commit_time", isc_tpb_commit_time},
    {"ignore_limbo", isc_tpb_ignore_limbo},
    {"read_committed", isc_tpb_read_committed},
    {"autocommit", isc_tpb_autocommit},
    {"rec_version", isc_tpb_rec_version},
    {"no_rec_version", isc_tpb_no_rec_version},
    {"restart_requests", isc_tpb_restart_requests},
    {"no_auto_undo", isc_tpb_no_auto_undo},
    {"lock_read", -1},
    {"lock_write", -1},
    {"lock_timeout", -1},
};

template <size_t N>
const Constante* procurar(const Constante (&tabela)[N], std::string_view nome)
{
    for (const Constante& c : tabela)
        if (nome == c.nome)
            return &c;
    return nullptr;
}

} // namespace

TextoParametrizado analisarParametros(std::string_view sql)
{
    TextoParametrizado r;
    r.texto.reserve(sql.size());
    char aspa = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (aspa) {
            if (c == aspa)
                aspa = 0;
            r.texto += c;
            continue;
        }
        if (c == '\'' || c == '"' || c == '`') {
            aspa = c;
            r.texto += c;
            continue;
        }
        if (c != ':') {
            r.texto += c;
            continue;
        }
        if (i + 1 < sql.size() && sql[i + 1] == ':') {
            r.texto += ':';
            ++i;
            continue;
        }
        size_t fim = i + 1;
        while (fim < sql.size() && !fimDeNome(sql[fim]))
            ++fim;
        if (fim == i + 1) { // a lone colon names nothing
            r.texto += c;
            continue;
        }
        r.nomes.emplace_back(sql.substr(i + 1, fim - i - 1));
        r.texto += '?';
        i = fim - 1;
    }
    return r;
}

std::string montarDpb(const std::vector<std::string>& linhas)
{
    std::string dpb(1, static_cast<char>(isc_dpb_version1));
    for (const std::string& linha : linhas) {
        const size_t igual = linha.find('=');
        if (igual == std::string::npos)
            continue;
        const std::string escrito = Aparar(std::string_view(linha).substr(0, igual));
        if (escrito.empty())
            continue;
        const std::string nome(semPrefixo(minusculas(escrito), "isc_dpb_"));
        const std::string valor = linha.substr(igual + 1);
        const Constante* c = procurar(kDpb, nome);
        if (!c)
            throw Error("DPB Constant (" + escrito + ") is unknown");
        if (c->codigo < 0)
            throw Error("DPB Constant (isc_dpb_" + nome + ") is unsupported");
        if (valor.size() > 255)
            throw Error("DPB Constant (isc_dpb_" + nome + ") value is too long");
        dpb += static_cast<char>(c->codigo);
        dpb += static_cast<char>(valor.size());
        dpb += valor;
    }
    return dpb;
}

std::string montarTpb(const std::vector<std::string>& linhas)
{
    if (linhas.empty())
        return {};
    std::string tpb(1, static_cast<char>(isc_tpb_version3));
    for (const std::string& linha : linhas) {
        if (EhBranco(linha))
            continue;
        const std::size_t igual = linha.find('=');
        const std::string texto = Aparar(std::string_view(linha).substr(0, igual));
        const std::string nome(semPrefixo(minusculas(texto), "isc_tpb_"));
        // "lock_write=TABLE" reserves a table for the transaction's whole length; the line
        // after it says how (shared, protected, exclusive).
        const bool reserva = nome == "lock_read" || nome == "lock_write";
        const std::string tabela = igual == std::string::npos ? std::string() : Aparar(linha.substr(igual + 1));
        if (reserva && !tabela.empty() && tabela.size() < 256) {
            tpb += static_cast<char>(nome == "lock_read" ? isc_tpb_lock_read : isc_tpb_lock_write);
            tpb += static_cast<char>(tabela.size());
            tpb += tabela;
            continue;
        }
        const Constante* c = procurar(kTpb, nome);
        if (!c)
            throw Error("TPB Constant (" + texto + ") is unknown");
        if (c->codigo < 0)
            throw Error("TPB Constant (isc_tpb_" + nome + ") is unsupported");
        tpb += static_cast<char>(c->codigo);
    }
    return tpb;
}

} // namespace norvo::db
