// The sequence register and the unit, NCM and city lookups.
#include "Destino.h"

using namespace norvo;
using namespace norvo::teste;

struct Buscas : Destino {
    BancoDestino& destino() { return avulso->destino; }
};

TEST_F(Buscas, RegistroSequencialInsereDepoisAltera)
{
    prepararEtapa();
    GravaCodigoSequencial(ctx(), "TIPOUNIDADE", 5);
    EXPECT_EQ(banco.consultar("SELECT GER_TABELA, GER_VALOR FROM GERACODIGO"), (Linhas{{"TIPOUNIDADE", "5"}}));
    GravaCodigoSequencial(ctx(), "TIPOUNIDADE", 8);
    EXPECT_EQ(banco.consultar("SELECT GER_TABELA, GER_VALOR FROM GERACODIGO"), (Linhas{{"TIPOUNIDADE", "8"}}));
    EXPECT_FALSE(destino().registroSequencial().isOpen());

    // A quote in the table name is doubled in the select and matches the stored name.
    GravaCodigoSequencial(ctx(), "O'BRIEN", 1);
    GravaCodigoSequencial(ctx(), "O'BRIEN", 2);
    EXPECT_EQ(banco.valor("SELECT GER_VALOR FROM GERACODIGO WHERE GER_TABELA = 'O''BRIEN'"), "2");
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM GERACODIGO"), "2");
    EXPECT_TRUE(op.dialogos.empty());
}

TEST_F(Buscas, RegistroSequencialComFalhaMostraDesfazESegue)
{
    banco.executar("ALTER TABLE GERACODIGO ADD CONSTRAINT CK_VALOR CHECK (GER_VALOR >= 0);"
                   "INSERT INTO GERACODIGO VALUES ('TIPOUNIDADE', 3);");
    prepararEtapa();
    GravaCodigoSequencial(ctx(), "TIPOUNIDADE", -1);
    const auto msgs = op.dialogosDo("mensagem");
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].rfind(L1("Falha na gravação do código sequencial\r\nFalha: "), 0), 0u) << msgs[0];
    EXPECT_NE(msgs[0].find("CK_VALOR"), std::string::npos);
    EXPECT_FALSE(destino().registroSequencial().isOpen());
    EXPECT_TRUE(destino().transacao().active());
    EXPECT_EQ(banco.valor("SELECT GER_VALOR FROM GERACODIGO"), "3");
}

TEST_F(Buscas, UnidadePelaMesmaChaveQueAEtapaGrava)
{
    banco.executar(L1("INSERT INTO TIPOUNIDADE VALUES (1, 'CX', 'CX'); INSERT INTO TIPOUNIDADE VALUES (2, 'Ç', 'Ç');"
                      "INSERT INTO TIPOUNIDADE VALUES (3, 'PCT', 'PC');"));
    prepararEtapa();
    EXPECT_EQ(BuscaCodigoUnidade(destino(), "cx"), 1);
    EXPECT_EQ(BuscaCodigoUnidade(destino(), L1("ç")), 2); // accented letters upper-cased as the stage writes them
    EXPECT_EQ(BuscaCodigoUnidade(destino(), " pct"), 3);
    EXPECT_EQ(BuscaCodigoUnidade(destino(), "PC"), 0); // an abbreviation is not a unit
    EXPECT_EQ(BuscaCodigoUnidade(destino(), "ZZ"), 0);
    EXPECT_TRUE(destino().auxiliar().isOpen()); // left open for its next user to close
}

TEST_F(Buscas, NcmComparaExato)
{
    banco.executar("INSERT INTO CODIGONCM VALUES (4, '10063021', 'x');");
    prepararEtapa();
    EXPECT_EQ(BuscaCodigoNCM(destino(), "10063021"), 4);
    EXPECT_EQ(BuscaCodigoNCM(destino(), "1006.30.21"), 0);
    EXPECT_EQ(BuscaCodigoNCM(destino(), "'; DELETE FROM CODIGONCM; --"), 0);
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM CODIGONCM"), "1");
}

TEST_F(Buscas, CidadeComMaiusculasLatin1EAspas)
{
    banco.executar(L1("INSERT INTO CIDADE (CID_CODIGO, CID_NOME) VALUES (10, 'SÃO JOSÉ');"
                      "INSERT INTO CIDADE (CID_CODIGO, CID_NOME) VALUES (11, 'PINGO D''ÁGUA');"));
    prepararEtapa();
    EXPECT_EQ(BuscaCodigoCidade(ctx(), L1("são josé")), 10);
    EXPECT_EQ(BuscaCodigoCidade(ctx(), L1("Pingo d'água")), 11);
    EXPECT_EQ(BuscaCodigoCidade(ctx(), L1(" são josé ")), 10); // blanks around a typed name
    EXPECT_EQ(BuscaCodigoCidade(ctx(), "NOWHERE"), 0);
    EXPECT_TRUE(avulso->erros.empty());
}

TEST_F(Buscas, CidadeComFalhaViraEntradaEZero)
{
    banco.executar("DROP TABLE CIDADE;");
    prepararEtapa();
    EXPECT_EQ(BuscaCodigoCidade(ctx(), L1("são paulo")), 0);
    ASSERT_EQ(avulso->erros.size(), 1u);
    const std::string& e = avulso->erros.front();
    EXPECT_EQ(e.rfind(L1("Erro no retorno do CÓDIGO DE CIDADE Cód. IBGE  são paulo\r\n"), 0), 0u) << e;
    EXPECT_NE(e.find("CIDADE"), std::string::npos);
    EXPECT_EQ(e.substr(e.size() - 2), "\r\n");
}

// Each lookup's two forms, the text default mode sends and the statement fast mode prepares
// from the same declaration, answer alike: quotes, blanks, accents, an empty key and one
// longer than its column.
TEST_F(Buscas, FormasTextualEPreparadaDaoAMesmaResposta)
{
    banco.executar(L1("INSERT INTO TIPOUNIDADE VALUES (1, 'CX', 'CX'); INSERT INTO TIPOUNIDADE VALUES (2, 'D''A', 'D');"
                      "INSERT INTO TIPOUNIDADE VALUES (3, 'Ç', 'Ç'); INSERT INTO CODIGONCM VALUES (4, '10063021', 'x');"
                      "INSERT INTO CIDADE (CID_CODIGO, CID_NOME) VALUES (10, 'SÃO JOSÉ');"));
    prepararEtapa();
    const std::vector<std::string> chaves = {
        "CX",   "CX ", " CX", "cx", "D'A", L1("Ç"), "", "10063021", "10063021 ", L1("SÃO JOSÉ"), std::string(300, 'X'),
        "'; --"};
    for (const DefinicaoBusca* d : {&BuscaUnidade, &BuscaNCM, &BuscaCidade, &ExisteUnidade, &ExisteNCM}) {
        BuscaPreparada preparada(destino(), *d);
        for (const std::string& chave : chaves) {
            db::Query q;
            q.setDatabase(&destino().banco());
            q.setTransaction(&destino().transacao());
            bool caiu = false;
            EXPECT_EQ(preparada.codigo(chave, [&] { return caiu = true, -1; }), buscarTextual(q, *d, chave))
                << d->linha1 << " [" << chave << "]";
            EXPECT_EQ(preparada.existe(chave, [&] { return caiu = true; }), existeTextual(q, *d, chave));
            EXPECT_FALSE(caiu) << "the prepared form answered itself";
        }
    }
}
