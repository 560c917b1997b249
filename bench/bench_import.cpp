// The whole product import, in the default mode and in fast mode, on files of 10,000 and
// 50,000 lines, each into a fresh database, against three floors: the same rows sent one
// prepared insert per row, the same rows sent in blocks, and rows of the same shape made by
// the server's own loop. Also the longest time the run went without letting window events
// through (the window must keep answering).
#include "BancoTeste.h"
#include "GeradorProdutos.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include "import/Copia.h"
#include "import/EscritaEmBlocos.h"
#include "import/Importador.h"
#include "staging/LeitorCSV.h"
#include "staging/StagingTable.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace norvo;
namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

namespace {

double segundosDesde(Relogio::time_point t)
{
    return std::chrono::duration<double>(Relogio::now() - t).count();
}

// The operator of a measured run: answers Yes, shows nothing, and keeps the longest time
// between two chances to process window events, with the stage it happened in.
class OperadorMedidor : public Operador {
public:
    double maiorPausa = 0;
    std::string ondePausa;

    void gauge(int, int, int) override {}
    void status(const std::string& texto) override { status_ = texto; }
    void mostraMensagem(const std::string&, bool) override {}
    bool confirma(const std::string&, Pergunta) override { return true; }
    void mensagem(const std::string& texto) override { std::fprintf(stderr, "%s\n", texto.c_str()); }
    void abrirArquivo(const std::string&, const std::string&) override {}
    void ocupado(bool sim) override
    {
        medindo_ = sim;
        ultimo_ = Relogio::now();
    }
    void processarEventos() override
    {
        if (!medindo_)
            return;
        const double pausa = segundosDesde(ultimo_);
        if (pausa > maiorPausa) {
            maiorPausa = pausa;
            ondePausa = status_;
        }
        ultimo_ = Relogio::now();
    }

private:
    bool medindo_ = false;
    Relogio::time_point ultimo_;
    std::string status_;
};

struct Execucao {
    std::map<std::string, double> etapas;
    double segundos = 0;
    double maiorPausa = 0;
    std::string ondePausa;
    long picoKb = 0;
    int codigo = -1;
};

// One whole product import, in a child process of its own so that its peak memory is its
// own: reads the file, runs the import in the given mode, reports through a pipe.
Execucao rodar(const std::string& csv, const std::string& destino, const std::string& logs, const ModoExecucao& modo)
{
    int tubo[2];
    if (pipe(tubo) != 0)
        throw std::runtime_error("pipe");
    const auto inicio = Relogio::now();
    const pid_t pid = fork();
    if (pid == 0) {
        close(tubo[0]);
        OperadorMedidor op;
        Importador imp(op);
        imp.setDestino(destino);
        imp.setPastaLogs(logs + "/");
        imp.LerArquivoCSV(csv);
        OpcoesImportacao opcoes;
        opcoes.produtos = true;
        opcoes.modo = modo;
        opcoes.semCopia = true; // the copy is measured on its own, below
        const ResultadoImportacao r = imp.importar(opcoes);
        std::string relato;
        for (const ResumoEtapa& e : r.etapas)
            relato += e.nome + " " + std::to_string(e.segundos) + "\n";
        relato += "pausa " + std::to_string(op.maiorPausa) + " " + op.ondePausa + "\n";
        [[maybe_unused]] const ssize_t n = write(tubo[1], relato.data(), relato.size());
        _exit(r.comErros() ? 1 : 0);
    }
    close(tubo[1]);
    std::string saida;
    char buf[4096];
    ssize_t n;
    while ((n = read(tubo[0], buf, sizeof buf)) > 0)
        saida.append(buf, static_cast<size_t>(n));
    close(tubo[0]);
    int status = 0;
    rusage uso{};
    wait4(pid, &status, 0, &uso);
    Execucao r;
    r.segundos = segundosDesde(inicio);
    r.picoKb = uso.ru_maxrss;
    r.codigo = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream linhas(saida);
    for (std::string nome; linhas >> nome;) {
        double v = 0;
        linhas >> v;
        if (nome == "pausa") {
            r.maiorPausa = v;
            std::getline(linhas >> std::ws, r.ondePausa);
        } else {
            r.etapas[nome] = v;
        }
    }
    return r;
}

// Rows of one table sent `porBloco` at a time in one prepared EXECUTE BLOCK (parameters of
// the columns' own types, or the literal `literais` gives a column), the tail in a shorter
// one: the block floors' inserts.
class InsercaoEmBlocos {
public:
    InsercaoEmBlocos(db::Database& d, db::Transaction& tr, std::string tabela, std::vector<std::string> colunas,
                     std::size_t porBloco, const std::map<std::string, std::string>& literais = {})
        : d_(d), tr_(tr), tabela_(std::move(tabela)), colunas_(std::move(colunas)), porBloco_(porBloco)
    {
        for (const std::string& c : colunas_)
            literais_.push_back(literais.count(c) ? literais.at(c) : std::string());
    }
    std::vector<db::Param>& linha()
    {
        linhas_.emplace_back();
        for (const std::string& c : colunas_)
            linhas_.back().emplace_back(c);
        return linhas_.back();
    }
    void talvezEnviar()
    {
        if (cheio())
            enviar();
    }
    bool cheio() const { return linhas_.size() == porBloco_; }
    void enviar()
    {
        if (linhas_.empty())
            return;
        std::unique_ptr<db::Query>& q = blocos_[linhas_.size()];
        if (!q) {
            q = std::make_unique<db::Query>();
            q->setDatabase(&d_);
            q->setTransaction(&tr_);
            BlocoDeInsercoes b = blocoDeInsercoes(tabela_, colunas_, linhas_.size(), literais_);
            q->redefinirComoNoServidor(std::move(b.texto), std::move(b.nomes));
        }
        std::vector<db::Param>& params = q->params();
        std::size_t k = 0;
        for (std::size_t r = 0; r < linhas_.size(); ++r)
            for (std::size_t i = 0; i < colunas_.size(); ++i)
                if (literais_[i].empty())
                    params[k++].copiarValor(linhas_[r][i]);
        q->execute();
        linhas_.clear();
    }

private:
    db::Database& d_;
    db::Transaction& tr_;
    std::string tabela_;
    std::vector<std::string> colunas_;
    std::size_t porBloco_;
    std::vector<std::string> literais_;
    std::vector<std::vector<db::Param>> linhas_;
    std::map<std::size_t, std::unique_ptr<db::Query>> blocos_;
};

// What both floors share: the staged rows, read before the clock starts; one connection and
// one transaction; the unit types and NCM codes written as the records name them, their codes
// kept in memory.
struct Piso {
    staging::StagingTable t{""};
    db::Database d;
    db::Transaction tr;
    Relogio::time_point inicio;
    std::unique_ptr<db::Query> unidade, ncm;
    std::map<std::string, int> unidades, ncms;

