#include "app/FormImporta.h"

#include "app/Caminhos.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QUrl>

#include "app/AplicacaoImporta.h"
#include "app/Dialogos.h"
#include "app/FilenameEdit.h"
#include "app/GradeProdutos.h"
#include "app/IniFile.h"
#include "app/ModeloProdutos.h"
#include "app/PaginaProblemas.h"
#include "app/Painel.h"
#include "app/RotuloStatus.h"
#include "import/Copia.h"
#include "import/Importador.h"
#include "import/Pastas.h"
#include "import/Problemas.h"
#include "import/Textos.h"
#include "staging/GravadorCSV.h"

#include <utility>
#include "texto/Latin1.h"
#include "texto/Texto.h"

namespace norvo::app {

namespace {

// The window was designed 694 x 377 with a frame of 4-pixel borders and a 19-pixel caption;
// the controls fill the client area that leaves.
constexpr int LarguraCliente = 686;
constexpr int AlturaCliente = 350;
constexpr QPoint PosicaoJanela(77, 120);
// The status strip at the bottom left; the status line takes its width less its margins.
constexpr int LarguraCorpo = 273;

// The notes behind the reading's box: all of them, up to the most a reading keeps.
constexpr std::size_t ResultadoLeituraTodas = staging::ResultadoLeitura::MaxNotas;

const QColor Roxo(128, 0, 128);
const QColor Marinho(0, 0, 128);

Dialogos* dialogosDaAplicacao()
{
    if (auto* app = qobject_cast<AplicacaoImporta*>(QCoreApplication::instance()))
        return &app->dialogos();
    return &DialogosQt::padrao();
}

// The window was laid out for MS Sans Serif 8; where it is missing, narrow look-alikes keep
// the captions inside their designed widths.
QFont fonteDaJanela()
{
    QFont f(QStringLiteral("MS Sans Serif"), 8);
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed")});
    return f;
}

QFont fonteDe(const QFont& base, int pontos, bool negrito)
{
    QFont f = base;
    if (pontos > 0)
        f.setPointSize(pontos);
    f.setBold(negrito);
    return f;
}

// The import button's glyph: a green arrow into a database drum.
QIcon iconeImportar()
{
    QPixmap px(16, 16);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(230, 200, 60));
    p.drawRect(QRectF(7.5, 4.5, 7, 10));
    p.drawEllipse(QRectF(7.5, 2.5, 7, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 140, 0));
    const QPointF seta[] = {{0.5, 7}, {4, 7}, {4, 4}, {8.5, 9}, {4, 14}, {4, 11}, {0.5, 11}};
    p.drawPolygon(seta, 7);
    p.end();
    QIcon icone;
    icone.addPixmap(px, QIcon::Normal);
    QImage cinza = px.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < cinza.height(); ++y)
        for (int x = 0; x < cinza.width(); ++x) {
            const QColor c = cinza.pixelColor(x, y);
            const int g = 128 + qGray(c.rgb()) / 2;
            cinza.setPixelColor(x, y, QColor(g, g, g, c.alpha()));
        }
    icone.addPixmap(QPixmap::fromImage(cinza), QIcon::Disabled);
    return icone;
}

} // namespace

// Marks the window busy with one kind of work for a scope and frees it however the scope
// ends, a failure included. With marcarJa false it only frees: the core marks an import run
// busy itself, after its confirmation.
class TFormImporta::GuardaTrabalho {
public:
    GuardaTrabalho(TFormImporta& janela, Trabalho trabalho, bool marcarJa) : janela_(janela), trabalho_(trabalho)
    {
        if (marcarJa)
            janela_.marcarTrabalho(trabalho_, true);
    }
    ~GuardaTrabalho() { janela_.marcarTrabalho(trabalho_, false); }
    GuardaTrabalho(const GuardaTrabalho&) = delete;
    GuardaTrabalho& operator=(const GuardaTrabalho&) = delete;

private:
    TFormImporta& janela_;
    Trabalho trabalho_;
};

