// The two other ways to run: fast mode must end exactly where the default run ends, and a
// rehearsal must leave the destination untouched while logging what the real run logs.
#include "../registry/Origem.h"
#include "GeradorProdutos.h"
#include "Linha.h"
#include "import/Buscas.h"
#include "import/EscritaEmBlocos.h"
#include "registry/EtapaDaOrigem.h"

#include <map>
#include <set>
#include <tuple>
#include <sstream>

using namespace norvo;
using namespace norvo::teste;

namespace {

// Every table a run writes, the sequence register and both logs.
struct Retrato {
    std::map<std::string, Destino::Linhas> tabelas;
    std::string log, log2;
    bool operator==(const Retrato&) const = default;
};

Retrato retratar(BancoTeste& banco, const Destino& d)
{
    Retrato r;
    for (const char* t : {"TIPOUNIDADE ORDER BY UNI_CODIGO", "CODIGONCM ORDER BY NCM_CODIGO",
                          "PRODUTO ORDER BY PRO_CODIGO", "ITENSLISTA ORDER BY PRO_CODIGO", "GERACODIGO ORDER BY 1",
                          "CLIENTE ORDER BY CLI_CODIGO", "FORNECEDOR ORDER BY FOR_CODIGO"})
        r.tabelas[t] = banco.consultar(std::string("SELECT * FROM ") + t);
    r.log = d.arquivo("vantor.log");
    r.log2 = d.arquivo("vantor2.log");
    return r;
}

// Columns narrower than what the file brings: three-letter units, eight-digit NCM codes and
// the longest descriptions fail to insert, and lookups compare texts longer than the column.
std::string esquemaEstreito()
{
    std::string e = esquemaDestino();
    auto trocar = [&](const std::string& de, const std::string& para) {
        const std::size_t p = e.find(de);
        ASSERT_NE(p, std::string::npos) << de;
        e.replace(p, de.size(), para);
    };
    trocar("UNI_UNIDADE    VARCHAR(6)", "UNI_UNIDADE    VARCHAR(2)");
    trocar("UNI_DESCRICAO  VARCHAR(30)", "UNI_DESCRICAO  VARCHAR(2)");
    trocar("NCM_CODIGOSTRING  VARCHAR(10)", "NCM_CODIGOSTRING  VARCHAR(6)");
    trocar("PRO_NOME              VARCHAR(100)", "PRO_NOME              VARCHAR(20)");
    return e;
}

// Every kind of row the stages reject or must match exactly.
std::vector<std::string> arquivoDificil()
{
    std::vector<std::string> l;
    const std::string longo(130, 'N');
    for (int i = 1; i <= 40; ++i) {
        const std::string c = std::to_string(i);
        switch (i % 10) {
        case 0:
            l.push_back(linha(c, L1("AÇÚCAR \"CRISTAL\" 5kg"), "kg", "1701", "12,50"));
            break;
        case 1:
            l.push_back(linha(c, "D'AGUA " + c, "un", "22011000", "1.234,56"));
            break;
        case 2:
            l.push_back(linha(c, longo, L1("çx"), "220110", "0.99"));
            break;
        case 3:
            l.push_back(linha(c, "SEM ICMS", "UN", "2201", "3", "abc"));
            break;
        case 4:
            l.push_back(linha(c, "ICMS VAZIO", "PC", "2201", "3", ""));
            break;
        case 5:
            l.push_back(linha(std::to_string(i - 4), "CODIGO REPETIDO", "UN", "2201", "7.5"));
            break;
        case 6:
            l.push_back(linha("", "SEM CODIGO", "KGS", "2201.10.00", "1"));
            break;
        case 7:
            l.push_back(linha(c, "UNIDADE O'K", "O'K", "22'01", "2"));
            break;
        case 8:
            l.push_back(linha(c, "NCM LONGO", "UN", "12345678", "99999.9999"));
            break;
        default:
            l.push_back(linha(c, "COMUM " + c, "UN", "2201", "1"));
            break;
        }
    }
    return l;
}

// What the destination holds before a rehearsal, to be found again after it.
const std::string DadosAntigos =
    "INSERT INTO TIPOUNIDADE VALUES (9, 'CX', 'CX'); INSERT INTO CODIGONCM VALUES (4, 'X', 'X');"
    "INSERT INTO PRODUTO (PRO_CODIGO, PRO_NOME) VALUES (900, 'ANTIGO');"
    "INSERT INTO ITENSLISTA (LST_CODIGO, PRO_CODIGO) VALUES (1, 900);"
    "INSERT INTO GERACODIGO VALUES ('TIPOUNIDADE', 10);"
    "INSERT INTO CLIENTE (CLI_CODIGO, CLI_RAZAO) VALUES (77, 'CLIENTE ANTIGO');"
    "INSERT INTO FORNECEDOR (FOR_CODIGO, FOR_RAZAO) VALUES (88, 'FORNECEDOR ANTIGO');";

struct Modos : Origem {
    ResultadoImportacao importar(Importador& i, const ModoExecucao& modo, bool cadastros = false)
    {
        OpcoesImportacao o;
        o.produtos = true;
        o.clientes = o.fornecedores = cadastros;
        o.modo = modo;
        o.semCopia = true;
        return i.importar(o);
    }
};

} // namespace

