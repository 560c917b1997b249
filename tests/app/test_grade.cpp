// The product grid over the staging table: what a reading shows, editing, adding and
// deleting records, and following the table's current record.
#include <set>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTableView>

#include "JanelaTeste.h"
#include "import/Importador.h"

namespace norvo::app::teste {
namespace {

QString u8(const char* texto)
{
    return QString::fromUtf8(texto);
}

constexpr int ColCodigo = 0;
constexpr int ColDescricao = 1;

struct Grade : Janela {
    QTableView* grade = nullptr;
    QAbstractItemModel* modelo = nullptr;

    void SetUp() override
    {
        abrir();
        grade = filho<QTableView>("DBGrid1");
        modelo = grade->model();
    }
    void ler(const std::string& conteudo)
    {
        dialogos.arquivos.push_back(QString::fromStdString(csv("p.csv", conteudo)));
        janela->BitBtnLerCSVProdutosClick();
    }
    void tecla(int codigo, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent e(QEvent::KeyPress, codigo, mods);
        QCoreApplication::sendEvent(grade, &e);
    }
    QString celula(int linha, int coluna) const { return modelo->data(modelo->index(linha, coluna)).toString(); }
    std::set<QString> descricoes() const
    {
        std::set<QString> r;
        for (int i = 0; i < modelo->rowCount(); ++i)
            r.insert(celula(i, ColDescricao));
        return r;
    }
};

const char* const DuasLinhas = "1;ARROZ;UN;xx018;x;xxx01;xxx01;100;12.50\r\n"
                               "2;FEIJAO;KG;xx007;x;xxx01;xxx01;200;8,00\r\n";

TEST_F(Grade, UmaColunaPorCampoComONomeDoCampo)
{
    const char* nomes[] = {"COD_PRODUTO", "DESCRICAO", "UNIDADE", "ICMS", "PIS", "COFINS", "NCM", "VALORVENDA"};
    ASSERT_EQ(modelo->columnCount(), 8);
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(modelo->headerData(c, Qt::Horizontal).toString(), u8(nomes[c]));
}

TEST_F(Grade, AntesDeLerAGradeEstaVaziaENaoAceitaRegistro)
{
    EXPECT_EQ(modelo->rowCount(), 0);
    grade->setFocus();
    tecla(Qt::Key_Insert);
    EXPECT_EQ(modelo->rowCount(), 0);
    EXPECT_TRUE(dialogos.textosDe("falha").empty());
}

TEST_F(Grade, MostraOsRegistrosLidos)
{
    ler(DuasLinhas);
    ASSERT_EQ(modelo->rowCount(), 2);
    EXPECT_EQ(descricoes(), (std::set<QString>{u8("ARROZ"), u8("FEIJAO")}));
}

TEST_F(Grade, NovaLeituraSubstituiAsLinhasEIndiceAntigoFicaVazio)
{
    ler(DuasLinhas);
    const QPersistentModelIndex antigo = modelo->index(1, ColDescricao);
    const QModelIndex cru = modelo->index(1, ColDescricao);
    ler("9;MILHO;UN;xx018;x;xxx01;xxx01;100;1.00\r\n");
    EXPECT_EQ(modelo->rowCount(), 1);
    EXPECT_EQ(descricoes(), std::set<QString>{u8("MILHO")});
    EXPECT_FALSE(antigo.isValid());
    EXPECT_FALSE(modelo->data(cru).isValid());
}

TEST_F(Grade, EditarUmaCelulaGuardaNaTabela)
{
    ler(DuasLinhas);
    ASSERT_TRUE(modelo->setData(modelo->index(0, ColDescricao), u8("MILHO VERDE")));
    EXPECT_EQ(celula(0, ColDescricao), u8("MILHO VERDE"));
    EXPECT_EQ(janela->importador().CdsProdutos().cellText(0, staging::DESCRICAO), "MILHO VERDE");
}

TEST_F(Grade, ValorRecusadoMostraAFalhaEMantemOAntigo)
{
    ler(DuasLinhas);
    const QString antes = celula(0, ColCodigo);
    EXPECT_FALSE(modelo->setData(modelo->index(0, ColCodigo), u8("P1")));
    EXPECT_EQ(celula(0, ColCodigo), antes);
    EXPECT_EQ(dialogos.textosDe("falha"),
              std::vector<QString>{u8("'P1' is not a valid integer value for field 'COD_PRODUTO'")});
}

TEST_F(Grade, InsertAbreUmaLinhaQueSoGuardaComValor)
{
    ler(DuasLinhas);
    auto& tabela = janela->importador().CdsProdutos();
    grade->setFocus();
    tecla(Qt::Key_Insert);
    ASSERT_EQ(modelo->rowCount(), 3);
    EXPECT_EQ(celula(2, ColDescricao), QString());
    EXPECT_EQ(grade->currentIndex().row(), 2);
    EXPECT_EQ(tabela.recordCount(), 2); // nothing stored yet

    // Left without a value, the row goes and nothing was stored.
    grade->setCurrentIndex(modelo->index(0, 0));
    EXPECT_EQ(modelo->rowCount(), 2);
    EXPECT_EQ(tabela.recordCount(), 2);

    // A value typed into it stores the record, after the last one.
    tecla(Qt::Key_Insert);
    ASSERT_TRUE(modelo->setData(modelo->index(2, ColDescricao), u8("MILHO")));
    EXPECT_EQ(tabela.recordCount(), 3);
    EXPECT_EQ(tabela.cellText(2, staging::DESCRICAO), "MILHO");
    grade->setCurrentIndex(modelo->index(0, 0));
    EXPECT_EQ(modelo->rowCount(), 3);
    EXPECT_EQ(tabela.recordCount(), 3);
}

TEST_F(Grade, ExcluirPerguntaAntes)
{
    ler(DuasLinhas);
    grade->setCurrentIndex(modelo->index(0, 0));
    dialogos.respostas = {false};
    tecla(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dialogos.textosDe("exclusao"), std::vector<QString>{u8("Delete record?")});
    EXPECT_EQ(modelo->rowCount(), 2);

    const QString restante = celula(1, ColDescricao);
    dialogos.respostas = {true};
    tecla(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(modelo->rowCount(), 1);
    EXPECT_EQ(celula(0, ColDescricao), restante);
    EXPECT_EQ(janela->importador().CdsProdutos().recordCount(), 1);
}

TEST_F(Grade, SegueORegistroAtualDaTabela)
{
    ler(DuasLinhas);
    janela->importador().CdsProdutos().setCurrent(0);
    EXPECT_EQ(grade->currentIndex().row(), 0);
    janela->importador().CdsProdutos().setCurrent(1);
    EXPECT_EQ(grade->currentIndex().row(), 1);
}

} // namespace
} // namespace norvo::app::teste
