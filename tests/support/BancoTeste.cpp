#include "BancoTeste.h"

#include <filesystem>

#include "db/Database.h"
#include "plataforma/Localidade.h"
#include "db/Error.h"
#include "db/Query.h"
#include "db/Transaction.h"

#include <ibase.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <optional>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace norvo::teste {

namespace {

const char* kSenha = "kelpdrone";

std::string statusTexto(const ISC_STATUS* sv)
{
    std::string out;
    char buf[512];
    const ISC_STATUS* p = sv;
    while (fb_interpret(buf, sizeof buf, &p) > 0) {
        out += buf;
        out += " | ";
    }
    return out;
}

void verificar(const ISC_STATUS* sv, const std::string& oque)
{
    if (sv[0] == 1 && sv[1] != 0)
        throw std::runtime_error(oque + ": " + statusTexto(sv));
}

std::string dpb()
{
    std::string d(1, isc_dpb_version1);
    auto add = [&](char code, const std::string& v) {
        d += code;
        d += static_cast<char>(v.size());
        d += v;
    };
    add(isc_dpb_user_name, "SYSDBA");
    add(isc_dpb_password, kSenha);
    add(isc_dpb_lc_ctype, "ISO8859_1");
    return d;
}

// A raw attachment for set-up work, independent of the layer under test.
struct Conexao {
    isc_db_handle db = 0;
    explicit Conexao(const std::string& nome)
    {
        ISC_STATUS_ARRAY st;
        const std::string p = dpb();
        isc_attach_database(st, 0, nome.c_str(), &db, static_cast<short>(p.size()), p.data());
        verificar(st, "attach " + nome);
    }
    ~Conexao()
    {
        ISC_STATUS_ARRAY st;
        if (db)
            isc_detach_database(st, &db);
    }
    void executar(const std::string& sql)
    {
        ISC_STATUS_ARRAY st;
        isc_tr_handle tr = 0;
        isc_start_transaction(st, &tr, 1, &db, 0, nullptr);
        verificar(st, "start");
        isc_dsql_execute_immediate(st, &db, &tr, 0, sql.c_str(), 3, nullptr);
        if (st[0] == 1 && st[1] != 0) {
            const std::string erro = statusTexto(st);
            ISC_STATUS_ARRAY st2;
            isc_rollback_transaction(st2, &tr);
            throw std::runtime_error("executing [" + sql + "]: " + erro);
        }
        isc_commit_transaction(st, &tr);
        verificar(st, "commit");
    }
};

std::string lerArquivo(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot read " + caminho);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<std::string> dividirScript(const std::string& script)
{
    std::vector<std::string> comandos;
    std::string atual;
    char aspa = 0;
    for (size_t i = 0; i < script.size(); ++i) {
        const char c = script[i];
        if (!aspa && c == '-' && i + 1 < script.size() && script[i + 1] == '-') {
            while (i < script.size() && script[i] != '\n')
                ++i;
            continue;
        }
        if (aspa) {
            if (c == aspa)
                aspa = 0;
        } else if (c == '\'' || c == '"') {
            aspa = c;
        } else if (c == ';') {
            if (atual.find_first_not_of(" \t\r\n") != std::string::npos)
                comandos.push_back(atual);
            atual.clear();
            continue;
        }
        atual += c;
    }
    if (atual.find_first_not_of(" \t\r\n") != std::string::npos)
        comandos.push_back(atual);
    return comandos;
}

} // namespace

const std::string& pastaBancos()
{
    static const std::string pasta = [] {
        const std::string p = "/tmp/norvo-tests";
        mkdir(p.c_str(), 0777);
        chmod(p.c_str(), 0777);
        if (passwd* fb = getpwnam("firebird"))
            if (chown(p.c_str(), fb->pw_uid, fb->pw_gid) != 0) {}
        return p;
    }();
    return pasta;
}

BancoTeste::BancoTeste(const std::string& prefixo, bool embutido, const std::string& pasta) : embutido_(embutido)
{
    static std::atomic<int> contador{0};
    caminho_ = (pasta.empty() ? pastaBancos() : pasta) + "/" + prefixo + "-" + std::to_string(getpid()) + "-" +
               std::to_string(contador++) + ".fdb";
    unlink(caminho_.c_str());
    const std::string sql =
        "CREATE DATABASE '" + nome() + "' USER 'SYSDBA' PASSWORD '" + kSenha + "' DEFAULT CHARACTER SET ISO8859_1";
    ISC_STATUS_ARRAY st;
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    {
        // Usually the process's first attachment: through the server, made as the program
        // makes its own, so the client settles UTF-8 for file names here too
        // (db/NomesDeArquivo.h). Not for the in-process engine: started under that guard, it
        // leaves LeakSanitizer unable to stop its threads at exit.
        std::optional<plataforma::CtypeUtf8> nomesEmUtf8;
        if (!embutido_)
            nomesEmUtf8.emplace();
        isc_dsql_execute_immediate(st, &db, &tr, 0, sql.c_str(), 3, nullptr);
    }
    verificar(st, "The Firebird server on 127.0.0.1:3050 must be running (scripts/firebird). CREATE DATABASE");
    isc_detach_database(st, &db);
}

BancoTeste::~BancoTeste()
{
    try {
        ISC_STATUS_ARRAY st;
        isc_db_handle db = 0;
        const std::string p = dpb();
        const std::string nomeCompleto = nome();
        isc_attach_database(st, 0, nomeCompleto.c_str(), &db, static_cast<short>(p.size()), p.data());
        if (db) {
            isc_drop_database(st, &db);
            if (db)
                isc_detach_database(st, &db);
        }
    } catch (...) {}
    unlink(caminho_.c_str());
    // Safety copies a run made beside it ("<name>-<date>-<time>.fbk").
    std::error_code erro;
    const std::filesystem::path arquivo(caminho_);
    const std::string inicio = arquivo.stem().string() + "-";
    for (const auto& e : std::filesystem::directory_iterator(arquivo.parent_path(), erro)) {
        const std::string nome = e.path().filename().string();
        if (nome.rfind(inicio, 0) == 0 && e.path().extension() == ".fbk")
            std::filesystem::remove(e.path(), erro);
    }
}

void BancoTeste::executar(const std::string& script)
{
    Conexao c(nome());
    for (const std::string& cmd : dividirScript(script))
        c.executar(cmd);
}

void BancoTeste::executarUm(const std::string& sql)
{
    Conexao c(nome());
    c.executar(sql);
}

std::vector<std::vector<std::string>> BancoTeste::consultar(const std::string& select)
{
    db::Database banco;
    db::Transaction tr;
    banco.setDatabaseName(nome());
    banco.setParams({"user_name=SYSDBA", "password=kelpdrone", "lc_ctype=ISO8859_1"});
    banco.setDefaultTransaction(&tr);
    db::Query q;
    q.setDatabase(&banco);
    q.setTransaction(&tr);
    q.setSQL(select);
    q.open();
    std::vector<std::vector<std::string>> linhas;
    while (!q.eof()) {
        std::vector<std::string> linha;
        for (size_t i = 0; i < q.fieldCount(); ++i) {
            db::Field f(&q, i);
            linha.push_back(f.isNull() ? "<null>" : f.asString());
        }
        linhas.push_back(std::move(linha));
        q.next();
    }
    return linhas;
}

std::string BancoTeste::valor(const std::string& select)
{
    auto linhas = consultar(select);
    if (linhas.empty() || linhas[0].empty())
        return "<no row>";
    return linhas[0][0];
}

void BancoTeste::derrubarOutrasConexoes()
{
    Conexao c(nome());
    c.executar("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION "
               "AND MON$SYSTEM_FLAG = 0");
}

namespace {
void gfix(const std::string& acao, const std::string& banco)
{
    const std::string cmd = "gfix " + acao + " " + banco + " -user SYSDBA -password kelpdrone";
    if (std::system(cmd.c_str()) != 0)
        throw std::runtime_error("failed: " + cmd);
}
} // namespace

void BancoTeste::desligar()
{
    gfix("-shut full -force 0", nome());
}

void BancoTeste::religar()
{
    gfix("-online", nome());
}

void reiniciarServidor()
{
    if (::geteuid() != 0)
        return;
    (void)!std::system("pkill -KILL -x firebird");
    // Answering means authenticating: the right password gets as far as the missing file.
    for (int i = 0; i < 300; ++i) {
        ISC_STATUS_ARRAY st;
        isc_db_handle db = 0;
        const std::string p = dpb(), nome = "127.0.0.1:/nonexistent/norvo.fdb";
        isc_attach_database(st, 0, nome.c_str(), &db, static_cast<short>(p.size()), p.data());
        if (db)
            isc_detach_database(st, &db);
        else if (st[1] == isc_io_error)
            return;
        ::usleep(100000);
    }
    throw std::runtime_error("The Firebird server did not come back within 30 s after a restart");
}

std::string esquemaDestino()
{
    return lerArquivo(std::string(NORVO_FIXTURES_DIR) + "/destino.sql");
}
std::string esquemaOrigem()
{
    return lerArquivo(std::string(NORVO_FIXTURES_DIR) + "/origem.sql");
}
std::string exemploOrigem()
{
    return lerArquivo(std::string(NORVO_FIXTURES_DIR) + "/origem-exemplo.sql");
}

} // namespace norvo::teste