TEST_F(Modos, RapidoTerminaOndeOPadraoTermina)
{
    BancoTeste estreito("padrao"), outro("rapido");
    for (BancoTeste* b : {&estreito, &outro})
        b->executar(esquemaEstreito());
    ModoExecucao rapido;
    rapido.rapido = true;
    rapido.lote = 7; // several batches, failures inside them

    ler(arquivoDificil());
    imp->setDestino(estreito.caminho());
    const ResultadoImportacao padrao = importar(*imp, {});
    const Retrato esperado = retratar(estreito, *this);
    ASSERT_NE(esperado.log.find(L1("Erro na importação de TIPOS DE UNIDADE")), std::string::npos) << esperado.log;
    ASSERT_NE(esperado.log.find(L1("Erro na importação de NCM")), std::string::npos) << esperado.log;
    ASSERT_NE(esperado.log.find(L1("Erro na importação de PRODUTO")), std::string::npos) << esperado.log;

    std::filesystem::remove(pasta / "vantor.log");
    imp->setDestino(outro.caminho());
    const ResultadoImportacao r = importar(*imp, rapido);
    EXPECT_EQ(retratar(outro, *this), esperado) << retratar(outro, *this).log << "\n=====\n" << esperado.log;
    ASSERT_EQ(r.etapas.size(), padrao.etapas.size());
    for (std::size_t i = 0; i < r.etapas.size(); ++i) {
        EXPECT_EQ(r.etapas[i].gravados, padrao.etapas[i].gravados) << r.etapas[i].nome;
        EXPECT_EQ(r.etapas[i].falhas, padrao.etapas[i].falhas) << r.etapas[i].nome;
        EXPECT_EQ(r.etapas[i].ignorados, padrao.etapas[i].ignorados) << r.etapas[i].nome;
    }
    // Each failure points at the staged field at fault, alike in both modes: a text longer
    // than its column at the field the column's value comes from.
    const auto campos = [](const ResultadoImportacao& x) {
        std::set<std::tuple<std::string, std::string, int>> c;
        for (const ResumoEtapa& e : x.etapas)
            for (const CausaDeFalha& f : e.causas)
                for (const CausaDeFalha::Registro& g : f.registros)
                    c.emplace(e.nome, f.qual, g.campo);
        return c;
    };
    EXPECT_EQ(campos(r), campos(padrao));
    EXPECT_TRUE(campos(r).count({"ImportaProdutos", "PRO_NOME", staging::DESCRICAO}));
    EXPECT_TRUE(campos(r).count({"ImportaUnidades", "", staging::UNIDADE}));
}