    Piso(teste::BancoTeste& banco, const std::string& csv)
    {
        staging::carregarProdutos(t, csv, [] {});
        inicio = Relogio::now();
        d.setDatabaseName(banco.nome());
        d.setParams({"user_name=SYSDBA", "password=kelpdrone", "lc_ctype=ISO8859_1"});
        d.setDefaultTransaction(&tr);
        tr.setParams({"read_committed", "rec_version", "nowait"});
        unidade = consulta("INSERT INTO TIPOUNIDADE VALUES (:C, :U, :A)");
        ncm = consulta("INSERT INTO CODIGONCM (NCM_DESCRICAO, NCM_CODIGO, NCM_CODIGOSTRING) VALUES (:D, :C, :S)");
    }
    std::unique_ptr<db::Query> consulta(const std::string& sql)
    {
        auto q = std::make_unique<db::Query>();
        q->setDatabase(&d);
        q->setTransaction(&tr);
        q->setSQL(sql);
        return q;
    }
    // The current record's unit and NCM codes, their rows written the first time.
    std::pair<int, int> codigos()
    {
        const std::string u = t.asText(staging::UNIDADE), n = t.asText(staging::NCM);
        if (!u.empty() && unidades.emplace(u, static_cast<int>(unidades.size()) + 1).second) {
            unidade->paramByName("C").setAsInteger(static_cast<int>(unidades.size()));
            unidade->paramByName("U").setAsString(u);
            unidade->paramByName("A").setAsString(u.substr(0, 2));
            unidade->execute();
        }
        if (ncms.emplace(n, static_cast<int>(ncms.size()) + 1).second) {
            ncm->paramByName("D").setAsString(n);
            ncm->paramByName("C").setAsInteger(static_cast<int>(ncms.size()));
            ncm->paramByName("S").setAsString(n);
            ncm->execute();
        }
        return {u.empty() ? 0 : unidades[u], ncms[n]};
    }
    double terminar()
    {
        tr.commit();
        d.disconnect();
        return segundosDesde(inicio);
    }
};

// The same rows, with the columns the stages write, the products 50 and the price items 200
// a block in one transaction: what the wire and the engine allow. `literais`: the values that
// are the same for every row (and the columns left NULL) written as literals in the block,
// the products then 200 a block too.
double linhaDeBaseEmBlocos(teste::BancoTeste& banco, const std::string& csv, bool literais)
{
    Piso piso(banco, csv);
    db::Database& d = piso.d;
    db::Transaction& tr = piso.tr;
    // The columns the product stage binds (NULL where it binds nothing) and the flags its
    // closing statement sets; the price stage's columns.
    // clang-format off
    const std::vector<std::string> colunasProduto = {
        "PRO_CODIGO", "PRO_IPI", "CONSIDERARMERCADORIA", "PRO_NOME", "LIN_CODIGO", "FIL_CODIGO", "DEP_CODIGO",
        "GRU_CODIGO", "SUB_CODIGO", "ICM_CODIGO", "PRO_ESTOQMIN", "PRO_CAMINHOIMAGEM", "PRO_PISCOFINS",
        "PRO_SUBSTITUIDO", "PRO_COMPOSTO", "PRO_RS_COMPETITIVO", "PRO_CUSTO_AUTOMATICO", "PRO_PRAZO_VALIDADE",
        "PRO_GRUPO", "STATUS_REGISTRO", "PRO_BLOQUEADO", "PRO_CODIGOPROPRIO", "PRO_TIPO", "PRO_INATIVO", "MSG_CODIGO",
        "PRO_DIFER_PARCIAL", "PRO_QTDNACAIXA", "FOR_CODIGO", "PRO_PERCCOFINS", "PRO_PERCPIS", "NCM_CODIGO",
        "PRO_MVA", "PRO_CODPIS", "PRO_CODCOFINS", "UNI_CODIGO", "PRO_CODBARRAS", "NAT_CODOPERA_NFCE",
        "PROD_REVENDA", "PRO_CONTROLADO"};
    // clang-format on
    std::map<std::string, std::string> fixos, fixosItem;
    if (literais) {
        for (const std::string& c : colunasProduto)
            fixos[c] = "NULL";
        for (const char* c : {"PRO_CODIGO", "PRO_NOME", "ICM_CODIGO", "PRO_CODIGOPROPRIO", "NCM_CODIGO", "PRO_CODPIS",
                              "PRO_CODCOFINS", "UNI_CODIGO"})
            fixos.erase(c);
        for (const auto& [c, v] : std::map<std::string, std::string>{{"PRO_IPI", "0"},
                                                                     {"CONSIDERARMERCADORIA", "'T'"},
                                                                     {"FIL_CODIGO", "1"},
                                                                     {"PRO_PISCOFINS", "'F'"},
                                                                     {"PRO_SUBSTITUIDO", "'F'"},
                                                                     {"PRO_PERCCOFINS", "0E0"},
                                                                     {"PRO_PERCPIS", "0E0"},
                                                                     {"PRO_MVA", "0"},
                                                                     {"PRO_CODBARRAS", "''"},
                                                                     {"PROD_REVENDA", "'N'"},
                                                                     {"PRO_CONTROLADO", "'F'"},
                                                                     {"PRO_BLOQUEADO", "'F'"},
                                                                     {"PRO_INATIVO", "'F'"}})
            fixos[c] = v;
        fixosItem = {{"UNI_CODIGO", "NULL"},
                     {"LST_CODIGO", "1"},
                     {"ITL_DATAVIGENCIA", "TIMESTAMP '2024-02-09 00:00:00'"},
                     {"ITL_DATAALTERA", "TIMESTAMP '2024-03-10 00:00:00'"},
                     {"COM_CODIGO", "1"},
                     {"ITL_PRECOANTERIOR", "0"},
                     {"ITL_MUDAPRECO", "'T'"},
                     {"ITL_PRECOCUSTO", "0"}};
    }
    InsercaoEmBlocos produtos(d, tr, "PRODUTO", colunasProduto, literais ? 200 : 50, fixos);
    InsercaoEmBlocos itens(d, tr, "ITENSLISTA",
                           {"UNI_CODIGO", "LST_CODIGO", "ITL_DATAVIGENCIA", "PRO_CODIGO", "ITL_PRECOATUAL",
                            "ITL_DATAALTERA", "COM_CODIGO", "ITL_PRECOANTERIOR", "ITL_MUDAPRECO", "ITL_PRECOCUSTO"},
                           200, fixosItem);
    staging::StagingTable& t = piso.t;
    for (t.first(); !t.eof(); t.next()) {
        const auto [uni, ncm] = piso.codigos();
        const std::string codigo = t.asText(staging::COD_PRODUTO);
        std::vector<db::Param>& p = produtos.linha();
        auto coluna = [&](const char* nome) -> db::Param& {
            return p[static_cast<std::size_t>(std::find(colunasProduto.begin(), colunasProduto.end(), nome) -
                                              colunasProduto.begin())];
        };
        coluna("PRO_CODIGO").setAsString(codigo);
        coluna("PRO_IPI").setAsCurrency(0);
        coluna("CONSIDERARMERCADORIA").setAsString("T");
        coluna("PRO_NOME").setAsString(t.asText(staging::DESCRICAO));
        coluna("FIL_CODIGO").setAsInteger(1);
        coluna("ICM_CODIGO").setAsInteger(t.asInteger(staging::ICMS));
        coluna("PRO_PISCOFINS").setAsString("F");
        coluna("PRO_SUBSTITUIDO").setAsString("F");
        coluna("PRO_CODIGOPROPRIO").setAsString(codigo.substr(0, 10));
        coluna("PRO_PERCCOFINS").setAsFloat(0.0);
        coluna("PRO_PERCPIS").setAsFloat(0.0);
        coluna("NCM_CODIGO").setAsInteger(ncm);
        coluna("PRO_MVA").setAsCurrency(0);
        coluna("PRO_CODPIS").setAsString(t.asText(staging::PIS));
        coluna("PRO_CODCOFINS").setAsString(t.asText(staging::COFINS));
        coluna("UNI_CODIGO").setAsInteger(uni);
        coluna("PRO_CODBARRAS").setAsString("");
        coluna("PROD_REVENDA").setAsString("N");
        for (const char* f : {"PRO_CONTROLADO", "PRO_BLOQUEADO", "PRO_INATIVO"})
            coluna(f).setAsString("F");
        std::vector<db::Param>& i = itens.linha();
        i[1].setAsInteger(1);
        i[2].setAsDateTime({2024, 2, 9, 0, 0, 0});
        i[3].setAsInteger(t.asInteger(staging::COD_PRODUTO));
        i[4].setAsCurrency(t.asMoney(staging::VALORVENDA));
        i[5].setAsDateTime({2024, 3, 10, 0, 0, 0});
        i[6].setAsInteger(1);
        i[7].setAsCurrency(0);
        i[8].setAsString("T");
        i[9].setAsCurrency(0);
        produtos.talvezEnviar();
        // The items reference the products: theirs go first.
        if (itens.cheio()) {
            produtos.enviar();
            itens.enviar();
        }
    }
    produtos.enviar();
    itens.enviar();
    return piso.terminar();
}

// One transaction, one prepared insert per table, codes resolved in memory: the floor.
double linhaDeBase(teste::BancoTeste& banco, const std::string& csv)
{
    Piso p(banco, csv);
    auto produto = p.consulta(
        "INSERT INTO PRODUTO (PRO_CODIGO, PRO_IPI, CONSIDERARMERCADORIA, PRO_NOME, FIL_CODIGO, ICM_CODIGO, "
        "PRO_PISCOFINS, PRO_SUBSTITUIDO, PRO_CODIGOPROPRIO, PRO_PERCCOFINS, PRO_PERCPIS, NCM_CODIGO, PRO_MVA, "
        "PRO_CODPIS, PRO_CODCOFINS, UNI_CODIGO, PRO_CODBARRAS, PROD_REVENDA, PRO_CONTROLADO, PRO_BLOQUEADO, "
        "PRO_INATIVO) VALUES (:PRO_CODIGO, 0, 'T', :PRO_NOME, 1, :ICM, 'F', 'F', :PROPRIO, 0, 0, :NCM, 0, :PIS, "
        ":COFINS, :UNI, '', 'N', 'F', 'F', 'F')");
    auto item = p.consulta(
        "INSERT INTO ITENSLISTA (LST_CODIGO, ITL_DATAVIGENCIA, PRO_CODIGO, ITL_PRECOATUAL, ITL_DATAALTERA, "
        "COM_CODIGO, ITL_PRECOANTERIOR, ITL_MUDAPRECO, ITL_PRECOCUSTO) VALUES (1, :V, :P, :PRECO, :A, 1, 0, 'T', 0)");
    staging::StagingTable& t = p.t;
    for (t.first(); !t.eof(); t.next()) {
        const auto [uni, ncm] = p.codigos();
        const std::string codigo = t.asText(staging::COD_PRODUTO);
        produto->paramByName("PRO_CODIGO").setAsString(codigo);
        produto->paramByName("PRO_NOME").setAsString(t.asText(staging::DESCRICAO));
        produto->paramByName("ICM").setAsInteger(t.asInteger(staging::ICMS));
        produto->paramByName("PROPRIO").setAsString(codigo.substr(0, 10));
        produto->paramByName("NCM").setAsInteger(ncm);
        produto->paramByName("PIS").setAsString(t.asText(staging::PIS));
        produto->paramByName("COFINS").setAsString(t.asText(staging::COFINS));
        produto->paramByName("UNI").setAsInteger(uni);
        produto->execute();
        item->paramByName("V").setAsDateTime({2024, 2, 9, 0, 0, 0});
        item->paramByName("P").setAsInteger(t.asInteger(staging::COD_PRODUTO));
        item->paramByName("PRECO").setAsCurrency(t.asMoney(staging::VALORVENDA));
        item->paramByName("A").setAsDateTime({2024, 3, 10, 0, 0, 0});
        item->execute();
    }
    return p.terminar();
}

// The same rows made by the server itself: one EXECUTE BLOCK whose loop inserts each product
// and its price item, one transaction. No wire, no reading: the engine's own floor, below
// which no client can go.
double pisoDoMotor(teste::BancoTeste& banco, int linhas)
{
    banco.executar("INSERT INTO TIPOUNIDADE VALUES (1, 'UN', 'UN');\n"
                   "INSERT INTO CODIGONCM (NCM_DESCRICAO, NCM_CODIGO, NCM_CODIGOSTRING) "
                   "VALUES ('34022000', 1, '34022000');\n");
    const auto inicio = Relogio::now();
    banco.executarUm(
        "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " + std::to_string(linhas) +
        ") DO BEGIN "
        "INSERT INTO PRODUTO (PRO_CODIGO, PRO_IPI, CONSIDERARMERCADORIA, PRO_NOME, FIL_CODIGO, ICM_CODIGO, "
        "PRO_PISCOFINS, PRO_SUBSTITUIDO, PRO_CODIGOPROPRIO, PRO_PERCCOFINS, PRO_PERCPIS, NCM_CODIGO, PRO_MVA, "
        "PRO_CODPIS, PRO_CODCOFINS, UNI_CODIGO, PRO_CODBARRAS, PROD_REVENDA, PRO_CONTROLADO, PRO_BLOQUEADO, "
        "PRO_INATIVO) VALUES (:I, 0, 'T', 'DETERGENTE LIQUIDO NEUTRO 500ML ' || :I, 1, 1, 'F', 'F', :I, 0, 0, 1, "
        "0, '01', '01', 1, '', 'N', 'F', 'F', 'F'); "
        "INSERT INTO ITENSLISTA (LST_CODIGO, ITL_DATAVIGENCIA, PRO_CODIGO, ITL_PRECOATUAL, ITL_DATAALTERA, "
        "COM_CODIGO, ITL_PRECOANTERIOR, ITL_MUDAPRECO, ITL_PRECOCUSTO) VALUES (1, '2024-02-09', :I, 12.34, "
        "'2024-03-10', 1, 0, 'T', 0); "
        "I = I + 1; END END");
    const double segundos = segundosDesde(inicio);
    if (banco.valor("SELECT COUNT(*) FROM ITENSLISTA") != std::to_string(linhas))
        throw std::runtime_error("the engine's floor did not write every row");
    return segundos;
}

} // namespace

