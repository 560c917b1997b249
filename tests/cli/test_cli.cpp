// The command line end to end: usage, a run over a small file, exit codes and logs.
#include "BancoTeste.h"
#include "Processo.h"
#include "OperadorTeste.h"
#include "cli/Argumentos.h"
#include "db/Database.h"
#include "import/Copia.h"
#include "import/Textos.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <ctime>
#include <thread>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>
#include <algorithm>

using namespace norvo;
using namespace norvo::teste;
namespace fs = std::filesystem;

namespace {

struct Saida {
    int codigo;
    std::string texto;
};

Saida rodar(const std::string& args, const std::string& pastaDeTrabalho = ".")
{
    const std::string cmd = "cd " + pastaDeTrabalho + " && " + NORVO_CLI + " " + args + " 2>&1 </dev/null";
    std::FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    const int status = pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string ler(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return f ? s.str() : "<missing>";
}

struct LinhaDeComando : ::testing::Test {
    fs::path pasta = fs::temp_directory_path() / ("norvo-cli-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    LinhaDeComando()
    {
        fs::remove_all(pasta);
        fs::create_directories(pasta);
    }
    ~LinhaDeComando() override { fs::remove_all(pasta); }
    std::string csv(const std::string& conteudo)
    {
        std::ofstream(pasta / "p.csv", std::ios::binary) << conteudo;
        return (pasta / "p.csv").string();
    }
};

} // namespace

TEST(Argumentos, UsoRuimEhRecusado)
{
    EXPECT_THROW(cli::lerArgumentos({"--destino", "x"}), std::invalid_argument);
    EXPECT_THROW(cli::lerArgumentos({"--produtos", "--destino", "x"}), std::invalid_argument);
    EXPECT_THROW(cli::lerArgumentos({"--clientes"}), std::invalid_argument);
    EXPECT_THROW(cli::lerArgumentos({"--csv"}), std::invalid_argument);
    EXPECT_THROW(cli::lerArgumentos({"--talvez"}), std::invalid_argument);
    const auto a = cli::lerArgumentos({"--clientes", "--destino", "/d.fdb", "--origem", "/o.fdb", "--sim"});
    EXPECT_TRUE(a.opcoes.clientes && a.sim && !a.opcoes.produtos);
    EXPECT_EQ(a.origem.value_or(""), "/o.fdb");
    EXPECT_EQ(rodar("--bogus").codigo, 2);
    EXPECT_EQ(rodar("--help").codigo, 0);

    // A repeated option used to be taken silently (the last --csv won), and an option where a
    // path was expected became the path: both would run on something not meant.
    Saida s = rodar("--csv a.csv --produtos --csv b.csv --destino /d.fdb --sim");
    EXPECT_EQ(s.codigo, 2);
    EXPECT_EQ(s.texto.substr(0, s.texto.find('\n')), "importa-norvo-cli: opção repetida: --csv") << s.texto;
    s = rodar("--destino --produtos --csv a.csv --sim");
    EXPECT_EQ(s.codigo, 2);
    EXPECT_EQ(s.texto.substr(0, s.texto.find('\n')), "importa-norvo-cli: --destino espera um caminho, não --produtos")
        << s.texto;
    s = rodar("--restaurar /c.fbk --destino /d.fdb --produtos --sim");
    EXPECT_EQ(s.codigo, 2);
    EXPECT_NE(s.texto.find("--restaurar não se combina com --produtos"), std::string::npos) << s.texto;
    EXPECT_THROW(cli::lerArgumentos({"--restaurar", "/c.fbk"}), std::invalid_argument);
    EXPECT_THROW(cli::lerArgumentos({"--clientes", "--destino", "/d.fdb", "--sim", "--sim"}), std::invalid_argument);
    const auto r = cli::lerArgumentos({"--restaurar", "/c.fbk", "--destino", "/d.fdb", "--sim"});
    EXPECT_EQ(r.restaurar.value_or(""), "/c.fbk");
    EXPECT_TRUE(r.sim && !r.opcoes.produtos);
    EXPECT_TRUE(cli::lerArgumentos({"--clientes", "--destino", "/d.fdb", "--sem-copia"}).opcoes.semCopia);
    const std::string ajuda = rodar("--help").texto;
    for (const char* opcao : {"--sem-copia", "--restaurar ARQUIVO", "Código de saída"})
        EXPECT_NE(ajuda.find(opcao), std::string::npos) << opcao;
}

TEST_F(LinhaDeComando, ImportaArquivoPequenoEDizOQueGravou)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino());
    const std::string arquivo = csv("1;ARROZ;UN;xx018;;xxx01;xxx01;10063021;5,50\r\n"
                                    "2;FEIJAO;KG;xx018;;xxx01;xxx01;07133399;7.25\r\n"
                                    "3;SAL;UN;xx018;;xxx01;xxx01;25010020;1.234,56\r\n");
    const Saida s =
        rodar("--csv " + arquivo + " --destino " + banco.caminho() + " --produtos --sim --logs " + pasta.string());
    EXPECT_EQ(s.codigo, 0) << s.texto;
    EXPECT_NE(s.texto.find("Total do Contador: 3"), std::string::npos) << s.texto;
    EXPECT_NE(s.texto.find("Produtos: 3 gravados, 0 falhas"), std::string::npos) << s.texto;
    EXPECT_NE(s.texto.find("Importação finalizada com sucesso"), std::string::npos) << s.texto;
    EXPECT_EQ(banco.consultar("SELECT UNI_CODIGO, UNI_DESCRICAO, UNI_UNIDADE FROM TIPOUNIDADE ORDER BY 1"),
              (std::vector<std::vector<std::string>>{{"1", "UN", "UN"}, {"2", "KG", "KG"}}));
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM CODIGONCM"), "3");
    EXPECT_EQ(banco.valor("SELECT GER_VALOR FROM GERACODIGO WHERE GER_TABELA = 'TIPOUNIDADE'"), "3");
    EXPECT_EQ(banco.valor("SELECT ITL_PRECOATUAL FROM ITENSLISTA WHERE PRO_CODIGO = 3"), "1234.56");
    EXPECT_EQ(ler(pasta / "vantor.log"), "<missing>");
}