TEST_F(Modos, SimulacaoNaoGravaNadaEDeixaOsMesmosLogs)
{
    origem.executar(exemploOrigem());
    banco.executar(DadosAntigos);
    ler(arquivoDificil());
    const Retrato antes = retratar(banco, *this);

    for (const bool rapido : {false, true}) {
        ModoExecucao simular;
        simular.simular = true;
        simular.rapido = rapido;
        op.dialogos.clear();
        std::filesystem::remove(pasta / "vantor.log");
        std::filesystem::remove(pasta / "vantor2.log");
        const ResultadoImportacao r = importar(*imp, simular, true);
        EXPECT_TRUE(r.simulada);
        EXPECT_TRUE(op.dialogosDo("confirma").size() == 2u) << "only the two logs' questions, no confirmation";
        Retrato depois = retratar(banco, *this);
        const std::string log = depois.log, log2 = depois.log2;
        depois.log = antes.log;
        depois.log2 = antes.log2;
        EXPECT_EQ(depois, antes) << "rapido " << rapido;
        EXPECT_NE(log.find(L1("Erro na importação de PRODUTO")), std::string::npos) << log;
        EXPECT_NE(log2.find("Cod. Cliente: 3"), std::string::npos) << log2;
        const auto avisos = op.dialogosDo("aviso");
        ASSERT_EQ(avisos.size(), 1u);
        EXPECT_EQ(avisos[0].rfind(L1("Simulação finalizada com erros (nada foi gravado no banco de destino): ")), 0u)
            << avisos[0];
        EXPECT_EQ(op.status_.back(), avisos[0]);
        EXPECT_TRUE(r.comErros());

        // The real run that follows logs exactly what the rehearsal logged.
        const ResultadoImportacao real = importar(*imp, {}, true);
        EXPECT_FALSE(real.simulada);
        EXPECT_EQ(arquivo("vantor.log"), log);
        EXPECT_EQ(arquivo("vantor2.log"), log2);
        long gravados = 0, simulados = 0;
        for (std::size_t i = 0; i < real.etapas.size(); ++i) {
            gravados += real.etapas[i].gravados;
            simulados += r.etapas[i].gravados;
        }
        EXPECT_EQ(simulados, gravados);
        EXPECT_NE(avisos[0].find(std::to_string(gravados) + L1(" registros seriam gravados")), std::string::npos);

        // Back to the state before, for the next round.
        banco.executar("DELETE FROM ITENSLISTA; DELETE FROM PRODUTO; DELETE FROM TIPOUNIDADE; DELETE FROM CODIGONCM;"
                       "DELETE FROM GERACODIGO; DELETE FROM CLIENTE; DELETE FROM FORNECEDOR;" +
                       DadosAntigos);
    }
}

// Files as shops write them, with duplicates and bad rows, drawn at random: the default run,
// fast mode (in batches that the files cross, or not) and a rehearsal over a destination with
// data end in the same tables and logs; the rehearsal leaves its destination as it was.
TEST_F(Modos, PadraoRapidoESimulacaoConcordamEmArquivosSorteados)
{
    struct Caso {
        unsigned semente;
        int linhas;
        int lote;
    };
    for (const Caso caso : {Caso{11, 80, 1000}, Caso{12, 80, 1000}, Caso{13, 120, 16}}) {
        SCOPED_TRACE("semente " + std::to_string(caso.semente));
        {
            std::ofstream f(pasta / "sorteado.csv", std::ios::binary);
            f << bench::gerarArquivoProdutos(caso.linhas, caso.semente, true);
        }
        imp->LerArquivoCSV((pasta / "sorteado.csv").string());
        BancoTeste padrao("padrao"), rapido("rapido"), simulado("simulado");
        for (BancoTeste* b : {&padrao, &rapido, &simulado})
            b->executar(esquemaDestino());
        simulado.executar(DadosAntigos);

        auto rodar = [&](BancoTeste& b, bool emLotes, bool simular) {
            std::filesystem::remove(pasta / "vantor.log");
            std::filesystem::remove(pasta / "vantor2.log");
            imp->setDestino(b.caminho());
            ModoExecucao modo;
            modo.rapido = emLotes;
            modo.simular = simular;
            modo.lote = caso.lote;
            return importar(*imp, modo);
        };
        const ResultadoImportacao rPadrao = rodar(padrao, false, false);
        const Retrato esperado = retratar(padrao, *this);
        ASSERT_NE(esperado.log, "<missing>") << "the bad rows must show in the log";

        const ResultadoImportacao rRapido = rodar(rapido, true, false);
        EXPECT_EQ(retratar(rapido, *this), esperado);

        const Retrato antes = retratar(simulado, *this);
        const ResultadoImportacao rSimulado = rodar(simulado, true, true);
        Retrato depois = retratar(simulado, *this);
        EXPECT_EQ(depois.log, esperado.log);
        depois.log = antes.log;
        depois.log2 = antes.log2;
        EXPECT_EQ(depois, antes) << "a rehearsal writes nothing";

        for (const ResultadoImportacao* r : {&rRapido, &rSimulado}) {
            EXPECT_EQ(r->comErros(), rPadrao.comErros());
            ASSERT_EQ(r->etapas.size(), rPadrao.etapas.size());
            for (std::size_t i = 0; i < r->etapas.size(); ++i) {
                EXPECT_EQ(r->etapas[i].gravados, rPadrao.etapas[i].gravados) << r->etapas[i].nome;
                EXPECT_EQ(r->etapas[i].falhas, rPadrao.etapas[i].falhas) << r->etapas[i].nome;
                EXPECT_EQ(r->etapas[i].ignorados, rPadrao.etapas[i].ignorados) << r->etapas[i].nome;
            }
        }
    }
}

