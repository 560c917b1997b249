// The import run as the operator sees it: order, texts, questions, logs and the way back to idle.
#include "Destino.h"
#include "Linha.h"

#include <sys/stat.h>

using namespace norvo;
using namespace norvo::teste;

using Execucao = Destino;

TEST_F(Execucao, SemOpcaoOuSemCaminhoNadaEhTocado)
{
    importar(false);
    EXPECT_EQ(op.dialogos,
              (std::vector<std::string>{"mensagem: " + L1("Marque uma ou mais de uma tabela para ser importado!!")}));
    EXPECT_FALSE(imp->conectado());

    op.dialogos.clear();
    imp->setDestino(" \t ");
    importarProdutos();
    EXPECT_EQ(op.dialogos, (std::vector<std::string>{"atencao: Selecione o banco de dados de destino!"}));
    EXPECT_FALSE(imp->conectado());
    EXPECT_TRUE(op.ocupacoes.empty());
}

TEST_F(Execucao, NaoNaConfirmacaoNaoApagaNada)
{
    banco.executar("INSERT INTO TIPOUNIDADE VALUES (7, 'UN', 'UN');");
    ler({linha("1", "ARROZ", "KG", "1006", "5.00")});
    op.respostas = {false};
    importarProdutos();
    EXPECT_EQ(op.dialogosDo("confirma"),
              (std::vector<std::string>{
                  L1("Atenção os registros das tabelas marcadas serão apagadas e importadas: \r\nConfirma ?")}));
    EXPECT_TRUE(imp->conectado()); // left connected, transaction open
    EXPECT_FALSE(imp->Importando());
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM TIPOUNIDADE"), "1");
}

TEST_F(Execucao, ExecucaoLimpaOrdemTextosESemLogs)
{
    std::ofstream(pasta / "vantor.log", std::ios::binary) << "old run\r\n";
    ler({linha("10", "ARROZ", "KG", "1006", "5.00"), linha("11", "FEIJAO", "KG", "0713", "7,25")});
    bool ocupadoDurante = false;
    op.aoProcessarEventos = [&] { ocupadoDurante = ocupadoDurante || imp->Importando(); };
    const ResultadoImportacao r = importarProdutos();
    EXPECT_TRUE(ocupadoDurante);
    EXPECT_EQ(op.status_, (std::vector<std::string>{"Importando Unidades", "Importando NCM", "Importando Produtos",
                                                    L1("Importando preço dos produtos (2)"),
                                                    L1("Importação finalizada com sucesso")}));
    EXPECT_EQ(
        op.dialogos,
        (std::vector<std::string>{
            "confirma: " + L1("Atenção os registros das tabelas marcadas serão apagadas e importadas: \r\nConfirma ?"),
            "aviso: " + L1("Importação finalizada com sucesso")}));
    EXPECT_EQ(op.ocupacoes, (std::vector<bool>{true, false}));
    EXPECT_EQ(op.progresso, 0);
    EXPECT_FALSE(imp->Importando());
    EXPECT_FALSE(imp->conectado());
    EXPECT_EQ(arquivo("vantor.log"), "old run\r\n"); // an earlier log stays untouched
    EXPECT_EQ(arquivo("vantor2.log"), "<missing>");
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ITENSLISTA"), "2");
    EXPECT_FALSE(r.comErros());
}

TEST_F(Execucao, FalhasDeLinhaVaoParaOLogEAvisoDizComErros)
{
    // Code 20 twice: the second product and its price item fail on the keys.
    ler({linha("20", "ARROZ", "KG", "1006", "5.00"), linha("20", "ARROZ 2", "KG", "1006", "6.00")});
    importarProdutos();
    const std::string log = arquivo("vantor.log");
    const std::string produto = L1("Erro na importação de PRODUTO no Registro 20\r\n");
    const std::string preco = L1("Erro na importação dos ITENS DA LISTA DE PREÇO no Registro ARROZ 2\r\n");
    ASSERT_EQ(log.find(produto), 0u) << log;
    EXPECT_NE(log.find("PRIMARY or UNIQUE KEY constraint \"PK_PRODUTO\""), std::string::npos);
    EXPECT_NE(log.find("\r\r\n" + preco), std::string::npos) << "the product entry ends in a lone CR";
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
    EXPECT_EQ(log.find("\r\n\r\n"), std::string::npos) << "no empty line between entries";
    EXPECT_EQ(op.dialogosDo("confirma").back(),
              L1("Ocorreu erro durante a importação.\r\nDeseja visualiazar os erros?"));
    EXPECT_EQ(op.dialogosDo("abrir"), (std::vector<std::string>{pasta.string() + "/vantor.log"}));
    EXPECT_EQ(op.dialogosDo("aviso"), (std::vector<std::string>{L1("Importação finalizada com erros")}));
    EXPECT_EQ(op.status_.back(), L1("Importação finalizada com erros"));
    EXPECT_EQ(arquivo("vantor2.log"), "<missing>");
}