TEST_F(LinhaDeComando, FalhasDeLinhaDaoCodigoUmELog)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino());
    // Four records with one code: three failures of one cause, summed up once with the
    // first records it hit. The first record's price is no amount, a cause of its own; the
    // others' prices, good as they are, must not land on its product under the shared code.
    // The reading names the repeated code once with all its lines ("01" is the same integer).
    const std::string arquivo = csv("1;A;UN;xx018;;xxx01;xxx01;1;9.9.9\r\n1;B;UN;xx018;;xxx01;xxx01;1;1\r\n"
                                    "01;C;UN;xx018;;xxx01;xxx01;1;1\r\n1;D;UN;xx018;;xxx01;xxx01;1;0,15\r\n\r\n");
    const Saida s = rodar("--csv " + arquivo + " --destino " + banco.caminho() + " --produtos --sim --logs " +
                          pasta.string() + " --problemas " + (pasta / "problemas.csv").string());
    EXPECT_EQ(s.codigo, 1) << s.texto;
    // The reading's notes and the run's failed records, one row each, as a spreadsheet takes them.
    const std::string problemas = ler(pasta / "problemas.csv");
    EXPECT_EQ(
        problemas.rfind(textos::L1("linha;campo;problema;o que a linha tinha\r\n1;VALORVENDA;'9.9.9' não é um "
                                   "preço: o item de preço não será gravado;\"1;A;UN;xx018;;xxx01;xxx01;1;9.9.9\"\r\n"),
                        0),
        0u)
        << problemas;
    EXPECT_NE(
        problemas.find(textos::L1("\r\n3;COD_PRODUTO;Produtos: Código repetido: o destino já tem um registro com esta "
                                  "chave (PK_PRODUTO);1\r\n")),
        std::string::npos)
        << problemas;
    EXPECT_NE(problemas.find(textos::L1("\r\n1;VALORVENDA;Lista de preços: Preço inválido: '...';A\r\n")),
              std::string::npos)
        << problemas;
    EXPECT_NE(s.texto.find("Total do Contador: 4\nNotas da leitura (3):\n  linha 1, VALORVENDA: '9.9.9' não é um "
                           "preço: o item de preço não será gravado [1;A;"),
              std::string::npos)
        << s.texto;
    EXPECT_NE(s.texto.find("\n  linha 5: em branco, ignorada\n  código 1 repetido nas linhas 1, 2, 3 e 4: só a "
                           "primeira será importada\n"),
              std::string::npos)
        << s.texto;
    EXPECT_NE(s.texto.find("Log: " + (pasta / "vantor.log").string()), std::string::npos) << s.texto;
    EXPECT_NE(s.texto.find("Produtos: 1 gravados, 3 falhas"), std::string::npos) << s.texto;
    EXPECT_NE(s.texto.find("\n    3x [335544665] violation of PRIMARY or UNIQUE KEY constraint \"PK_PRODUTO\" on "
                           "table \"PRODUTO\" - registros: 1 (linha 2), 1 (linha 3), 1 (linha 4)\n"),
              std::string::npos)
        << s.texto;
    EXPECT_NE(s.texto.find("Lista de preços: 0 gravados, 4 falhas"), std::string::npos) << s.texto;
    EXPECT_NE(s.texto.find("\n    3x Produto não gravado: o item de preço não foi gravado - registros: B (linha 2), "
                           "C (linha 3), D (linha 4)\n    1x Preço inválido: '...' - registros: A (linha 1)"),
              std::string::npos)
        << s.texto;
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ITENSLISTA"), "0");
    EXPECT_EQ(ler(pasta / "vantor.log").rfind(textos::L1("Erro na importação de PRODUTO no Registro 1\r\n"), 0), 0u);

    // Rehearsed, the summary says what would be written and what would fail.
    const Saida ensaio =
        rodar("--csv " + arquivo + " --destino " + banco.caminho() + " --produtos --simular --logs " + pasta.string());
    EXPECT_NE(ensaio.texto.find("Produtos: 1 seriam gravados, 3 falhariam"), std::string::npos) << ensaio.texto;
}