// A file as people edit it, in UTF-8: a header row, a blank line, units longer than their
// field, NCM codes in groups, curly quotes and dashes, a line without its price. Both modes
// end in the same tables and log; every product is imported, the price it lacks is logged
// and named with its line.
TEST_F(Modos, ArquivoEditadoAMaoChegaComoDizNosDoisModos)
{
    const std::vector<std::string> linhas = {
        "CODIGO;DESCRICAO;UN;ICMS;X;PIS;COFINS;NCM;PRECO",
        linha("10", "ARROZ", "UN", "1006.30.21", "12,50"),
        "",
        linha("11", "CAMISA \xE2\x80\x9CPOLO\xE2\x80\x9D", "CAIXA", "3402 20 00", "1,00"),
        linha("12", "CANETA", "CAIXA12", "3402-20-00", "2"),
        "13;SEM PRECO;UN;xx018;x;xxx01;xxx07;34022000",
        linha("14", "LIMPA \xE2\x80\x93 TUDO", "UN", "34022000", "3"),
    };
    std::ofstream(pasta / "editado.csv", std::ios::binary) << [&] {
        std::string t;
        for (const std::string& l : linhas)
            t += l + "\r\n";
        return t;
    }();
    const staging::ResultadoLeitura leitura = imp->LerArquivoCSV((pasta / "editado.csv").string());
    EXPECT_EQ(leitura.registros, 5);
    using T = staging::NotaLeitura::Tipo;
    for (const auto& [tipo, vezes] : {std::pair{T::Cabecalho, 1},
                                      {T::LinhaEmBranco, 1},
                                      {T::TextoCortado, 2},
                                      {T::ValoresIguais, 1},
                                      {T::PrecoAusente, 1}})
        EXPECT_EQ(leitura.porTipo[std::size_t(tipo)], vezes) << int(tipo);

    BancoTeste outro("rapido");
    outro.executar(esquemaDestino());
    const ResultadoImportacao padrao = importar(*imp, {});
    const Retrato esperado = retratar(banco, *this);
    EXPECT_EQ(esperado.tabelas.at("TIPOUNIDADE ORDER BY UNI_CODIGO"), (Linhas{{"1", "UN", "UN"}, {"2", "CAI", "CA"}}));
    EXPECT_EQ(banco.consultar("SELECT PRO_CODIGO, PRO_NOME, NCM_CODIGO FROM PRODUTO ORDER BY 1"),
              (Linhas{{"10", "ARROZ", "1"},
                      {"11", "CAMISA \"POLO\"", "2"},
                      {"12", "CANETA", "2"},
                      {"13", "SEM PRECO", "2"},
                      {"14", "LIMPA - TUDO", "2"}}));
    EXPECT_EQ(banco.consultar("SELECT PRO_CODIGO FROM ITENSLISTA ORDER BY 1"),
              (Linhas{{"10"}, {"11"}, {"12"}, {"14"}}));
    EXPECT_EQ(esperado.log, L1("Erro na importação dos ITENS DA LISTA DE PREÇO no Registro SEM PRECO\r\n"
                               "Preço ausente: a linha do arquivo não tem o campo do preço\r\n"));
    const ResumoEtapa* precos = padrao.etapa("ImportaPrecos");
    ASSERT_TRUE(precos && precos->causas.size() == 1u);
    EXPECT_EQ(precos->causas[0].registros[0].linha, 6);
    EXPECT_EQ(precos->causas[0].registros[0].posicao, 3);
    EXPECT_NE(textoDasCausas(*precos).find("registros: SEM PRECO (linha 6)"), std::string::npos);

    std::filesystem::remove(pasta / "vantor.log");
    imp->setDestino(outro.caminho());
    ModoExecucao rapido;
    rapido.rapido = true;
    rapido.lote = 2;
    importar(*imp, rapido);
    EXPECT_EQ(retratar(outro, *this), esperado);
}

