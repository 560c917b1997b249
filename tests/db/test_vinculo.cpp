// Parameters bound against the real server: what each kind of value becomes in its column.
#include "Conexao.h"

using namespace norvo;
using namespace norvo::teste;

TEST_F(Consulta, RegrasDeVinculo)
{
    sql("INSERT INTO T (ID, NOME, QTD, PRECO, REAL_, QUANDO) VALUES (:ID, :NOME, :QTD, :PRECO, :REAL_, :QUANDO)");
    query.paramByName("ID").setAsInteger(1);
    query.paramByName("NOME").setAsString("0123456789ABCDEF"); // 16 into VARCHAR(15)
    try {
        query.execute();
        ADD_FAILURE() << "a text longer than its column passed";
    } catch (const db::TextoLongo& e) {
        EXPECT_STREQ(e.what(), "Trying to store a string of length 16 into a field that can only contain 15");
        const db::Causa c = db::causaDe(e);
        EXPECT_EQ(c.tipo, db::Causa::Tipo::TextoLongo);
        EXPECT_EQ(c.coluna, "NOME");
        EXPECT_EQ(c.capacidade, 15);
    }

    query.paramByName("NOME").setAsString("0123456789ABCDE"); // 15 passes
    query.paramByName("QTD").setAsString("");                 // empty text to INTEGER: NULL
    query.paramByName("PRECO").setAsCurrency(123456);         // 12.3456
    query.paramByName("REAL_").setAsFloat(0.25);
    query.paramByName("QUANDO").setAsDateTime({2024, 2, 29, 13, 45, 7});
    query.execute();

    // Not assigned again: the old values are sent again.
    query.paramByName("ID").setAsString("2");  // text to an INTEGER: the server converts it
    query.paramByName("NOME").setAsString(""); // empty text to VARCHAR: empty, not NULL
    query.execute();
    transacao.commitRetaining();

    auto linhas = banco.consultar("SELECT ID, NOME, QTD, PRECO, REAL_, QUANDO FROM T ORDER BY ID");
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[0],
              (std::vector<std::string>{"1", "0123456789ABCDE", "<null>", "12.3456", "0.25", "2024-02-29 13:45:07"}));
    EXPECT_EQ(linhas[1], (std::vector<std::string>{"2", "", "<null>", "12.3456", "0.25", "2024-02-29 13:45:07"}));
}