int main(int argc, char** argv)
{
    // bench_import [--rapido] [--lote N] [LINES...]: --rapido leaves the default mode out (a
    // million rows in it take the better part of an hour); --lote sets fast mode's batch.
    std::vector<int> tamanhos;
    std::vector<bool> modos = {false, true};
    int lote = ModoExecucao{}.lote;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--rapido")
            modos = {true};
        else if (std::string(argv[i]) == "--lote" && i + 1 < argc)
            lote = std::atoi(argv[++i]);
        else
            tamanhos.push_back(std::atoi(argv[i]));
    }
    if (tamanhos.empty())
        tamanhos = {10000, 50000};
    const fs::path pasta = fs::temp_directory_path() / ("norvo-bench-" + std::to_string(getpid()));
    fs::create_directories(pasta);
    const char* const etapas[] = {"ImportaUnidades", "ImportaNCM", "ImportaProdutos", "ImportaPrecos"};
    std::printf("%-7s %-8s %8s %8s %8s %8s %9s %9s %10s %7s %7s %7s  %s\n", "lines", "mode", "units", "NCM", "products",
                "prices", "whole", "memory", "longest", "floor", "blocks", "literal", "longest pause in");
    for (int n : tamanhos) {
        const fs::path csv = pasta / ("produtos-" + std::to_string(n) + ".csv");
        std::ofstream(csv, std::ios::binary) << bench::gerarArquivoProdutos(n, 11, false);
        teste::BancoTeste base("bench-base");
        base.executar(teste::esquemaDestino());
        const double piso = linhaDeBase(base, csv.string());
        teste::BancoTeste baseBlocos("bench-blocos");
        baseBlocos.executar(teste::esquemaDestino());
        const double pisoBlocos = linhaDeBaseEmBlocos(baseBlocos, csv.string(), false);
        teste::BancoTeste baseLiterais("bench-literais");
        baseLiterais.executar(teste::esquemaDestino());
        const double pisoLiterais = linhaDeBaseEmBlocos(baseLiterais, csv.string(), true);
        teste::BancoTeste baseMotor("bench-motor");
        baseMotor.executar(teste::esquemaDestino());
        const double pisoMotor = pisoDoMotor(baseMotor, n);

        for (const bool rapido : modos) {
            teste::BancoTeste banco("bench");
            banco.executar(teste::esquemaDestino());
            ModoExecucao modo;
            modo.rapido = rapido;
            modo.lote = lote;
            const Execucao e = rodar(csv.string(), banco.caminho(), pasta.string(), modo);
            if (e.codigo != 0) {
                std::fprintf(stderr, "the import failed (exit %d)\n", e.codigo);
                return 1;
            }
            std::printf("%-7d %-8s", n, rapido ? "rapido" : "default");
            for (const char* etapa : etapas)
                std::printf(" %7.2fs", e.etapas.count(etapa) ? e.etapas.at(etapa) : 0.0);
            std::printf(" %8.2fs %6.1f MB %7.0f ms %6.1fx %6.1fx %6.2fx  %s\n", e.segundos, e.picoKb / 1024.0,
                        e.maiorPausa * 1000, e.segundos / piso, e.segundos / pisoBlocos, e.segundos / pisoLiterais,
                        e.ondePausa.c_str());
            if (rapido) {
                // What the safety copy a real run makes first costs on this destination.
                OperadorMedidor op;
                const std::string copia = nomeDaCopia(banco.caminho(), std::time(nullptr));
                const auto inicio = Relogio::now();
                copiarDestino(banco.caminho(), copia, op);
                const double segundos = segundosDesde(inicio);
                std::error_code erro;
                const auto bytes = fs::file_size(copia, erro);
                const auto banco_bytes = fs::file_size(banco.caminho(), erro);
                std::printf("%-7d %-8s %44s %8.2fs  copy %.1f MB of a %.1f MB database\n", n, "copy", "", segundos,
                            bytes / 1048576.0, banco_bytes / 1048576.0);
            }
        }
        std::printf("%-7d %-8s %44s %8.2fs\n", n, "floor", "", piso);
        std::printf("%-7d %-8s %44s %8.2fs\n", n, "blocks", "", pisoBlocos);
        std::printf("%-7d %-8s %44s %8.2fs\n", n, "literal", "", pisoLiterais);
        std::printf("%-7d %-8s %44s %8.2fs\n\n", n, "engine", "", pisoMotor);
        std::fflush(stdout);
    }
    fs::remove_all(pasta);
    return 0;
}