TEST_F(LinhaDeComando, DiscoCheioParaNaPrimeiraFalha)
{
    // The destination on a filesystem with little room left: the products fill it. The run
    // stops at the first "no space" failure with one log entry, says what to do and exits 1.
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small filesystem needs root";
    const fs::path disco = fs::path(pastaBancos()) / ("disco-" + std::to_string(::getpid()));
    fs::create_directories(disco);
    ASSERT_EQ(std::system(("mount -t tmpfs -o size=3m,mode=0777 tmpfs " + disco.string()).c_str()), 0);
    struct Desmontar {
        fs::path p;
        ~Desmontar()
        {
            ::umount2(p.c_str(), MNT_DETACH);
            std::error_code e;
            fs::remove(p, e);
        }
    } desmontar{disco};
    BancoTeste banco("cheio", false, disco.string());
    banco.executar(esquemaDestino());
    {
        // All but 150 KB taken: the units and NCM codes fit, a few hundred products do not.
        struct statvfs livre {};
        ASSERT_EQ(::statvfs(disco.c_str(), &livre), 0);
        const auto sobra = static_cast<long long>(livre.f_bavail) * livre.f_frsize - 150 * 1024;
        ASSERT_GT(sobra, 0);
        std::ofstream(disco / "ocupado", std::ios::binary) << std::string(static_cast<std::size_t>(sobra), 'x');
    }
    std::string linhas;
    for (int c = 1; c <= 3000; ++c)
        linhas +=
            std::to_string(c) + ";" + std::string(90, 'P') + std::to_string(c) + ";UN;xx018;;1;1;10063021;2,50\r\n";
    const Saida s = rodar("--csv " + csv(linhas) + " --destino " + banco.caminho() +
                          " --produtos --sim --sem-copia --logs " + pasta.string());
    EXPECT_EQ(s.codigo, 1) << s.texto;
    EXPECT_NE(s.texto.find("Importação interrompida: o disco do banco de destino está cheio: libere espaço e importe "
                           "de novo"),
              std::string::npos)
        << s.texto;
    EXPECT_NE(s.texto.find("Lista de preços: não iniciada"), std::string::npos) << s.texto;
    const std::string log = ler(pasta / "vantor.log");
    const std::string entrada = textos::L1("Erro na importação de PRODUTO no Registro ");
    EXPECT_NE(log.find(entrada), std::string::npos) << log;
    EXPECT_EQ(log.find(entrada, log.find(entrada) + 1), std::string::npos) << "one entry: " << log;
    EXPECT_NE(log.find("No space left on device"), std::string::npos) << log;
}

