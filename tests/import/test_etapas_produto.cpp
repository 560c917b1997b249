// The unit type, NCM, product and price list stages against the sample destination.
#include "Destino.h"
#include "Linha.h"

using namespace norvo;
using namespace norvo::teste;

using Etapas = Destino;

TEST_F(Etapas, UnidadesDistintasNumeradasNaOrdemDoArquivo)
{
    ler({linha("1", "A", "UN", "1", "1"), linha("2", "B", "KG", "1", "1"), linha("3", "C", "UN", "1", "1"),
         linha("4", "D", "cx", "1", "1"), linha("5", "E", "PCT", "1", "1"), linha("6", "F", "  ", "1", "1"),
         linha("7", "G", L1("ça"), "1", "1")});
    prepararEtapa();
    ImportaUnidades(ctx());
    EXPECT_EQ(
        banco.consultar("SELECT * FROM TIPOUNIDADE ORDER BY UNI_CODIGO"),
        (Linhas{
            {"1", "UN", "UN"}, {"2", "KG", "KG"}, {"3", "CX", "CX"}, {"4", "PCT", "PC"}, {"5", L1("ÇA"), L1("ÇA")}}));
    EXPECT_EQ(banco.valor("SELECT GER_VALOR FROM GERACODIGO WHERE GER_TABELA = 'TIPOUNIDADE'"), "6");
    // The walk keeps the window live and the gauge moving, record by record.
    EXPECT_EQ(op.maximo, 7);
    EXPECT_EQ(op.progresso, 7);
    EXPECT_GE(op.eventosProcessados, 8);
    EXPECT_TRUE(erros().empty());
}

TEST_F(Etapas, UnidadeQueFalhaDeixaSeuCodigoParaAProxima)
{
    banco.executar("ALTER TABLE TIPOUNIDADE ADD CONSTRAINT CK_UN CHECK (UNI_UNIDADE <> 'XX');");
    ler({linha("1", "A", "XX", "1", "1"), linha("2", "B", "KG", "1", "1")});
    prepararEtapa();
    ImportaUnidades(ctx());
    EXPECT_EQ(banco.consultar("SELECT UNI_CODIGO, UNI_UNIDADE FROM TIPOUNIDADE"), (Linhas{{"1", "KG"}}));
    ASSERT_EQ(erros().size(), 1u);
    const std::string& e = erros().front();
    EXPECT_EQ(e.rfind(L1("Erro na importação de TIPOS DE UNIDADE no Registro XX\r\n"), 0), 0u) << e;
    EXPECT_NE(e.find("CK_UN"), std::string::npos);
    EXPECT_EQ(e.substr(e.size() - 2), "\r\n");
    EXPECT_EQ(banco.valor("SELECT GER_VALOR FROM GERACODIGO"), "2");
}

TEST_F(Etapas, NcmNumeraTentativasEGastaCodigoQueFalha)
{
    banco.executar("ALTER TABLE CODIGONCM ADD CONSTRAINT CK_NCM CHECK (NCM_CODIGOSTRING <> 'BAD');");
    ler({linha("1", "A", "UN", "N1", "1"), linha("2", "B", "UN", "N1", "1"), linha("3", "C", "UN", "BAD", "1"),
         linha("4", "D", "UN", "N2", "1"), linha("5", "E", "UN", "", "1"), linha("6", "F", "UN", "", "1")});
    prepararEtapa();
    ImportaNCM(ctx());
    EXPECT_EQ(banco.consultar("SELECT NCM_DESCRICAO, NCM_CODIGO, NCM_CODIGOSTRING FROM CODIGONCM ORDER BY NCM_CODIGO"),
              (Linhas{{"N1", "1", "N1"}, {"N2", "3", "N2"}, {"", "4", ""}}));
    ASSERT_EQ(erros().size(), 1u);
    EXPECT_EQ(erros().front().rfind(L1("Erro na importação de NCM no Registro BAD\r\n"), 0), 0u);
    EXPECT_EQ(op.maximo, 6);
    EXPECT_EQ(op.progresso, 4); // one step per attempted insert
    EXPECT_GE(op.eventosProcessados, 7);
}