TEST_F(Execucao, EtapaQueFalhaNaoImpedeAsSeguintes)
{
    // No file read: the staging table is closed and every product stage fails at its start.
    importarProdutos();
    const std::string fechada = "Cannot perform this operation on a closed dataset";
    EXPECT_EQ(op.dialogosDo("mensagem"),
              (std::vector<std::string>{L1("Falha na importação da tabela de TipoUnidade, Falha: \r\n") + fechada,
                                        L1("Falha na importação da tabela de NCM, Falha: \r\n") + fechada,
                                        L1("Falha na importação da tabela de Produtos, Falha: \r\n") + fechada,
                                        L1("Falha na importação dos preços, Falha: \r\n\n") + fechada}));
    EXPECT_EQ(op.dialogosDo("aviso"), (std::vector<std::string>{L1("Importação finalizada com erros")}));
    EXPECT_FALSE(imp->Importando());
}

// A step outside the rows that fails makes the run one "com erros", read from its result.
TEST_F(Execucao, RegistroSequencialQueFalhaNaoEhSucesso)
{
    // Every row is written, but the sequence register refuses its write: the failure was
    // shown by its own dialog and must still not end in "com sucesso".
    banco.executar("CREATE EXCEPTION REGISTRO_FECHADO 'registro fechado';");
    banco.executarUm("CREATE TRIGGER GERACODIGO_FECHADO FOR GERACODIGO BEFORE INSERT OR UPDATE AS "
                     "BEGIN EXCEPTION REGISTRO_FECHADO; END");
    ler({linha("30", "A", "UN", "1", "1")});
    const ResultadoImportacao r = importarProdutos();
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO"), "1");
    // The unit stage's register entry and the NCM stage's.
    ASSERT_EQ(op.dialogosDo("mensagem").size(), 2u);
    EXPECT_EQ(op.dialogosDo("mensagem")[1].rfind(L1("Falha na gravação do código sequencial\r\nFalha: "), 0), 0u);
    ASSERT_EQ(r.passosFalhos.size(), 2u);
    EXPECT_EQ(r.passosFalhos[1].passo, "GravaCodigoSequencial");
    EXPECT_FALSE(r.passosFalhos[1].relatar); // already shown
    EXPECT_NE(r.passosFalhos[1].mensagem.find("registro fechado"), std::string::npos);
    EXPECT_TRUE(r.comErros());
    EXPECT_EQ(op.dialogosDo("aviso"), (std::vector<std::string>{L1("Importação finalizada com erros")}));
    EXPECT_EQ(op.status_.back(), L1("Importação finalizada com erros"));
}

TEST_F(Execucao, TabelaDeEstagioVaziaEsvaziaTudo)
{
    banco.executar("INSERT INTO TIPOUNIDADE VALUES (1, 'UN', 'UN'); INSERT INTO CODIGONCM VALUES (1, 'X', 'X');"
                   "INSERT INTO PRODUTO (PRO_CODIGO) VALUES (5);"
                   "INSERT INTO ITENSLISTA (LST_CODIGO, PRO_CODIGO) VALUES (2, 5);");
    ler({});
    importarProdutos();
    for (const char* t : {"TIPOUNIDADE", "CODIGONCM", "PRODUTO", "ITENSLISTA"})
        EXPECT_EQ(banco.valor(std::string("SELECT COUNT(*) FROM ") + t), "0") << t;
    EXPECT_EQ(banco.valor("SELECT GER_VALOR FROM GERACODIGO WHERE GER_TABELA = 'TIPOUNIDADE'"), "1");
    EXPECT_EQ(op.dialogosDo("aviso"), (std::vector<std::string>{L1("Importação finalizada com sucesso")}));
    EXPECT_EQ(arquivo("vantor.log"), "<missing>");
}