// What a terminal shows of a run: each line as its last "\r" left it.
static std::vector<std::string> telaDoTerminal(const std::string& args)
{
    std::vector<std::string> argv = {NORVO_CLI};
    std::istringstream palavras(args);
    for (std::string p; palavras >> p;)
        argv.push_back(p);
    int mestre = -1;
    const pid_t pid = ::forkpty(&mestre, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::vector<char*> c;
        for (std::string& a : argv)
            c.push_back(a.data());
        c.push_back(nullptr);
        ::execv(NORVO_CLI, c.data());
        ::_exit(127);
    }
    std::string saida;
    char buf[4096];
    for (ssize_t n; (n = ::read(mestre, buf, sizeof buf)) > 0;)
        saida.append(buf, static_cast<std::size_t>(n));
    ::close(mestre);
    ::waitpid(pid, nullptr, 0);
    std::vector<std::string> tela(1);
    std::size_t coluna = 0;
    for (const char c : saida) {
        if (c == '\n') {
            tela.emplace_back();
            coluna = 0;
        } else if (c == '\r') {
            coluna = 0;
        } else {
            std::string& linha = tela.back();
            if (coluna < linha.size())
                linha[coluna] = c;
            else
                linha += c;
            ++coluna;
        }
    }
    for (std::string& linha : tela)
        linha.erase(linha.find_last_not_of(' ') + 1);
    return tela;
}

TEST_F(LinhaDeComando, NoTerminalCadaEtapaTerminaComOQueFezEODesfechoUmaVez)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino());
    std::string linhas;
    for (int c = 1; c <= 30; ++c)
        linhas += std::to_string(c) + ";ITEM " + std::to_string(c) + ";UN;xx018;;xxx01;xxx01;1006;2.00\r\n";
    const std::vector<std::string> tela = telaDoTerminal("--csv " + csv(linhas) + " --destino " + banco.caminho() +
                                                         " --produtos --sim --sem-copia --logs " + pasta.string());
    auto linhaQueComeca = [&](const std::string& inicio) {
        std::string achada = "<none>";
        for (const std::string& l : tela)
            if (l.rfind(inicio, 0) == 0)
                achada = l;
        return achada;
    };
    auto terminaCom = [](const std::string& l, const std::string& fim) {
        return l.size() >= fim.size() && l.compare(l.size() - fim.size(), fim.size(), fim) == 0;
    };
    std::string todas;
    for (const std::string& l : tela)
        todas += l + "\n";
    EXPECT_TRUE(terminaCom(linhaQueComeca("Importando Unidades"), "] 100% 30/30")) << todas;
    EXPECT_TRUE(terminaCom(linhaQueComeca("Importando NCM"), "]   3% 1/30")) << todas;
    EXPECT_TRUE(terminaCom(linhaQueComeca("Importando Produtos"), "] 100% 30/30")) << todas;
    EXPECT_TRUE(terminaCom(linhaQueComeca("Importando preço dos produtos (30)"), "] 100% 30/30")) << todas;
    EXPECT_EQ(std::count(tela.begin(), tela.end(), "Importação finalizada com sucesso"), 1) << todas;
}

TEST_F(LinhaDeComando, SemConfirmacaoOuSemConexaoNadaEhFeito)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino() + "INSERT INTO TIPOUNIDADE VALUES (9, 'X', 'X');");
    const std::string arquivo = csv("1;A;UN;xx018;;xxx01;xxx01;1;1\r\n");
    Saida s = rodar("--csv " + arquivo + " --destino " + banco.caminho() + " --produtos --logs " + pasta.string());
    EXPECT_EQ(s.codigo, 2) << s.texto; // no terminal to confirm on, no --sim
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM TIPOUNIDADE"), "1");

    s = rodar("--csv " + arquivo + " --destino /nao/existe.fdb --produtos --sim");
    EXPECT_EQ(s.codigo, 2);
    EXPECT_NE(s.texto.find("Falha na função: \"Connectar\""), std::string::npos) << s.texto;

    s = rodar("--csv " + (pasta / "nada.csv").string() + " --destino " + banco.caminho() + " --produtos --sim");
    EXPECT_EQ(s.codigo, 2);
    EXPECT_NE(s.texto.find("Cannot open file"), std::string::npos) << s.texto;
}

