// The window when the destination connection goes away in the middle of a run: the product
// stage reports the loss, the run ends as usual, and the window is free and can close.
// Needs the local Firebird server, as the other window tests with a database do.
#include <QProgressBar>

#include "BancoTeste.h"
#include "JanelaTeste.h"
#include "import/Importador.h"

namespace norvo::app::teste {
namespace {

QString u8(const char* texto) { return QString::fromUtf8(texto); }

struct JanelaConexaoPerdida : Janela {
    norvo::teste::BancoTeste banco{"janela-falha"};

    ~JanelaConexaoPerdida() override { janela.reset(); }
};

TEST_F(JanelaConexaoPerdida, ConexaoPerdidaNaImportacaoDeixaAJanelaLivre) {
    banco.executar(norvo::teste::esquemaDestino());
    pasta.escrever("Config.ini", "[Bancos]\r\nDestino=" + banco.caminho() + "\r\n");
    abrir();
    std::string linhas;
    for (int c = 1; c <= 6; ++c)
        linhas += std::to_string(c) + ";PRODUTO " + std::to_string(c) + ";UN;xx018;x;xxx01;xxx01;10063011;1.50\r\n";
    dialogos.arquivos.push_back(QString::fromStdString(csv("p.csv", linhas)));
    botao("BitBtnLerCSVProdutos")->click();
    ASSERT_EQ(rotulo("LabelTotalProdutos")->text(), u8("Total do Contador: 6"));

    caixa("CheckBoxProdutos")->setChecked(true);
    dialogos.respostas = {true, false}; // run it; do not open the log afterwards
    bool derrubou = false;
    janela->aoMedir = [&] {
        // The gauge moves after each product is written; end the attachment after the second.
        if (derrubou || rotulo("LabelObs")->text() != u8("Importando Produtos")) return;
        if (janela->importador().gaugeProgresso() == 2) {
            banco.derrubarOutrasConexoes();
            derrubou = true;
        }
    };
    botao("BitBtnImportar")->click();
    ASSERT_TRUE(derrubou);

    const auto mensagens = dialogos.textosDe("mensagem");
    ASSERT_EQ(mensagens.size(), 1u);
    EXPECT_TRUE(mensagens[0].startsWith(u8("Falha na importação da tabela de Produtos, Falha: \r\n")))
        << mensagens[0].toStdString();
    EXPECT_TRUE(mensagens[0].contains(u8("connection shutdown"))) << mensagens[0].toStdString();
    EXPECT_TRUE(dialogos.textosDe("falha").empty()) << "nothing escapes the run";
    EXPECT_EQ(dialogos.textosDe("confirma").size(), 2u); // the run's question and the log's
    EXPECT_EQ(dialogos.textosDe("mostraMensagem"), std::vector<QString>{u8("Importação finalizada com erros")});
    EXPECT_EQ(rotulo("LabelObs")->text(), u8("Importação finalizada com erros"));
    EXPECT_EQ(filho<QProgressBar>("GaugeImportando")->text(), u8("0%"));
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM PRODUTO"), "2");
    EXPECT_TRUE(pasta.existe("vantor.log")); // the price items of the four products never written

    EXPECT_FALSE(janela->importador().Importando());
    EXPECT_FALSE(janela->importador().IBDatabaseDestino.connected());
    EXPECT_TRUE(controlesLivres());
    EXPECT_TRUE(janela->close());
}

} // namespace
} // namespace norvo::app::teste
