#include "app/PaginaProblemas.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <tuple>

#include "app/Dialogos.h"
#include "import/Problemas.h"

namespace norvo::app {

namespace {

// Where an item's record is, for those that name one.
constexpr int PapelLinha = Qt::UserRole;
constexpr int PapelPosicao = Qt::UserRole + 1;
constexpr int PapelCampo = Qt::UserRole + 2;

QTreeWidgetItem* item(QTreeWidgetItem* pai, const QString& texto)
{
    auto* i = new QTreeWidgetItem(pai, {texto});
    i->setToolTip(0, texto);
    return i;
}

void marcarRegistro(QTreeWidgetItem* i, int linha, int posicao, int campo)
{
    i->setData(0, PapelLinha, linha);
    i->setData(0, PapelPosicao, posicao);
    i->setData(0, PapelCampo, campo);
}

} // namespace

PaginaProblemas::PaginaProblemas(QWidget* pai) : QWidget(pai), arvore_(new QTreeWidget(this))
{
    arvore_->setObjectName(QStringLiteral("ArvoreProblemas"));
    arvore_->setHeaderHidden(true);
    arvore_->setUniformRowHeights(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* botoes = new QHBoxLayout;
    for (const auto& [texto, nome, sinal] :
         {std::tuple{textos::SalvarTabela, "BotaoSalvarTabela", &PaginaProblemas::salvarTabelaPedido},
          std::tuple{textos::SalvarProblemas, "BotaoSalvarProblemas", &PaginaProblemas::salvarProblemasPedido}}) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(QLatin1String(nome));
        connect(b, &QPushButton::clicked, this, sinal);
        botoes->addWidget(b);
    }
    botoes->addStretch();
    layout->addLayout(botoes);
    layout->addWidget(arvore_);
    connect(arvore_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* i) { escolher(i); });
    refazer();
}

void PaginaProblemas::mostrarLeitura(const staging::ResultadoLeitura& leitura)
{
    delete leitura_;
    leitura_ = nullptr;
    notas_ = leitura.totalNotas();
    if (notas_ > 0) {
        leitura_ = new QTreeWidgetItem({QStringLiteral("Leitura do arquivo: %1 nota(s)").arg(notas_)});
        for (const staging::NotaLeitura& n : leitura.notas) {
            auto* i = item(leitura_, QString::fromLatin1(n.texto()));
            // Blank lines and the header gave no record to go to.
            const bool registro =
                n.tipo != staging::NotaLeitura::Tipo::LinhaEmBranco && n.tipo != staging::NotaLeitura::Tipo::Cabecalho;
            if (registro)
                marcarRegistro(i, n.linha, -1, n.campo == staging::NumCampos ? -1 : int(n.campo));
        }
        if (leitura.naoGuardadas > 0)
            item(leitura_, QStringLiteral("... e mais %1 nota(s), só contadas").arg(leitura.naoGuardadas));
    }
    refazer();
}

void PaginaProblemas::esquecerRodada()
{
    delete rodada_;
    rodada_ = nullptr;
    falhas_ = 0;
    refazer();
}

void PaginaProblemas::mostrarRodada(const ResultadoImportacao& r)
{
    delete rodada_;
    rodada_ = nullptr;
    falhas_ = 0;
    auto* rodada = new QTreeWidgetItem({r.simulada ? QStringLiteral("Simulação") : QStringLiteral("Importação")});
    for (const ResumoEtapa& e : r.etapas) {
        const long daEtapa = e.falhas + (e.falhou ? 1 : 0);
        falhas_ += daEtapa;
        if (e.causas.empty() && !e.falhou && e.semCidade == 0)
            continue;
        auto* etapa = item(rodada, QStringLiteral("%1: %2 falha(s)").arg(QString::fromLatin1(e.titulo)).arg(daEtapa));
        if (e.falhou)
            item(etapa, QStringLiteral("A etapa parou: ") + QString::fromLatin1(e.motivo));
        for (const CausaDeFalha& c : e.causas) {
            auto* causa =
                item(etapa, QStringLiteral("%1x %2").arg(c.vezes).arg(QString::fromLatin1(descreverCausa(c))));
            causa->setToolTip(0, QString::fromLatin1(c.causa));
            for (const CausaDeFalha::Registro& reg : c.registros) {
                QString nome = QString::fromLatin1(reg.nome);
                if (reg.linha > 0)
                    nome += QStringLiteral(" (linha %1)").arg(reg.linha);
                marcarRegistro(item(causa, nome), reg.linha, reg.posicao, reg.campo);
            }
            if (c.vezes > static_cast<long>(c.registros.size()))
                item(causa,
                     QStringLiteral("... e mais %1 no log").arg(c.vezes - static_cast<long>(c.registros.size())));
        }
        if (e.semCidade > 0)
            item(etapa, QStringLiteral("%1 registro(s) com cidade 0 (nome não encontrado em CIDADE)").arg(e.semCidade));
    }
    if (rodada->childCount() > 0) {
        rodada->setText(0, rodada->text(0) + QStringLiteral(": %1 falha(s)").arg(falhas_));
        rodada_ = rodada;
    } else {
        delete rodada;
    }
    refazer();
}

void PaginaProblemas::refazer()
{
    while (arvore_->topLevelItemCount() > 0)
        arvore_->takeTopLevelItem(0);
    delete vazio_;
    vazio_ = nullptr;
    for (QTreeWidgetItem* i : {leitura_, rodada_})
        if (i) {
            arvore_->addTopLevelItem(i);
            i->setExpanded(true);
        }
    if (arvore_->topLevelItemCount() == 0) {
        vazio_ = new QTreeWidgetItem({QStringLiteral("Nenhum problema: a última leitura e a última importação "
                                                     "não deixaram nada a corrigir.")});
        arvore_->addTopLevelItem(vazio_);
    }
    emit quantidadeMudou(quantos());
}

void PaginaProblemas::escolher(QTreeWidgetItem* i)
{
    if (!i || !i->data(0, PapelLinha).isValid())
        return;
    emit registroEscolhido(i->data(0, PapelLinha).toInt(), i->data(0, PapelPosicao).toInt(),
                           i->data(0, PapelCampo).toInt());
}

} // namespace norvo::app