TEST_F(Etapas, ProdutoComTodasAsColunas)
{
    ler({linha("123", L1("AÇÚCAR CRISTAL"), "kg", "10063021", "4.99", "018", "01", "07"),
         linha("124", "SEM UNIDADE", "", "99999999", "1")});
    prepararEtapa();
    ImportaUnidades(ctx());
    ImportaNCM(ctx());
    ImportaProdutos(ctx());
    EXPECT_TRUE(erros().empty());
    auto linhas = banco.consultar(
        "SELECT PRO_CODIGO, PRO_IPI, CONSIDERARMERCADORIA, PRO_NOME, LIN_CODIGO, FIL_CODIGO, ICM_CODIGO, "
        "PRO_PISCOFINS, PRO_SUBSTITUIDO, PRO_BLOQUEADO, PRO_CODIGOPROPRIO, PRO_INATIVO, PRO_PERCCOFINS, "
        "PRO_PERCPIS, NCM_CODIGO, PRO_MVA, PRO_CODPIS, PRO_CODCOFINS, UNI_CODIGO, PRO_CODBARRAS, "
        "NAT_CODOPERA_NFCE, PROD_REVENDA, PRO_CONTROLADO, PRO_TIPO, FOR_CODIGO FROM PRODUTO ORDER BY PRO_CODIGO");
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[0], (std::vector<std::string>{"123",    "0", "T",   L1("AÇÚCAR CRISTAL"),
                                                   "<null>", "1", "18",  "F",
                                                   "F",      "F", "123", "F",
                                                   "0",      "0", "1",   "0",
                                                   "1",      "7", "1",   "",
                                                   "<null>", "N", "F",   "<null>",
                                                   "<null>"}));
    // No unit type or NCM entry matches: codes 0, not NULL; the row is still written.
    EXPECT_EQ(linhas[1][18], "0");
    EXPECT_EQ(banco.valor("SELECT NCM_CODIGO FROM PRODUTO WHERE PRO_CODIGO = 124"), "2");
    EXPECT_EQ(op.progresso, 2);
}

TEST_F(Etapas, IcmsInvalidoEChaveRepetidaSaoFalhasDeLinha)
{
    // An ICMS that is no integer fails its own record only; the later records are written.
    ler({linha("1", "A", "UN", "1", "1", "abc"), linha("2", "B", "UN", "1", "1", ""), linha("3", "C", "UN", "1", "1"),
         linha("3", "D", "UN", "1", "1"), linha("", "SEM CODIGO", "UN", "1", "1")});
    prepararEtapa();
    ImportaProdutos(ctx());
    EXPECT_EQ(banco.consultar("SELECT PRO_CODIGO, PRO_NOME FROM PRODUTO"), (Linhas{{"3", "C"}}));
    ASSERT_EQ(erros().size(), 4u);
    const auto& e = erros();
    EXPECT_EQ(e[0], L1("Erro na importação de PRODUTO no Registro 1\r\n'abc' is not a valid integer value\r"));
    EXPECT_EQ(e[1], L1("Erro na importação de PRODUTO no Registro 2\r\n'' is not a valid integer value\r"));
    EXPECT_EQ(e[2].rfind(L1("Erro na importação de PRODUTO no Registro 3\r\n"), 0), 0u);
    EXPECT_NE(e[2].find("PK_PRODUTO"), std::string::npos);
    // An empty code goes as NULL into the key, which refuses it: nothing between "Registro " and the break.
    EXPECT_EQ(e[3].rfind(L1("Erro na importação de PRODUTO no Registro \r\n"), 0), 0u) << e[3];
    for (const std::string& entrada : e)
        EXPECT_EQ(entrada.back(), '\r') << "every entry ends in a lone CR";
    EXPECT_EQ(banco.valor("SELECT PRO_BLOQUEADO FROM PRODUTO"), "F"); // the closing update ran
    EXPECT_EQ(op.progresso, 5);
    EXPECT_TRUE(op.dialogosDo("mensagem").empty());
}

TEST_F(Etapas, PrecoComDatasDoRelogioEQuatroCasas)
{
    ler({linha("1", "A", "UN", "1", "12.3456"), linha("2", "B", "UN", "1", ""),
         linha("", "SEM CODIGO", "UN", "1", "9")});
    prepararEtapa();
    ImportaProdutos(ctx());
    erros().clear();
    ImportaPrecos(ctx());
    EXPECT_EQ(banco.consultar("SELECT UNI_CODIGO, LST_CODIGO, ITL_DATAVIGENCIA, PRO_CODIGO, ITL_PRECOATUAL, "
                              "ITL_DATAALTERA, COM_CODIGO, ITL_PRECOANTERIOR, ITL_MUDAPRECO, ITL_PRECOCUSTO "
                              "FROM ITENSLISTA ORDER BY PRO_CODIGO"),
              (Linhas{{"<null>", "1", "2024-02-09 00:00:00", "1", "12.3456", "2024-03-10 00:00:00", "1", "0", "T", "0"},
                      {"<null>", "1", "2024-02-09 00:00:00", "2", "0", "2024-03-10 00:00:00", "1", "0", "T", "0"}}));
    // The empty code's product was not written, so no item is tried for it: the entry names
    // the description and ends right after the reason.
    ASSERT_EQ(erros().size(), 1u);
    EXPECT_EQ(erros().front(), L1("Erro na importação dos ITENS DA LISTA DE PREÇO no Registro SEM CODIGO\r\n"
                                  "Produto não gravado: o item de preço não foi gravado"));
    EXPECT_EQ(op.status_.back(), L1("Importando preço dos produtos (3)"));
}

TEST_F(Etapas, FalhaDaEtapaDePrecosTemQuebraDupla)
{
    banco.executar("DROP TABLE ITENSLISTA;");
    ler({linha("1", "A", "UN", "1", "1")});
    prepararEtapa();
    ImportaPrecos(ctx());
    const auto msgs = op.dialogosDo("mensagem");
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].rfind(L1("Falha na importação dos preços, Falha: \r\n\n"), 0), 0u);
    EXPECT_NE(msgs[0].find("ITENSLISTA"), std::string::npos);
}