// Failing rows inside blocks (fast mode commits every four rows, so each block carries four):
// at a block's start, in its middle, at its end, every row of one, and a price the file lacks
// among rows held for a block. The block is undone and its rows sent again one by one: the
// tables, the logs and the counts are the default run's.
TEST_F(Modos, FalhasDentroDeUmBlocoSaoAsDoPadrao)
{
    // Five blocks of four and one row over: the duplicate codes fail.
    // clang-format off
    const std::vector<int> codigos = {1, 2, 3, 4,    1, 6, 7, 8,    9, 2, 11, 12,    13, 14, 15, 3,
                                      1, 2, 3, 4,    21};
    // clang-format on
    // Ten NCM codes, the destination refusing one of them: each record that names it tries it
    // again in both modes, though in fast mode its first try was a block's row.
    std::vector<std::string> linhas;
    for (std::size_t i = 0; i < codigos.size(); ++i) {
        const std::string c = std::to_string(codigos[i]);
        const std::string ncm = i % 6 == 2 ? "9999" : std::to_string(1000 + i % 9);
        linhas.push_back(i == 10 ? c + ";SEM PRECO " + c + ";UN;xx018;x;xxx01;xxx07;" + ncm
                                 : linha(c, "ITEM " + std::to_string(i + 1), "UN", ncm, "1,50"));
    }
    ler(linhas);
    BancoTeste outro("blocos");
    outro.executar(esquemaDestino());
    for (BancoTeste* b : {&banco, &outro})
        b->executar("ALTER TABLE CODIGONCM ADD CONSTRAINT CK_NCM CHECK (NCM_CODIGOSTRING <> '9999');\n");
    const ResultadoImportacao padrao = importar(*imp, {});
    const Retrato esperado = retratar(banco, *this);
    ASSERT_NE(esperado.log.find(L1("Erro na importação de PRODUTO no Registro 1\r\n")), std::string::npos);

    std::filesystem::remove(pasta / "vantor.log");
    imp->setDestino(outro.caminho());
    ModoExecucao rapido;
    rapido.rapido = true;
    rapido.lote = 4;
    const ResultadoImportacao r = importar(*imp, rapido);
    EXPECT_EQ(retratar(outro, *this), esperado);
    for (const char* etapa : {"ImportaNCM", "ImportaProdutos", "ImportaPrecos"}) {
        EXPECT_EQ(r.etapa(etapa)->gravados, padrao.etapa(etapa)->gravados) << etapa;
        EXPECT_EQ(r.etapa(etapa)->falhas, padrao.etapa(etapa)->falhas) << etapa;
        EXPECT_EQ(textoDasCausas(*r.etapa(etapa)), textoDasCausas(*padrao.etapa(etapa))) << etapa;
    }
    EXPECT_EQ(padrao.etapa("ImportaProdutos")->falhas, 7);
    EXPECT_EQ(r.etapa("ImportaNCM")->falhas, 4);
}

