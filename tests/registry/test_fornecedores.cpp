// The supplier stage: the company filter, the J/other branch, COD_MUNIC and the row commit.
#include "Origem.h"

using namespace norvo;
using namespace norvo::teste;

using Fornecedores = Origem;

TEST_F(Fornecedores, FiltroRamoJECidadePeloCodMunic)
{
    origem.executar(L1(
        "INSERT INTO SCFO VALUES (1, 'DISTRIBUIDORA SUL', 'SUL', 'AV B, 100', '80.000-100', '4106902', 'CURITIBA', "
        "'4133', 'J', '12.345.678/0001-95', '111.222.333-44', '123.456.78-9', 'x@y.z', 1);"
        "INSERT INTO SCFO VALUES (2, 'JOSE', NULL, NULL, '  ', '  ', 'CURITIBA', NULL, 'F', '12.345.678/0001-95', "
        "'111.222.333-44', '  ', NULL, 1);"
        "INSERT INTO SCFO VALUES (3, 'SEM CGC', NULL, NULL, NULL, '123', 'LUGAR NENHUM', NULL, 'J', '  ', "
        "'111.222.333-44', NULL, NULL, 1);"
        "INSERT INTO SCFO VALUES (4, 'MINUSCULO', NULL, NULL, NULL, NULL, NULL, NULL, 'j', '12', '99', NULL, NULL, 1);"
        "INSERT INTO SCFO VALUES (5, 'OUTRA EMPRESA', NULL, NULL, NULL, NULL, NULL, NULL, 'J', '1', NULL, NULL, NULL, "
        "2);"));
    prepararEtapa();
    ImportaFornecedores(ctx());
    EXPECT_TRUE(erros().empty());
    EXPECT_EQ(banco.consultar("SELECT FOR_CODIGO, FOR_RAZAO, FOR_NOMEFAN, FOR_ENDERECO, FOR_CEP, CID_CODIGO, "
                              "FOR_TELEFONE, FOR_CNPJ, FOR_CNPF, FOR_INSCRICAO, FOR_EMAIL, FOR_PRAZO "
                              "FROM FORNECEDOR ORDER BY FOR_CODIGO"),
              (Linhas{{"1", "DISTRIBUIDORA SUL", "SUL", "AV B, 100", "80000100", "4106902", "4133", "12345678000195",
                       "<null>", "123.456.78-9", "x@y.z", "<null>"},
                      {"2", "JOSE", "", "", "<null>", "<null>", "", "<null>", "11122233344", "<null>", "", "<null>"},
                      {"3", "SEM CGC", "", "", "<null>", "0", "", "<null>", "<null>", "<null>", "", "<null>"},
                      {"4", "MINUSCULO", "", "", "<null>", "<null>", "", "<null>", "99", "<null>", "", "<null>"}}));
    EXPECT_EQ(op.maximo, 4);
    EXPECT_FALSE(avulso->destino.transacao().active()); // the last row's full commit ended it
}

TEST_F(Fornecedores, DuplicadoEhErroComumECadaLinhaJaFoiConfirmada)
{
    origem.executar("INSERT INTO SCFO (COD_FOR, NOME_FOR, SR_EMPRESA) VALUES (1, 'A', 1);"
                    "INSERT INTO SCFO (COD_FOR, NOME_FOR, SR_EMPRESA) VALUES (1, 'B', 1);"
                    "INSERT INTO SCFO (COD_FOR, NOME_FOR, SR_EMPRESA) VALUES (2, 'C', 1);");
    prepararEtapa();
    ImportaFornecedores(ctx());
    ASSERT_EQ(erros().size(), 1u);
    const std::string& e = erros().front();
    EXPECT_EQ(e.rfind(L1("Erro na importação de FORNECEDORES no Registro 1\r\n"), 0), 0u) << e;
    EXPECT_NE(e.find("PRIMARY or UNIQUE KEY constraint"), std::string::npos);
    EXPECT_EQ(e.substr(e.size() - 2), "\r\n");
    EXPECT_TRUE(avulso->duplicados.empty());
    // Committed row by row: another attachment sees them while this one is still open.
    EXPECT_EQ(banco.consultar("SELECT FOR_CODIGO, FOR_RAZAO FROM FORNECEDOR ORDER BY 1"),
              (Linhas{{"1", "A"}, {"2", "C"}}));
}

TEST_F(Fornecedores, SelecaoVaziaSoEsvazia)
{
    banco.executar("INSERT INTO FORNECEDOR (FOR_CODIGO) VALUES (1);");
    origem.executar("INSERT INTO SCFO (COD_FOR, SR_EMPRESA) VALUES (9, 2);");
    prepararEtapa();
    ImportaFornecedores(ctx());
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM FORNECEDOR"), "0");
    EXPECT_EQ(op.maximo, 0);
    EXPECT_TRUE(avulso->destino.transacao().active());
    EXPECT_TRUE(op.dialogosDo("mensagem").empty());
}
