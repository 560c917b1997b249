// The client stage: bindings, the city lookup and the three kinds of failure entries.
#include "Origem.h"

using namespace norvo;
using namespace norvo::teste;

using Clientes = Origem;

namespace {
const char* kColunas =
    "SELECT CLI_CODIGO, CLI_RAZAO, CLI_ENDERECO, CLI_NUMERO, CLI_BAIRRO, CLI_COMPLEMENTO, CLI_CEP, CLI_CNPJ, "
    "CLI_PESSOA, CLI_INSCRICAO, CLI_DATACAD, CLI_TELEFONE, CLI_FAX, CLI_COMPRADOR, CLI_VALORCREDITO, "
    "CLI_NOMEFANTASIA, CID_CODIGO, VEN_CODIGO, CLI_EMAIL, CLI_WWW, CLI_OBSERVACAO, CLI_TIPO FROM CLIENTE ";
}

TEST_F(Clientes, VinculosVazioBrancoEDigitos)
{
    origem.executar(
        L1("INSERT INTO CLIENTE VALUES (1, 'MERCADO BOM PRECO LTDA', 'RUA A', '12 A', 'CENTRO', 'SALA 2', "
           "'80.010-000', '12.345.678/0001-95', '123.456-7', '2020-05-17', '(41) 3333-4444', '99999', "
           "'JOAO', 'BOM PRECO', 'curitiba', 'a@b.com');"
           "INSERT INTO CLIENTE VALUES (2, 'MARIA', '   ', 'S/N', '  ', NULL, '  ', '123.456.789-09', 'ISENTO', "
           "NULL, '   ', NULL, '  ', '  ', '  ', NULL);"
           "INSERT INTO CLIENTE VALUES (3, 'SEM DOC', NULL, NULL, NULL, NULL, NULL, 'ABC', '  ', NULL, NULL, NULL, "
           "NULL, NULL, 'ATLANTIDA', NULL);"
           "INSERT INTO CLIENTE (CODIGO, NOME) VALUES (NULL, 'SEM CODIGO');"));
    prepararEtapa();
    const ResumoEtapa r = ImportaClientes(ctx());
    EXPECT_TRUE(erros().empty()) << erros().front();
    // The city the destination does not hold is counted and named for the summary.
    EXPECT_EQ(r.semCidade, 1);
    EXPECT_EQ(r.cidadesNaoEncontradas, (std::vector<std::pair<std::string, long>>{{"ATLANTIDA", 1}}));
    EXPECT_EQ(
        banco.consultar(std::string(kColunas) + "ORDER BY CLI_CODIGO"),
        (Linhas{{"0",      "SEM CODIGO", "<null>", "<null>", "<null>", "",       "<null>", "", "F", "<null>", "<null>",
                 "<null>", "",           "<null>", "0",      "<null>", "<null>", "0",      "", "",  "<null>", "1"},
                {"1",
                 "MERCADO BOM PRECO LTDA",
                 "RUA A",
                 "12",
                 "CENTRO",
                 "SALA 2",
                 "80010000",
                 "12345678000195",
                 "J",
                 "1234567",
                 "2020-05-17 00:00:00",
                 "(41) 3333-4444",
                 "99999",
                 "JOAO",
                 "0",
                 "BOM PRECO",
                 "4106902",
                 "0",
                 "a@b.com",
                 "",
                 "<null>",
                 "1"},
                {"2",      "MARIA", "   ",    "",    "<null>", "",       "<null>", "12345678909",
                 "F",      "",      "<null>", "   ", "",       "<null>", "0",      "<null>",
                 "<null>", "0",     "",       "",    "<null>", "1"},
                {"3",      "SEM DOC", "<null>", "<null>", "<null>", "",  "<null>", "", "F", "<null>", "<null>",
                 "<null>", "",        "<null>", "0",      "<null>", "0", "0",      "", "",  "<null>", "1"}}));
    EXPECT_EQ(op.maximo, 3); // the count leaves out the NULL code, the walk does not
    EXPECT_EQ(op.progresso, 3);
}

TEST_F(Clientes, FalhasClassificadasNasDuasListas)
{
    origem.executar("INSERT INTO CLIENTE (CODIGO, NOME, CNPJ_CNPF, FANTASIA) VALUES (1, 'A', '1234567890123456', "
                    "'FANTASIA MUITO LONGA QUE NAO E CORTADA NA MENSAGEM');"
                    "INSERT INTO CLIENTE (CODIGO, NOME, FANTASIA) VALUES (2, 'B', 'BETA');"
                    "INSERT INTO CLIENTE (CODIGO, NOME, FANTASIA) VALUES (2, 'B2', 'BETA DOIS');"
                    "INSERT INTO CLIENTE (CODIGO, NOME, COMPLEMENTO) VALUES (4, 'C', "
                    "'COMPLEMENTO COM MAIS DE QUARENTA CARACTERES AQUI');");
    prepararEtapa();
    ImportaClientes(ctx());
    ASSERT_EQ(erros().size(), 2u);
    EXPECT_EQ(erros()[0],
              L1("Alerta!!! Na importação de CLIENTES no cliente: 1\r\nO Cliente: \"FANTASIA MUITO LONGA QUE NAO E "
                 "CORTADA NA MENSAGEM\" possui o CNPJ inválido! A quantidade de números ultrapassou o limite.\r\n"));
    EXPECT_EQ(erros()[1],
              L1("Erro na importação de CLIENTES no cód. cliente: 4\r\nTrying to store a string of length 48 "
                 "into a field that can only contain 40\r\n"));
    EXPECT_EQ(avulso->duplicados, (std::vector<std::string>{"Cod. Cliente: 2 Nome Cliente: BETA DOIS"}));
    EXPECT_EQ(banco.consultar("SELECT CLI_CODIGO, CLI_RAZAO FROM CLIENTE"), (Linhas{{"2", "B"}}));
}

TEST_F(Clientes, ColunaAusenteNaOrigemEncerraAEtapa)
{
    origem.executar("ALTER TABLE CLIENTE DROP EMAIL; INSERT INTO CLIENTE (CODIGO, NOME) VALUES (1, 'A');");
    banco.executar("INSERT INTO CLIENTE (CLI_CODIGO, CLI_TIPO) VALUES (9, 'X');");
    prepararEtapa();
    ImportaClientes(ctx());
    EXPECT_EQ(op.dialogosDo("mensagem"),
              (std::vector<std::string>{L1("Falha na importação da tabela de Clientes, Falha: \r\n"
                                           "IBQueryOrigem: Field 'EMAIL' not found")}));
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM CLIENTE"), "0"); // the DELETE was committed before the walk
}

TEST_F(Clientes, ExecucaoPelaOpcaoGravaDuplicadosNoSegundoLog)
{
    origem.executar("INSERT INTO CLIENTE (CODIGO, NOME, FANTASIA) VALUES (7, 'A', 'X');"
                    "INSERT INTO CLIENTE (CODIGO, NOME, FANTASIA) VALUES (7, 'B', 'Y');");
    importar(false, true);
    EXPECT_EQ(arquivo("vantor2.log"), "Cod. Cliente: 7 Nome Cliente: Y\r\n");
    EXPECT_EQ(arquivo("vantor.log"), "<missing>");
    EXPECT_EQ(op.dialogosDo("confirma").size(), 2u); // the run's question and one for vantor2.log
    EXPECT_EQ(op.status_.front(), "Importando Clientes");
    EXPECT_TRUE(imp->origemConectada()); // the source stays connected after the run
    EXPECT_TRUE(imp->Connectar(false));
    EXPECT_FALSE(imp->origemConectada()); // until the next Connectar
}
