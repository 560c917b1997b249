// A shop's catalogue as shops write it, into a destination whose products reference their
// unit type and NCM code and whose price items reference their products, imported twice.
#include "Destino.h"
#include "Linha.h"

using namespace norvo;
using namespace norvo::teste;

namespace {

struct Catalogo : Destino {
    Catalogo()
    {
        banco.executar("ALTER TABLE PRODUTO ADD CONSTRAINT FK_PRODUTO_UNIDADE FOREIGN KEY (UNI_CODIGO) "
                       "REFERENCES TIPOUNIDADE (UNI_CODIGO);"
                       "ALTER TABLE PRODUTO ADD CONSTRAINT FK_PRODUTO_NCM FOREIGN KEY (NCM_CODIGO) "
                       "REFERENCES CODIGONCM (NCM_CODIGO);");
    }

    // Each product with the unit and NCM code its row references, and its price.
    Linhas produtos()
    {
        return banco.consultar("SELECT P.PRO_CODIGO, P.PRO_NOME, U.UNI_DESCRICAO, N.NCM_CODIGOSTRING, I.ITL_PRECOATUAL "
                               "FROM PRODUTO P JOIN TIPOUNIDADE U ON U.UNI_CODIGO = P.UNI_CODIGO "
                               "JOIN CODIGONCM N ON N.NCM_CODIGO = P.NCM_CODIGO "
                               "LEFT JOIN ITENSLISTA I ON I.PRO_CODIGO = P.PRO_CODIGO ORDER BY P.PRO_CODIGO");
    }
    Linhas registro() { return banco.consultar("SELECT GER_TABELA, GER_VALOR FROM GERACODIGO ORDER BY 1"); }
};

} // namespace