namespace {

// The folder the caller names (tests do) for everything, or the program's own, created if
// missing.
Pastas pastasDaJanela(const OpcoesJanela& opcoes)
{
    if (opcoes.pasta.isEmpty()) {
        const Pastas p = pastasDoPrograma();
        criarPastas(p);
        return p;
    }
    Pastas p;
    p.config = p.dados = comSeparador(bytesDoCaminho(opcoes.pasta));
    return p;
}

} // namespace

TFormImporta::TFormImporta(const OpcoesJanela& opcoes, QWidget* pai)
    : TFormImporta(opcoes, std::make_unique<OperadorJanela>(), pai)
{}

TFormImporta::TFormImporta(const OpcoesJanela& opcoes, std::unique_ptr<OperadorJanela> operador, QWidget* pai)
    : TFormImporta(opcoes, pastasDaJanela(opcoes), std::move(operador), pai)
{}

TFormImporta::TFormImporta(const OpcoesJanela& opcoes, const Pastas& pastas, std::unique_ptr<OperadorJanela> operador,
                           QWidget* pai)
    : QMainWindow(pai), pastaConfig_(caminhoDosBytes(pastas.config)),
      dialogos_(opcoes.dialogos ? opcoes.dialogos : dialogosDaAplicacao()), operador_(std::move(operador)),
      importador_(std::make_unique<Importador>(*operador_, pastas.estagio)), opcoes_(opcoes.opcoes)
{
    setObjectName(QStringLiteral("FormImporta"));
    setWindowTitle(textos::TituloJanela);
    setFont(fonteDaJanela());
    montar(opcoes.cadastros);
    operador_->ligar(this, dialogos_, GaugeImportando, LabelObs, [this](bool sim) { marcarTrabalho(Importacao, sim); });
    importador_->setPastaLogs(pastas.dados);
    move(PosicaoJanela);
    // The controls have fixed places in the designed area: any smaller would hide some.
    setMinimumSize(LarguraCliente, AlturaCliente);
    resize(LarguraCliente, AlturaCliente);
}

TFormImporta::~TFormImporta()
{
    // The grid must stop listening before the table goes (closing it notifies).
    DtsCDsProdutos->desligar();
    importador_.reset();
}