// Columns NULL in some rows of a block, or in all of them, keep each row's own values, and so
// does a declared constant that is not the same in every row of a block; a block refused for
// one row writes the others.
TEST(Blocos, ColunasNulasEmPartesDoBloco)
{
    BancoTeste banco("nulas");
    banco.executar("CREATE TABLE T (A INTEGER NOT NULL PRIMARY KEY, B VARCHAR(5), C INTEGER);\n");
    BancoDestino destino;
    ModoExecucao modo;
    modo.rapido = true;
    modo.lote = 4;
    destino.definirModo(modo);
    destino.conectar(banco.caminho());
    db::Query q;
    q.setDatabase(&destino.banco());
    q.setTransaction(&destino.transacao());
    const InsercaoDeclarada t{"T", "INSERT INTO T (A, B, C) VALUES (:A, :B, :C)", {{"A"}, {"B"}, {"C", true}}};
    q.setSQL(t.texto);
    EscritaEmBlocos escrita(destino, q, t);
    ASSERT_EQ(escrita.linhasPorBloco(), 4u);
    // A, then B and C ("" for NULL); the second 2 is refused.
    const std::vector<std::vector<std::string>> linhas = {
        {"1", "", "5"}, {"2", "b2", "5"}, {"3", "", "5"},   {"4", "b4", "5"}, {"5", "", ""},
        {"6", "", "6"}, {"7", "", ""},    {"8", "", ""},    {"9", "b9", "9"}, {"2", "", "1"},
        {"11", "", ""}, {"12", "", "12"}, {"13", "b13", ""}};
    int recusadas = 0;
    for (const auto& l : linhas) {
        q.paramByName("A").setAsInteger(std::stoi(l[0]));
        for (const char* c : {"B", "C"}) {
            const std::string& v = l[c[0] == 'B' ? 1 : 2];
            if (v.empty())
                q.paramByName(c).clear();
            else if (c[0] == 'B')
                q.paramByName(c).setAsString(v);
            else
                q.paramByName(c).setAsInteger(std::stoi(v));
        }
        escrita.acrescentar([&](const std::exception&) { ++recusadas; });
    }
    escrita.enviar();
    destino.encerrar();
    EXPECT_EQ(recusadas, 1);
    const std::vector<std::vector<std::string>> esperado = {
        {"1", "<null>", "5"},      {"2", "b2", "5"},           {"3", "<null>", "5"},      {"4", "b4", "5"},
        {"5", "<null>", "<null>"}, {"6", "<null>", "6"},       {"7", "<null>", "<null>"}, {"8", "<null>", "<null>"},
        {"9", "b9", "9"},          {"11", "<null>", "<null>"}, {"12", "<null>", "12"},    {"13", "b13", "<null>"}};
    EXPECT_EQ(banco.consultar("SELECT A, B, C FROM T ORDER BY A"), esperado);
}

// Each stage's statement, sent as written by the default mode, names the columns its
// declaration gives fast mode, in the same order, each bound by a parameter of its name.
TEST(Blocos, CadaInsercaoNomeiaAsColunasQueDeclara)
{
    for (const InsercaoDeclarada* d :
         {&InsercaoProduto, &InsercaoItem, &InsercaoUnidade, &InsercaoNCM, &InsercaoCliente, &InsercaoFornecedor}) {
        const std::string t = d->texto;
        const auto lista = [&](std::size_t de) {
            const std::size_t abre = t.find('(', de), fecha = t.find(')', abre);
            std::vector<std::string> nomes;
            std::istringstream partes(t.substr(abre + 1, fecha - abre - 1));
            for (std::string p; std::getline(partes, p, ',');)
                nomes.push_back(
                    p.substr(p.find_first_not_of(" :"), p.find_last_not_of(' ') + 1 - p.find_first_not_of(" :")));
            return nomes;
        };
        std::vector<std::string> declaradas, parametros;
        for (const ColunaInsercao& c : d->colunas) {
            declaradas.push_back(c.nome);
            parametros.push_back(c.nomeDoParametro());
        }
        EXPECT_EQ(lista(t.find(d->tabela)), declaradas) << d->tabela;
        EXPECT_EQ(lista(t.find("VALUES")), parametros) << d->tabela;
        EXPECT_NE(d->textoDaChave(d->parametros()), "") << d->tabela << ": a row in doubt is found by its key";
    }
    // The unit and NCM stages find a row in doubt by the column they check before writing.
    for (const auto& [insercao, existe] : {std::pair{&InsercaoUnidade, &ExisteUnidade}, {&InsercaoNCM, &ExisteNCM}}) {
        std::vector<std::string> chave;
        for (const ColunaInsercao& c : insercao->colunas)
            if (c.chave)
                chave.emplace_back(c.nome);
        EXPECT_EQ(chave, std::vector<std::string>{existe->chave}) << insercao->tabela;
    }
}