TEST_F(Catalogo, SaiCertoEUmaSegundaRodadaDeixaSoONovo)
{
    ler({linha("1001", "ARROZ TIPO 1", "UN", "1006.30.21", "R$ 29,90"),
         linha("1002", L1("FEIJÃO"), "und", "07133399", "1.234,56"),
         linha("1003", "LEITE CAIXA", "CXA", "0401.20.10", "1,234.56"),
         linha("1004", "OVOS", "cx", "0407.21.00", " 12.50 "),
         linha("1005", "PARAFUSO", "PCT", "7318.15.00", "1.234.567"), linha("1006", "PREGO", "PC", "73170020", "0,99"),
         linha("1007", "PREGO 2", "pct", "7317.00.20", "5"),
         L1("1008;\"SABÃO; EM PÓ \"\"NEUTRO\"\"\"; Un;xx018;x;xxx01;xxx07;3402.20.00;\"8,75\""),
         linha("1009", "TINTA", "LT", "32091010", "12.5.0"), linha("1010", "DESCONTO", "UN", "32091010", "-5,00"),
         linha("1011", "SEM PRECO", L1("pç"), "32091010", ""), linha("1012", "SEM UNIDADE", "", "32091010", "3,00")});
    const ResultadoImportacao r = importarProdutos();

    // One row per unit, however it was typed; PC and PCT, UN and UND, CX and CXA are apart.
    EXPECT_EQ(banco.consultar("SELECT * FROM TIPOUNIDADE ORDER BY UNI_CODIGO"), (Linhas{{"1", "UN", "UN"},
                                                                                        {"2", "UND", "UN"},
                                                                                        {"3", "CXA", "CX"},
                                                                                        {"4", "CX", "CX"},
                                                                                        {"5", "PCT", "PC"},
                                                                                        {"6", "PC", "PC"},
                                                                                        {"7", "LT", "LT"},
                                                                                        {"8", L1("PÇ"), L1("PÇ")}}));
    // Dotted NCM codes are their eight digits, once each.
    EXPECT_EQ(banco.consultar("SELECT NCM_CODIGO, NCM_CODIGOSTRING FROM CODIGONCM ORDER BY 1"),
              (Linhas{{"1", "10063021"},
                      {"2", "07133399"},
                      {"3", "04012010"},
                      {"4", "04072100"},
                      {"5", "73181500"},
                      {"6", "73170020"},
                      {"7", "34022000"},
                      {"8", "32091010"}}));
    EXPECT_EQ(registro(), (Linhas{{"CODIGONCM", "9"}, {"TIPOUNIDADE", "9"}}));
    // Every product references its own unit and code; a price that is no amount writes no
    // item, but its product is there.
    EXPECT_EQ(produtos(), (Linhas{{"1001", "ARROZ TIPO 1", "UN", "10063021", "29.9"},
                                  {"1002", L1("FEIJÃO"), "UND", "07133399", "1234.56"},
                                  {"1003", "LEITE CAIXA", "CXA", "04012010", "1234.56"},
                                  {"1004", "OVOS", "CX", "04072100", "12.5"},
                                  {"1005", "PARAFUSO", "PCT", "73181500", "1234567"},
                                  {"1006", "PREGO", "PC", "73170020", "0.99"},
                                  {"1007", "PREGO 2", "PCT", "73170020", "5"},
                                  {"1008", L1("SABÃO; EM PÓ \"NEUTRO\""), "UN", "34022000", "8.75"},
                                  {"1009", "TINTA", "LT", "32091010", "<null>"},
                                  {"1010", "DESCONTO", "UN", "32091010", "<null>"},
                                  {"1011", "SEM PRECO", L1("PÇ"), "32091010", "0"}}));
    // The log: the product without a unit (refused by the destination's reference, and so
    // its item), and the two prices, each naming the product and the text.
    const std::string log = arquivo("vantor.log");
    EXPECT_EQ(log.find(L1("TIPOS DE UNIDADE")), std::string::npos) << log;
    EXPECT_NE(log.find(L1("Erro na importação de PRODUTO no Registro 1012\r\n")), std::string::npos) << log;
    EXPECT_NE(log.find("FK_PRODUTO_UNIDADE"), std::string::npos) << log;
    EXPECT_NE(log.find(L1("LISTA DE PREÇO no Registro TINTA\r\nPreço inválido: '12.5.0'")), std::string::npos) << log;
    EXPECT_NE(log.find(L1("LISTA DE PREÇO no Registro DESCONTO\r\nPreço inválido: '-5,00'")), std::string::npos) << log;
    EXPECT_NE(log.find(L1("LISTA DE PREÇO no Registro SEM UNIDADE\r\n")), std::string::npos) << log;
    EXPECT_EQ(r.erros.size(), 4u);

    // The technician fixes the file and imports again over the first catalogue: exactly the
    // new one is left, numbered afresh.
    std::filesystem::remove(pasta / "vantor.log");
    op.dialogos.clear();
    ler({linha("2001", "CAFE", "kg", "0901.21.00", "15,00"), linha("2002", "ACUCAR", "KG", "17019900", "4,50"),
         linha("2003", "BALDE", "PC", "3924.10.00", "1.020,00")});
    const ResultadoImportacao r2 = importarProdutos();
    EXPECT_FALSE(r2.comErros()) << arquivo("vantor.log");
    EXPECT_EQ(produtos(), (Linhas{{"2001", "CAFE", "KG", "09012100", "15"},
                                  {"2002", "ACUCAR", "KG", "17019900", "4.5"},
                                  {"2003", "BALDE", "PC", "39241000", "1020"}}));
    EXPECT_EQ(banco.consultar("SELECT UNI_CODIGO, UNI_DESCRICAO FROM TIPOUNIDADE ORDER BY 1"),
              (Linhas{{"1", "KG"}, {"2", "PC"}}));
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM CODIGONCM"), "3");
    EXPECT_EQ(registro(), (Linhas{{"CODIGONCM", "4"}, {"TIPOUNIDADE", "3"}}));
    EXPECT_EQ(op.dialogosDo("aviso"), (std::vector<std::string>{L1("Importação finalizada com sucesso")}));

    // A table of the shop's own that references the products keeps them: the rehearsal and
    // the run both say so, name the table, and change nothing.
    banco.executar("CREATE TABLE VENDA (VEN_CODIGO INTEGER, PRO_CODIGO INTEGER REFERENCES PRODUTO (PRO_CODIGO));"
                   "INSERT INTO VENDA VALUES (1, 2001);");
    const Linhas antes = produtos();
    for (const bool simular : {true, false}) {
        op.dialogos.clear();
        ModoExecucao modo;
        modo.simular = simular;
        const ResultadoImportacao r3 = importarProdutos(modo);
        EXPECT_TRUE(r3.comErros());
        EXPECT_EQ(r3.tabelaNaoEsvaziada, "PRODUTO");
        const auto avisos = op.dialogosDo("aviso");
        ASSERT_EQ(avisos.size(), 1u);
        EXPECT_EQ(avisos[0].rfind(simular
                                      ? L1("Simulação não realizada: não foi possível esvaziar a tabela PRODUTO\r\n")
                                      : L1("Importação não realizada, nada foi alterado: não foi possível "
                                           "esvaziar a tabela PRODUTO\r\n"),
                                  0),
                  0u)
            << avisos[0];
        EXPECT_NE(avisos[0].find("VENDA"), std::string::npos) << avisos[0];
        EXPECT_EQ(produtos(), antes);
    }
}