namespace {

// The command line as a child process whose output is read as it comes, so that a test can
// send it a signal at a chosen point of the run.

} // namespace

TEST_F(LinhaDeComando, SinalParaORunDepoisDoRegistroEmCursoESaiLimpo)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino());
    std::string conteudo;
    for (int c = 1; c <= 2000; ++c)
        conteudo += std::to_string(c) + ";PRODUTO " + std::to_string(c) + ";UN;xx018;;xxx01;xxx01;1006;1.50\r\n";
    const std::string arquivo = csv(conteudo);
    const std::vector<std::string> args{"--csv",      arquivo, "--destino", banco.caminho(),
                                        "--produtos", "--sim", "--logs",    pasta.string()};

    for (const int s : {SIGINT, SIGTERM}) {
        // Rows of the round before would make the wait below end before this run's DELETE.
        banco.executar("DELETE FROM ITENSLISTA; DELETE FROM PRODUTO;");
        Processo filho(args);
        ASSERT_TRUE(filho.aguardar("Importando Produtos")) << filho.texto();
        // Once some products are committed, in the middle of the stage.
        for (int i = 0; i < 600 && std::stoi(banco.valor("SELECT COUNT(*) FROM PRODUTO")) < 20; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        filho.sinal(s);
        const int codigo = filho.terminar();
        const std::string& out = filho.texto();
        EXPECT_EQ(codigo, 128 + s) << out;

        // The summary tells what was written and what was left, and nothing committed is lost.
        const int gravados = std::stoi(banco.valor("SELECT COUNT(*) FROM PRODUTO"));
        EXPECT_GE(gravados, 20);
        EXPECT_LT(gravados, 2000) << "the signal came too late to test anything";
        EXPECT_NE(out.find("Produtos: " + std::to_string(gravados) + " gravados, 0 falhas, " +
                           std::to_string(2000 - gravados) + " não tentados, interrompida pelo operador"),
                  std::string::npos)
            << out;
        EXPECT_NE(out.find("Lista de preços: não iniciada, interrompida pelo operador"), std::string::npos) << out;
        EXPECT_NE(out.find("Importação interrompida pelo operador"), std::string::npos) << out;
        EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ITENSLISTA"), "0");
        // The stage's closing update still covered the products it wrote.
        EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO WHERE PRO_BLOQUEADO = 'F'"), std::to_string(gravados));
    }
}

TEST_F(LinhaDeComando, ArquivoDeEstagioQueNaoPodeSerGravadoNaoPassaCalado)
{
    BancoTeste banco("cli");
    banco.executar(esquemaDestino());
    const std::string arquivo = csv("1;ARROZ;UN;xx018;;xxx01;xxx01;10063021;5,50\r\n");
    // The staging file lands in the working directory, where its name is taken by a folder.
    fs::create_directory(pasta / "ProdutosTARVEX.cds");
    const Saida s =
        rodar("--csv " + arquivo + " --destino " + banco.caminho() + " --produtos --sim --logs " + pasta.string(),
              pasta.string());
    EXPECT_EQ(s.codigo, 1) << s.texto;
    EXPECT_NE(s.texto.find("Cannot create file \"" + (pasta / "ProdutosTARVEX.cds").string() + "\""), std::string::npos)
        << s.texto;
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO"), "1"); // the run itself went through
}

