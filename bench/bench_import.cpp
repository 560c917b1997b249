// The whole product import through the command line, on files of 1,000, 10,000 and 50,000
// lines, each into a fresh database, against a floor: the same rows sent through the client
// in one transaction with one prepared insert per table.
#include "BancoTeste.h"
#include "GeradorProdutos.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include "staging/LeitorCSV.h"
#include "staging/StagingTable.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
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

struct Execucao {
    std::string saida;
    long picoKb = 0;
    double segundos = 0;
    int codigo = -1;
};

Execucao rodarCli(const std::vector<std::string>& args)
{
    int tubo[2];
    if (pipe(tubo) != 0)
        throw std::runtime_error("pipe");
    const auto inicio = Relogio::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(tubo[1], 1);
        dup2(tubo[1], 2);
        close(tubo[0]);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(tubo[1]);
    Execucao r;
    char buf[4096];
    ssize_t n;
    while ((n = read(tubo[0], buf, sizeof buf)) > 0)
        r.saida.append(buf, static_cast<size_t>(n));
    close(tubo[0]);
    int status = 0;
    rusage uso{};
    wait4(pid, &status, 0, &uso);
    r.segundos = segundosDesde(inicio);
    r.picoKb = uso.ru_maxrss;
    r.codigo = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// One transaction, one prepared insert per table, codes resolved in memory: the floor.
double linhaDeBase(teste::BancoTeste& banco, const std::string& csv)
{
    staging::StagingTable t("");
    staging::carregarProdutos(t, csv, [] {});
    const auto inicio = Relogio::now();
    db::Database d;
    db::Transaction tr;
    d.setDatabaseName(banco.nome());
    d.Params = {"user_name=SYSDBA", "password=kelpdrone", "lc_ctype=ISO8859_1"};
    d.setDefaultTransaction(&tr);
    tr.Params = {"read_committed", "rec_version", "nowait"};
    auto consulta = [&](const std::string& sql) {
        auto q = std::make_unique<db::Query>();
        q->setDatabase(&d);
        q->setTransaction(&tr);
        q->setSQL(sql);
        return q;
    };
    auto unidade = consulta("INSERT INTO TIPOUNIDADE VALUES (:C, :U, :A)");
    auto ncm = consulta("INSERT INTO CODIGONCM (NCM_DESCRICAO, NCM_CODIGO, NCM_CODIGOSTRING) VALUES (:D, :C, :S)");
    auto produto = consulta(
        "INSERT INTO PRODUTO (PRO_CODIGO, PRO_IPI, CONSIDERARMERCADORIA, PRO_NOME, FIL_CODIGO, ICM_CODIGO, "
        "PRO_PISCOFINS, PRO_SUBSTITUIDO, PRO_CODIGOPROPRIO, PRO_PERCCOFINS, PRO_PERCPIS, NCM_CODIGO, PRO_MVA, "
        "PRO_CODPIS, PRO_CODCOFINS, UNI_CODIGO, PRO_CODBARRAS, PROD_REVENDA, PRO_CONTROLADO, PRO_BLOQUEADO, "
        "PRO_INATIVO) VALUES (:PRO_CODIGO, 0, 'T', :PRO_NOME, 1, :ICM, 'F', 'F', :PROPRIO, 0, 0, :NCM, 0, :PIS, "
        ":COFINS, :UNI, '', 'N', 'F', 'F', 'F')");
    auto item = consulta(
        "INSERT INTO ITENSLISTA (LST_CODIGO, ITL_DATAVIGENCIA, PRO_CODIGO, ITL_PRECOATUAL, ITL_DATAALTERA, "
        "COM_CODIGO, ITL_PRECOANTERIOR, ITL_MUDAPRECO, ITL_PRECOCUSTO) VALUES (1, :V, :P, :PRECO, :A, 1, 0, 'T', 0)");
    std::map<std::string, int> unidades, ncms;
    for (t.first(); !t.eof(); t.next()) {
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
        const std::string codigo = t.asText(staging::COD_PRODUTO);
        produto->paramByName("PRO_CODIGO").setAsString(codigo);
        produto->paramByName("PRO_NOME").setAsString(t.asText(staging::DESCRICAO));
        produto->paramByName("ICM").setAsInteger(t.asInteger(staging::ICMS));
        produto->paramByName("PROPRIO").setAsString(codigo.substr(0, 10));
        produto->paramByName("NCM").setAsInteger(ncms[n]);
        produto->paramByName("PIS").setAsString(t.asText(staging::PIS));
        produto->paramByName("COFINS").setAsString(t.asText(staging::COFINS));
        produto->paramByName("UNI").setAsInteger(u.empty() ? 0 : unidades[u]);
        produto->execute();
        item->paramByName("V").setAsDateTime({2024, 2, 9, 0, 0, 0});
        item->paramByName("P").setAsInteger(t.asInteger(staging::COD_PRODUTO));
        item->paramByName("PRECO").setAsCurrency(t.asMoney(staging::VALORVENDA));
        item->paramByName("A").setAsDateTime({2024, 3, 10, 0, 0, 0});
        item->execute();
    }
    tr.commit();
    d.disconnect();
    return segundosDesde(inicio);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> tamanhos = {1000, 10000, 50000};
    if (argc > 1) {
        tamanhos.clear();
        for (int i = 1; i < argc; ++i)
            tamanhos.push_back(std::atoi(argv[i]));
    }
    const fs::path pasta = fs::temp_directory_path() / ("norvo-bench-" + std::to_string(getpid()));
    fs::create_directories(pasta);
    std::printf("%-8s %-18s %10s %12s\n", "lines", "stage", "seconds", "records/s");
    const std::regex linhaResumo(R"((\w+): (\d+) gravados, (\d+) falhas.* \(([\d.]+) s\))");
    for (int n : tamanhos) {
        const fs::path csv = pasta / ("produtos-" + std::to_string(n) + ".csv");
        std::ofstream(csv, std::ios::binary) << bench::gerarArquivoProdutos(n, 11, false);

        teste::BancoTeste banco("bench");
        banco.executar(teste::esquemaDestino());
        const Execucao e = rodarCli({NORVO_CLI, "--csv", csv.string(), "--destino", banco.caminho(), "--produtos",
                                     "--sim", "--logs", pasta.string()});
        if (e.codigo != 0) {
            std::fprintf(stderr, "the import failed (exit %d):\n%s\n", e.codigo, e.saida.c_str());
            return 1;
        }
        double etapas = 0;
        for (std::sregex_iterator it(e.saida.begin(), e.saida.end(), linhaResumo), fim; it != fim; ++it) {
            const double s = std::stod((*it)[4]);
            etapas += s;
            std::printf("%-8d %-18s %10.2f %12.0f\n", n, (*it)[1].str().c_str(), s, s > 0 ? n / s : 0.0);
        }
        teste::BancoTeste base("bench-base");
        base.executar(teste::esquemaDestino());
        const double piso = linhaDeBase(base, csv.string());
        std::printf("%-8d %-18s %10.2f %12.0f   peak memory %ld KiB\n", n, "whole run", e.segundos, n / e.segundos,
                    e.picoKb);
        std::printf("%-8d %-18s %10.2f %12.0f   ratio %.1fx (stages %.2f s)\n\n", n, "baseline", piso, n / piso,
                    e.segundos / piso, etapas);
        std::fflush(stdout);
    }
    fs::remove_all(pasta);
    return 0;
}