void TFormImporta::montar(bool cadastros)
{
    auto* fundo = new Painel(this, Painel::Chanfro::Nenhum);
    setCentralWidget(fundo);

    PanelCabecalho = new Painel(fundo, Painel::Chanfro::Alto);
    PanelCabecalho->setObjectName(QStringLiteral("PanelCabecalho"));
    fundo->alinhar(PanelCabecalho, Painel::Borda::Topo, 297, Painel::Medida::Cresce, AlturaCliente);

    PageControl = new QTabWidget(PanelCabecalho);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PanelCabecalho->alinhar(PageControl, Painel::Borda::Topo, 193, Painel::Medida::Cresce, 297);
    TB_NORVO = new QWidget;
    TB_NORVO->setObjectName(QStringLiteral("TB_NORVO"));
    TB_NORVO->installEventFilter(this);
    PageControl->addTab(TB_NORVO, QStringLiteral("Norvo"));
    PageControl->setCurrentWidget(TB_NORVO);
    PaginaProblemas_ = new PaginaProblemas;
    PaginaProblemas_->setObjectName(QStringLiteral("TB_PROBLEMAS"));
    PageControl->addTab(PaginaProblemas_, QStringLiteral("Problemas (0)"));
    connect(PaginaProblemas_, &PaginaProblemas::quantidadeMudou, this, [this](long n) {
        PageControl->setTabText(PageControl->indexOf(PaginaProblemas_), QStringLiteral("Problemas (%1)").arg(n));
    });
    connect(PaginaProblemas_, &PaginaProblemas::registroEscolhido, this, &TFormImporta::mostrarRegistro);
    connect(PaginaProblemas_, &PaginaProblemas::salvarTabelaPedido, this, &TFormImporta::salvarTabela);
    connect(PaginaProblemas_, &PaginaProblemas::salvarProblemasPedido, this, &TFormImporta::salvarProblemas);

    // A check box for each of the run's options that has a label (import/Opcoes.cpp), the
    // designed ones where they were designed and any other below them.
    struct Lugar {
        Opcao opcao;
        const char* nome;
        QRect onde;
    };
    static const Lugar lugares[] = {{Opcao::Produtos, "CheckBoxProdutos", {8, 12, 63, 17}},
                                    {Opcao::Clientes, "CheckBoxClientes", {8, 32, 63, 17}},
                                    {Opcao::Fornecedores, "CheckBoxFornec", {8, 54, 96, 17}}};
    // Right under the product option: the client and supplier options sit there only when shown.
    int abaixo = cadastros ? 76 : 32;
    for (const DefinicaoOpcao& d : opcoesDeExecucao()) {
        if (!d.rotulo)
            continue;
        auto* c = new QCheckBox(QString::fromUtf8(d.rotulo), TB_NORVO);
        const auto lugar =
            std::find_if(std::begin(lugares), std::end(lugares), [&](const Lugar& l) { return l.opcao == d.opcao; });
        if (lugar != std::end(lugares)) {
            c->setObjectName(QLatin1String(lugar->nome));
            c->setGeometry(lugar->onde);
        } else {
            // "--sem-copia" -> "CheckBoxSemCopia"
            QString nome = QStringLiteral("CheckBox");
            for (const QString& parte : QString::fromLatin1(d.argumento + 2).split(u'-'))
                nome += parte.left(1).toUpper() + parte.mid(1);
            c->setObjectName(nome);
            // The grid starts at 128: a longer label breaks into a second line.
            const int largura = 118;
            QString rotulo = c->text();
            const int indicador = c->sizeHint().width() - c->fontMetrics().horizontalAdvance(rotulo);
            if (c->fontMetrics().horizontalAdvance(rotulo) + indicador > largura) {
                qsizetype quebra = -1; // the last blank the first line can end at
                for (qsizetype i = rotulo.indexOf(u' '); i > 0; i = rotulo.indexOf(u' ', i + 1))
                    if (c->fontMetrics().horizontalAdvance(rotulo.left(i)) + indicador <= largura)
                        quebra = i;
                if (quebra > 0)
                    rotulo[quebra] = u'\n';
            }
            c->setAccessibleName(c->text());
            c->setText(rotulo);
            const int altura = rotulo.contains(u'\n') ? 30 : 17;
            c->setGeometry(8, abaixo, largura, altura);
            abaixo += altura + 5;
        }
        c->setVisible(!d.oculta || cadastros);
        c->setChecked(opcoes_.marcada(d.opcao));
        caixas_.push_back({d.opcao, c});
        if (d.opcao == Opcao::Simular)
            connect(c, &QCheckBox::toggled, this, [this](bool sim) { LabelSimulacao->setVisible(sim); });
    }
    auto caixa = [this](Opcao o) {
        for (const auto& [opcao, c] : caixas_)
            if (opcao == o)
                return c;
        return static_cast<QCheckBox*>(nullptr);
    };
    CheckBoxProdutos = caixa(Opcao::Produtos);
    CheckBoxClientes = caixa(Opcao::Clientes);
    CheckBoxFornec = caixa(Opcao::Fornecedores);

    DtsCDsProdutos = new ModeloProdutos(importador_->CdsProdutos(), *dialogos_, this);
    DtsCDsProdutos->setObjectName(QStringLiteral("DtsCDsProdutos"));
    DBGrid1 = new GradeProdutos(*dialogos_, TB_NORVO);
    connect(DBGrid1, &GradeProdutos::salvarTabelaPedido, this, &TFormImporta::salvarTabela);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(DtsCDsProdutos);
    DBGrid1->setGeometry(128, 8, 537, 120);

    Panel1 = new Painel(PanelCabecalho, Painel::Chanfro::Baixo, Painel::Chanfro::Alto);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    PanelCabecalho->alinhar(Panel1, Painel::Borda::Base, 144);
    Panel1->raise();

    BitBtnLerCSVProdutos = new QPushButton(QStringLiteral("Ler Arquivo CSV de produtos"), Panel1);
    BitBtnLerCSVProdutos->setObjectName(QStringLiteral("BitBtnLerCSVProdutos"));
    BitBtnLerCSVProdutos->setGeometry(456, 3, 177, 25);
    connect(BitBtnLerCSVProdutos, &QPushButton::clicked, this, &TFormImporta::BitBtnLerCSVProdutosClick);

    Label1 = new QLabel(QStringLiteral("Base de Dados Destino"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(fonteDe(font(), 12, true));
    Label1->move(117, 56);
    Label1->adjustSize();

    BitBtnImportar = new QPushButton(iconeImportar(), QStringLiteral("Importar"), Panel1);
    BitBtnImportar->setObjectName(QStringLiteral("BitBtnImportar"));
    BitBtnImportar->setFont(fonteDe(font(), 0, true));
    BitBtnImportar->setIconSize(QSize(16, 16));
    BitBtnImportar->setGeometry(18, 62, 93, 44);
    connect(BitBtnImportar, &QPushButton::clicked, this, &TFormImporta::BitBtnImportarClick);

    FilenameEditDestino = new FilenameEdit(Panel1);
    FilenameEditDestino->setObjectName(QStringLiteral("FilenameEditDestino"));
    FilenameEditDestino->setFont(fonteDe(font(), 12, true));
    FilenameEditDestino->setGeometry(117, 79, 521, 27);
    FilenameEditDestino->setEscolher([this](const QString& atual) { return dialogos_->escolherBanco(this, atual); });
    connect(FilenameEditDestino, &FilenameEdit::textChanged, this, &TFormImporta::FilenameEditDestinoChange);

    Button1 = new QPushButton(QStringLiteral("Testar Conexão"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(528, 111, 110, 25);
    connect(Button1, &QPushButton::clicked, this, &TFormImporta::Button1Click);

    MemoCSV = new QPlainTextEdit(Panel1);
    MemoCSV->setObjectName(QStringLiteral("MemoCSV"));
    MemoCSV->setGeometry(608, 40, 161, 89);
    MemoCSV->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoCSV->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoCSV->setVisible(false);

    LabelSimulacao = new QLabel(textos::AvisoSimulacao, Panel1);
    LabelSimulacao->setObjectName(QStringLiteral("LabelSimulacao"));
    LabelSimulacao->setFont(fonteDe(font(), 0, true));
    QPalette vermelho = LabelSimulacao->palette();
    vermelho.setColor(QPalette::WindowText, Qt::red);
    LabelSimulacao->setPalette(vermelho);
    LabelSimulacao->move(18, 34);
    LabelSimulacao->adjustSize();
    LabelSimulacao->setVisible(opcoes_.modo.simular);

    PanelCorpo = new Painel(fundo, Painel::Chanfro::Nenhum);
    PanelCorpo->setObjectName(QStringLiteral("PanelCorpo"));
    fundo->alinhar(PanelCorpo, Painel::Borda::Esquerda, LarguraCorpo);

    LabelObs = new RotuloStatus(PanelCorpo);
    LabelObs->setObjectName(QStringLiteral("LabelObs"));
    LabelObs->setFont(fonteDe(font(), 10, true));
    QPalette roxo = LabelObs->palette();
    roxo.setColor(QPalette::WindowText, Roxo);
    LabelObs->setPalette(roxo);
    LabelObs->setGeometry(8, 12, LarguraCorpo - 8 - 4, QFontMetrics(LabelObs->font()).height() + 2);

    LabelTotalProdutos = new QLabel(QStringLiteral("Total produtos"), PanelCorpo);
    LabelTotalProdutos->setObjectName(QStringLiteral("LabelTotalProdutos"));
    LabelTotalProdutos->move(16, 32);
    LabelTotalProdutos->adjustSize();

    GaugeImportando = new QProgressBar(fundo);
    GaugeImportando->setObjectName(QStringLiteral("GaugeImportando"));
    QPalette marinho = GaugeImportando->palette();
    marinho.setColor(QPalette::Highlight, Marinho);
    marinho.setColor(QPalette::Base, Qt::white);
    GaugeImportando->setPalette(marinho);
    GaugeImportando->setFormat(QStringLiteral("%p%"));
    GaugeImportando->setTextVisible(true);
    GaugeImportando->setAlignment(Qt::AlignCenter);
    GaugeImportando->setRange(0, 100);
    GaugeImportando->setValue(0);
    fundo->alinhar(GaugeImportando, Painel::Borda::Direita, 402, Painel::Medida::Proporcional, LarguraCliente);
}

// ---- window events -----------------------------------------------------------------

void TFormImporta::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!e->spontaneous())
        comRelatorio([this] { FormShow(); });
}

void TFormImporta::FormShow()
{
    LabelObs->mostrar(opcoes_.modo.simular ? textos::AvisoSimulacao : QStringLiteral("Status da importação"));
    const IniFile config(bytesDoCaminho(caminhoConfig()));
    lerGeometria(config);
    FilenameEditDestino->setText(caminhoDosBytes(config.ler(SecaoConfig, ChaveDestino)));
    const std::string origem = config.ler(SecaoConfig, ChaveOrigem);
    if (!origem.empty())
        importador_->setOrigem(origem);
}

bool TFormImporta::ocupada() const
{
    return trabalhos_ != 0 || importador_->Importando();
}

bool TFormImporta::FormCloseQuery() const
{
    return !ocupada();
}

void TFormImporta::FormClose()
{
    IniFile config(bytesDoCaminho(caminhoConfig()));
    config.gravar(SecaoConfig, ChaveDestino, bytesDoCaminho(FilenameEditDestino->text()));
    gravarGeometria(config);
}

bool TFormImporta::eventFilter(QObject* objeto, QEvent* e)
{
    if (objeto == TB_NORVO && e->type() == QEvent::Resize)
        ajustarPaginas();
    return QMainWindow::eventFilter(objeto, e);
}

void TFormImporta::ajustarPaginas()
{
    const int cresceu = std::max(0, centralWidget()->width() - LarguraCliente);
    const int desceu = std::max(0, centralWidget()->height() - AlturaCliente);
    DBGrid1->setGeometry(128, 8, 537 + cresceu, 120 + desceu);
    PaginaProblemas_->setContentsMargins(0, 0, 0, std::max(0, TB_NORVO->height() - DBGrid1->geometry().bottom() - 1));
}

void TFormImporta::lerGeometria(const IniFile& config)
{
    const auto numero = [&](const char* chave) {
        return texto::textoParaInteiro(config.ler(SecaoJanela, chave), {.bits = 32});
    };
    const auto x = numero("Esquerda"), y = numero("Topo"), l = numero("Largura"), a = numero("Altura");
    if (x && y && l && a && *l >= LarguraCliente && *a >= AlturaCliente) {
        // A place off every screen (a monitor since unplugged) is not restored.
        const QRect onde(static_cast<int>(*x), static_cast<int>(*y), static_cast<int>(*l), static_cast<int>(*a));
        if (QGuiApplication::screenAt(onde.center()))
            setGeometry(onde);
    }
    if (numero("Maximizada").value_or(0) == 1)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TFormImporta::gravarGeometria(IniFile& config) const
{
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    config.gravar(SecaoJanela, "Esquerda", std::to_string(normal.x()));
    config.gravar(SecaoJanela, "Topo", std::to_string(normal.y()));
    config.gravar(SecaoJanela, "Largura", std::to_string(normal.width()));
    config.gravar(SecaoJanela, "Altura", std::to_string(normal.height()));
    config.gravar(SecaoJanela, "Maximizada", isMaximized() ? "1" : "0");
}

void TFormImporta::closeEvent(QCloseEvent* e)
{
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    // A settings file that cannot be written is reported, but must not keep the operator
    // from leaving the program.
    comRelatorio([this] { FormClose(); });
    // The staging file is written as the table closes; it is reported now, while there is
    // still a window to report it, rather than lost without a word when the table goes.
    comRelatorio([this] { importador_->CdsProdutos().close(); });
    e->accept();
}

void TFormImporta::pararPorSinal(int sinal)
{
    operador_->parar(sinal);
    // A box or file dialog left open would hold everything up: it is answered No/Cancel.
    for (int i = 0; i < 8; ++i) {
        auto* caixa = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!caixa)
            break;
        caixa->reject();
    }
    // During a run or a reading the work ends first; its handler closes after it.
    if (!ocupada())
        close();
}

void TFormImporta::FilenameEditDestinoChange()
{
    const QString texto = FilenameEditDestino->text();
    if (texto.contains(u'"')) {
        // Runs this handler again with the clean text, which then reaches the core.
        FilenameEditDestino->setText(QString(texto).remove(u'"'));
        return;
    }
    importador_->setDestino(bytesDoCaminho(texto));
}

// ---- buttons --------------------------------------------------------------------------

void TFormImporta::BitBtnLerCSVProdutosClick()
{
    comRelatorio([this] {
        if (ocupada())
            return;
        const auto arquivo = dialogos_->escolherArquivoCSV(this, ultimoCSV_);
        if (!arquivo)
            return;
        lerArquivoCSV(*arquivo);
    });
}

void TFormImporta::lerArquivoCSV(const QString& arquivo)
{
    comRelatorio([&] {
        if (ocupada())
            return;
        ultimoCSV_ = arquivo;
        GuardaTrabalho guarda(*this, Leitura, true);
        MemoCSV->clear();
        std::string textoDoArquivo;
        // The notes of the reading before go with its records, even when this one fails.
        ultimaLeitura_ = {};
        DtsCDsProdutos->definirNotas(nullptr);
        PaginaProblemas_->mostrarLeitura(ultimaLeitura_);
        PaginaProblemas_->esquecerRodada();
        ultimaLeitura_ = importador_->LerArquivoCSV(bytesDoCaminho(arquivo), &textoDoArquivo);
        DtsCDsProdutos->definirNotas(&ultimaLeitura_);
        PaginaProblemas_->mostrarLeitura(ultimaLeitura_);
        const int total = ultimaLeitura_.registros;
        MemoCSV->setPlainText(QString::fromLatin1(textoDoArquivo));
        LabelTotalProdutos->setText(QStringLiteral("Total do Contador: %1").arg(total));
        LabelTotalProdutos->adjustSize();
        // What the reading skipped, cut or could not read, before anyone imports it.
        if (ultimaLeitura_.totalNotas() > 0 && !operador_->paradaPedida())
            dialogos_->mostraMensagem(this, textos::LeituraComNotas.arg(ultimaLeitura_.totalNotas()), false,
                                      QString::fromLatin1(ultimaLeitura_.resumo(ResultadoLeituraTodas)));
    });
    if (operador_->paradaPedida() && !ocupada())
        close();
}

std::optional<QString> TFormImporta::ondeSalvar(const QString& botao, const QString& sufixo)
{
    QString sugestao = QStringLiteral("produtos") + sufixo;
    if (!ultimoCSV_.isEmpty()) {
        const QFileInfo f(ultimoCSV_);
        sugestao = f.dir().filePath(f.completeBaseName() + sufixo);
    }
    return dialogos_->escolherOndeSalvar(this, botao.chopped(3), sugestao); // the title without "..."
}

void TFormImporta::salvarTabela()
{
    comRelatorio([this] {
        if (ocupada())
            return;
        staging::StagingTable& t = importador_->CdsProdutos();
        if (!t.active() || t.recordCount() == 0) {
            dialogos_->mensagem(this, QStringLiteral("Não há registros na tabela para salvar."));
            return;
        }
        const auto arquivo = ondeSalvar(textos::SalvarTabela, QStringLiteral("-corrigido.csv"));
        if (!arquivo)
            return;
        const auto inexatos = staging::gravarCSV(t, bytesDoCaminho(*arquivo));
        QString texto = QStringLiteral("Tabela salva em \"%1\": %2 registro(s).").arg(*arquivo).arg(t.recordCount());
        QString detalhes;
        for (const staging::ValorInexato& v : inexatos) {
            if (v.registro >= 0)
                detalhes += QStringLiteral("linha %1, %2: '%3': ")
                                .arg(v.linha)
                                .arg(QLatin1String(staging::nomeCampo(v.campo)), QString::fromLatin1(v.valor));
            detalhes += QString::fromLatin1(v.motivo) + u'\n';
        }
        if (!inexatos.empty())
            texto += QStringLiteral("\n%1 valor(es) não cabem no formato do arquivo e serão lidos de outro jeito: "
                                    "veja os detalhes.")
                         .arg(inexatos.size());
        dialogos_->mostraMensagem(this, texto, inexatos.empty(), detalhes);
    });
}

void TFormImporta::salvarProblemas()
{
    comRelatorio([this] {
        const auto problemas =
            listarProblemas(ultimaLeitura_, PaginaProblemas_->temRodada() ? &ultimoResultado_ : nullptr);
        if (problemas.empty()) {
            dialogos_->mensagem(this, QStringLiteral("Nenhum problema para salvar."));
            return;
        }
        const auto arquivo = ondeSalvar(textos::SalvarProblemas, QStringLiteral("-problemas.csv"));
        if (!arquivo)
            return;
        gravarProblemas(problemas, bytesDoCaminho(*arquivo));
        dialogos_->mostraMensagem(
            this, QStringLiteral("Problemas salvos em \"%1\": %2 linha(s).").arg(*arquivo).arg(problemas.size()), true,
            {});
    });
}

void TFormImporta::mostrarRegistro(int linha, int posicao, int campo)
{
    // A record read from the file is found by its line, wherever edits have moved it; one
    // typed in the grid by where the run found it.
    int registro = DtsCDsProdutos->linhaDoArquivo(linha);
    if (registro < 0 && linha <= 0 && posicao >= 0 && posicao < DtsCDsProdutos->rowCount())
        registro = posicao;
    if (registro < 0)
        return;
    PageControl->setCurrentWidget(TB_NORVO);
    const QModelIndex celula = DtsCDsProdutos->index(registro, campo >= 0 ? campo : 0);
    DBGrid1->setCurrentIndex(celula);
    DBGrid1->scrollTo(celula);
    DBGrid1->setFocus();
}

void TFormImporta::Button1Click()
{
    comRelatorio([this] {
        if (ocupada())
            return;
        importador_->Connectar(true);
    });
}

void TFormImporta::BitBtnImportarClick()
{
    comRelatorio([this] {
        if (ocupada())
            return;
        {
            GuardaTrabalho guarda(*this, Importacao, false);
            OpcoesImportacao opcoes = opcoes_;
            for (const auto& [opcao, c] : caixas_)
                opcoes.marcar(opcao, c->isChecked());
            ultimoResultado_ = importador_->importar(opcoes);
            if (ultimoResultado_.iniciada())
                PaginaProblemas_->mostrarRodada(ultimoResultado_);
        }
        // A run that failed or stopped half way leaves the destination half rebuilt: the copy
        // made before it is the way back, through the restore's own checks and question.
        if (ultimoResultado_.copiaAOferecer() && !operador_->paradaPedida() &&
            operador_->confirma(norvo::textos::OferecerCopia + norvo::textos::CopiaFeita +
                                    texto::CaminhoEmTexto(ultimoResultado_.copia),
                                Operador::Pergunta::OferecerCopia))
            restaurarCopia(ultimoResultado_.copia, importador_->destino(), *operador_);
        // Steps of the run that failed without being shown (a log or the final disconnect)
        // get the default failure report, as any failure nobody caught.
        for (const PassoFalho& p : ultimoResultado_.passosFalhos)
            if (p.relatar)
                relatarFalha(QString::fromLatin1(p.mensagem));
    });
    if (operador_->paradaPedida() && !ocupada())
        close();
}

// ---- busy state ---------------------------------------------------------------------

void TFormImporta::marcarTrabalho(Trabalho t, bool ativo)
{
    trabalhos_ = ativo ? (trabalhos_ | t) : (trabalhos_ & ~t);
    // While a run or a reading goes on, nothing may start another one or change the
    // destination under it; closing is refused separately (FormCloseQuery).
    const bool livre = trabalhos_ == 0;
    for (QWidget* w : {static_cast<QWidget*>(BitBtnImportar), static_cast<QWidget*>(Button1),
                       static_cast<QWidget*>(BitBtnLerCSVProdutos), static_cast<QWidget*>(FilenameEditDestino)})
        w->setEnabled(livre);
}

void TFormImporta::comRelatorio(const std::function<void()>& acao)
{
    try {
        acao();
    } catch (const std::exception& e) {
        relatarFalha(QString::fromLatin1(e.what()));
    }
}

void TFormImporta::relatarFalha(const QString& mensagem)
{
    const QString texto = textoDaFalha(mensagem);
    if (!operador_->aoTerminal(texto))
        dialogos_->falha(this, texto);
}

} // namespace norvo::app