TEST_F(LinhaDeComando, RestauraACopiaSoComODestinoLivreESemNuncaPerdeLo)
{
    std::tm dia{};
    dia.tm_year = 2026 - 1900, dia.tm_mon = 11, dia.tm_mday = 8, dia.tm_hour = 15, dia.tm_min = 4, dia.tm_sec = 5;
    dia.tm_isdst = -1;
    EXPECT_EQ(nomeDaCopia("/dados/NORVO.FDB", std::mktime(&dia)), "/dados/NORVO-20261208-150405.fbk");

    BancoTeste banco("restaura");
    banco.executar(esquemaDestino() + "INSERT INTO TIPOUNIDADE VALUES (1, 'UN', 'UN');\n"
                                      "INSERT INTO TIPOUNIDADE VALUES (2, 'CX', 'CX');\n"
                                      "INSERT INTO GERACODIGO (GER_TABELA, GER_VALOR) VALUES ('TIPOUNIDADE', 3);\n");
    const std::string unidades = "SELECT UNI_CODIGO, UNI_DESCRICAO, UNI_UNIDADE FROM TIPOUNIDADE ORDER BY 1";
    const std::string registro = "SELECT GER_TABELA, GER_VALOR FROM GERACODIGO ORDER BY 1";
    const auto unidadesAntes = banco.consultar(unidades);
    const auto registroAntes = banco.consultar(registro);

    // The copy a run makes before it empties anything.
    const std::string copia = nomeDaCopia(banco.caminho(), std::time(nullptr));
    const fs::path cortada = fs::path(pastaBancos()) / ("cortada-" + std::to_string(::getpid()) + ".fbk");
    struct Apagar {
        std::vector<fs::path> arquivos;
        ~Apagar()
        {
            std::error_code erro;
            for (const fs::path& a : arquivos)
                fs::remove(a, erro);
        }
    } apagar{{copia, cortada}};
    OperadorTeste op;
    copiarDestino(banco.caminho(), copia, op);
    ASSERT_TRUE(fs::exists(copia));
    EXPECT_EQ(op.status_.front(), textos::L1("Copiando o banco de destino para ") + copia);
    EXPECT_GT(op.eventosProcessados, 1);

    // What the run did afterwards, and what the restore must undo.
    banco.executar("DELETE FROM TIPOUNIDADE;\nINSERT INTO TIPOUNIDADE VALUES (7, 'KG', 'KG');\n"
                   "UPDATE GERACODIGO SET GER_VALOR = 8;\n");
    const auto unidadesDepois = banco.consultar(unidades);
    const std::string restaurar = "--restaurar " + copia + " --destino " + banco.caminho();
    const std::string provisorio = nomeDoProvisorio(banco.caminho());

    {
        // Someone still works on the destination: refused, nothing touched.
        db::Database outro;
        outro.setDatabaseName(banco.nome());
        outro.setParams({"user_name=SYSDBA", "password=kelpdrone"});
        outro.connect();
        const Saida s = rodar(restaurar + " --sim");
        EXPECT_EQ(s.codigo, 2) << s.texto;
        EXPECT_NE(s.texto.find("Restauração recusada: há 1 conexão aberta com o banco de destino"), std::string::npos)
            << s.texto;
        EXPECT_EQ(s.texto.find("Confirma ?"), std::string::npos) << "refused before asking";
        EXPECT_EQ(banco.consultar(unidades), unidadesDepois);
    }

    // A copy cut short: the server drops what it restores over before finding that out, so
    // the destination must never be the first thing it restores over.
    {
        const std::string inteira = ler(copia); // half of what it holds: the last block is padded
        std::ofstream(cortada, std::ios::binary) << inteira.substr(0, inteira.find_last_not_of('\0') / 2);
    }
    Saida s = rodar("--restaurar " + cortada.string() + " --destino " + banco.caminho() + " --sim");
    EXPECT_EQ(s.codigo, 1) << s.texto;
    EXPECT_NE(s.texto.find("Restauração não realizada, o banco de destino não foi alterado"), std::string::npos)
        << s.texto;
    EXPECT_NE(s.texto.find("Falha: "), std::string::npos) << s.texto;
    EXPECT_EQ(banco.consultar(unidades), unidadesDepois);
    EXPECT_FALSE(fs::exists(provisorio));
    reiniciarServidor();

    // Not confirmed (no terminal, no --sim): nothing done.
    s = rodar(restaurar);
    EXPECT_EQ(s.codigo, 2) << s.texto;
    EXPECT_EQ(banco.consultar(unidades), unidadesDepois);

    s = rodar(restaurar + " --sim");
    EXPECT_EQ(s.codigo, 0) << s.texto;
    EXPECT_NE(s.texto.find("restaurado a partir da cópia \"" + copia + "\""), std::string::npos) << s.texto;
    EXPECT_EQ(banco.consultar(unidades), unidadesAntes);
    EXPECT_EQ(banco.consultar(registro), registroAntes);
    EXPECT_FALSE(fs::exists(provisorio));
}
