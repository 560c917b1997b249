#include "import/Importador.h"

#include "import/Etapa.h"
#include "import/Logs.h"
#include "import/Textos.h"
#include "staging/LeitorCSV.h"
#include "staging/Texto.h"

#include <ctime>
#include <utility>

namespace norvo {

namespace {
const std::vector<std::string> kParametrosTransacao = {"read_committed", "rec_version", "nowait"};
}

Importador::Importador(Operador& op)
    : op(op), IBDatabaseDestino("IBDatabaseDestino"), IBDBOrigem("IBDBOrigem"),
      IBTransactionFireBird("IBTransactionFireBird"), IBTransOrigem("IBTransOrigem"),
      IBQueryFireBird("IBQueryFireBird"), IBQueryAuxFB("IBQueryAuxFB"), IBQueryOrigem("IBQueryOrigem"),
      IBDataSetGeraCodFB("IBDataSetGeraCodFB")
{
    IBDatabaseDestino.Params = {"user_name=SYSDBA", "password=kelpdrone", "lc_ctype=ISO8859_1 "};
    IBDatabaseDestino.LoginPrompt = false;
    IBDatabaseDestino.setDefaultTransaction(&IBTransactionFireBird);
    IBTransactionFireBird.Params = kParametrosTransacao;
    IBTransactionFireBird.setDefaultDatabase(&IBDatabaseDestino);

    IBDBOrigem.setDatabaseName(OrigemPadrao);
    IBDBOrigem.Params = {"user_name=sysdba", "password=kelpdrone"};
    IBDBOrigem.LoginPrompt = false;
    IBDBOrigem.setDefaultTransaction(&IBTransOrigem);
    IBTransOrigem.Params = kParametrosTransacao;
    IBTransOrigem.setDefaultDatabase(&IBDBOrigem);

    for (db::Query* q : {&IBQueryFireBird, &IBQueryAuxFB, static_cast<db::Query*>(&IBDataSetGeraCodFB)}) {
        q->setDatabase(&IBDatabaseDestino);
        q->setTransaction(&IBTransactionFireBird);
    }
    IBQueryFireBird.setSQL(TextoDelphiQuery);
    IBQueryOrigem.setDatabase(&IBDBOrigem);
    IBQueryOrigem.setTransaction(&IBTransOrigem);
    IBQueryOrigem.setSQL(TextoDelphiQuery);
    IBDataSetGeraCodFB.setInsertSQL({"insert into GERACODIGO", "  (GER_TABELA, GER_VALOR)", "values",
                                     "  (:GER_TABELA, :GER_VALOR)"});
    IBDataSetGeraCodFB.setModifySQL({"update GERACODIGO", "set", "  GER_TABELA = :GER_TABELA,",
                                     "  GER_VALOR = :GER_VALOR", "where", "  GER_TABELA = :OLD_GER_TABELA"});

    relogio = [] {
        const std::time_t agora = std::time(nullptr);
        std::tm local{};
        localtime_r(&agora, &local);
        return db::DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, 0, 0, 0};
    };
}

Importador::~Importador() = default;

void Importador::setOrigem(const std::string& caminho)
{
    if (IBDBOrigem.connected())
        IBDBOrigem.disconnect();
    IBDBOrigem.setDatabaseName(caminho);
}

bool Importador::Connectar(bool mostrarSucesso)
{
    if (staging::EhBranco(destino_)) {
        op.mostraMensagem(textos::SelecioneDestino, false);
        return false;
    }
    if (IBDBOrigem.connected())
        IBDBOrigem.disconnect();
    if (IBDatabaseDestino.connected())
        IBDatabaseDestino.disconnect();
    try {
        IBDatabaseDestino.setDatabaseName(std::string(HostLocal) + ":" + destino_);
        IBDatabaseDestino.LoginPrompt = false;
        IBDatabaseDestino.setSQLDialect(3);
        IBDatabaseDestino.setDefaultTransaction(&IBTransactionFireBird);
        IBDatabaseDestino.connect();
        IBTransactionFireBird.start();
        if (mostrarSucesso && IBDatabaseDestino.connected())
            op.mostraMensagem(textos::ConectadoSucesso, false);
        return true;
    } catch (const std::exception& e) {
        op.mostraMensagem(textos::FalhaConnectar + e.what(), false);
        return false;
    }
}

int Importador::LerArquivoCSV(const std::string& caminho)
{
    return staging::carregarProdutos(CdsProdutos, caminho, [this] { op.processarEventos(); });
}

bool ResultadoImportacao::comErros() const
{
    if (entradasErros > 0 || entradasDuplicados > 0 || !passosFalhos.empty())
        return true;
    for (const ResumoEtapa& r : etapas)
        if (r.falhou || r.falhas > 0)
            return true;
    return false;
}

namespace {

// The closing notice: what happened, and for a rehearsal that nothing was written and what
// the real run would have done.
std::string textoFinal(const ResultadoImportacao& r)
{
    if (!r.tabelaNaoEsvaziada.empty())
        return (r.simulada ? textos::SimulacaoNaoRealizada : textos::NaoRealizada) + r.tabelaNaoEsvaziada +
               "\r\nFalha: " + r.motivoNaoEsvaziada;
    if (!r.simulada)
        return r.interrompida() ? textos::InterrompidaOperador
               : r.comErros()   ? textos::FinalizadaErros
                                : textos::FinalizadaSucesso;
    long gravados = 0, falhas = 0;
    for (const ResumoEtapa& e : r.etapas) {
        gravados += e.gravados;
        falhas += e.falhas;
    }
    const std::string& inicio = r.interrompida() ? textos::SimulacaoInterrompida
                                : r.comErros()   ? textos::SimulacaoErros
                                                 : textos::SimulacaoSucesso;
    return inicio + textos::NadaGravado + std::to_string(gravados) + textos::SeriamGravados +
           std::to_string(falhas) + textos::Falhariam;
}

} // namespace

ResultadoImportacao Importador::BitBtnImportarClick(const std::function<bool(Opcao)>& marcado,
                                                    const ModoExecucao& modo)
{
    resultado_ = {};
    modo_ = {};
    if (!marcado(Opcao::Clientes) && !marcado(Opcao::Fornecedores) && !marcado(Opcao::Produtos)) {
        op.mensagem(textos::MarqueTabela);
        return resultado_;
    }
    if (IBDatabaseDestino.connected())
        IBDatabaseDestino.disconnect();
    if (!Connectar(false)) {
        resultado_.inicio = ResultadoImportacao::Inicio::SemConexao;
        return resultado_;
    }
    // A rehearsal deletes nothing, so there is nothing to confirm.
    if (!modo.simular && !op.confirma(textos::ConfirmaImportacao, Operador::Pergunta::ApagarEImportar)) {
        resultado_.inicio = ResultadoImportacao::Inicio::NaoConfirmada;
        return resultado_;
    }

    // The grid may still move the table's current record, but nothing may change the
    // records from the moment the run is busy until it is idle again.
    struct Trava {
        staging::StagingTable* t;
        explicit Trava(staging::StagingTable& tabela) : t(&tabela) { t->lock(); }
        ~Trava() { soltar(); }
        void soltar()
        {
            if (t)
                std::exchange(t, nullptr)->unlock();
        }
    } trava(CdsProdutos);
    resultado_.inicio = ResultadoImportacao::Inicio::Iniciada;
    resultado_.simulada = modo.simular;
    modo_ = modo;
    if (modo_.lote < 1)
        modo_.lote = 1;
    importando_ = true;
    op.ocupado(true);
    gaugeZerar();
    ListaErros = std::make_unique<std::vector<std::string>>();
    ListaDuplicados = std::make_unique<std::vector<std::string>>();

    // Stages never let a failure out; a step that does is recorded, and the run goes on,
    // so that it always comes back to idle.
    auto passo = [&](const std::string& nome, const std::function<void()>& acao) {
        try {
            acao();
        } catch (const std::exception& e) {
            resultado_.passosFalhos.push_back({nome, e.what(), true});
        }
    };
    auto etapa = [&](const char* nome, void (Importador::*rotina)()) {
        if (resultado_.parada == 0)
            resultado_.parada = op.paradaPedida();
        if (resultado_.parada != 0) {
            ResumoEtapa r;
            r.nome = nome;
            r.iniciada = false;
            r.interrompida = true;
            resultado_.etapas.push_back(r);
            return;
        }
        passo(nome, [&] { (this->*rotina)(); });
    };
    // Before any stage, so that a destination whose references keep a table full is
    // refused before anything changed (a closed staging table leaves the stages to fail).
    const bool esvaziado = !marcado(Opcao::Produtos) || !CdsProdutos.active() || esvaziarProdutos();
    if (esvaziado && marcado(Opcao::Clientes))
        etapa("ImportaClientes", &Importador::ImportaClientes);
    if (esvaziado && marcado(Opcao::Fornecedores))
        etapa("ImportaFornecedores", &Importador::ImportaFornecedores);
    if (esvaziado && marcado(Opcao::Produtos)) {
        etapa("ImportaUnidades", &Importador::ImportaUnidades);
        etapa("ImportaNCM", &Importador::ImportaNCM);
        etapa("ImportaProdutos", &Importador::ImportaProdutos);
        etapa("ImportaPrecos", &Importador::ImportaPrecos);
    }

    resultado_.entradasErros = static_cast<long>(ListaErros->size());
    resultado_.entradasDuplicados = static_cast<long>(ListaDuplicados->size());
    salvarLog(*ListaErros, "vantor.log");
    salvarLog(*ListaDuplicados, "vantor2.log");
    // A rehearsal undoes its one transaction; the disconnect would commit it.
    if (modo_.simular)
        passo("Desfazer", [&] {
            if (IBTransactionFireBird.active())
                IBTransactionFireBird.rollback();
        });
    // Disconnecting commits the open transaction, so it belongs before the verdict.
    passo("Desconectar", [&] { IBDatabaseDestino.disconnect(); });
    modo_ = {};

    const std::string final = textoFinal(resultado_);
    passo("MostraMensagem", [&] { op.mostraMensagem(final, true); });
    op.status(final);
    gaugeZerar();
    ListaErros.reset();
    ListaDuplicados.reset();
    importando_ = false;
    op.ocupado(false);
    return resultado_;
}

bool Importador::esvaziarProdutos()
{
    // Items reference products, products reference their unit type and NCM code.
    static const char* const tabelas[] = {"ITENSLISTA", "PRODUTO", "CODIGONCM", "TIPOUNIDADE"};
    std::string tabela;
    try {
        for (const char* t : tabelas) {
            tabela = t;
            IBQueryFireBird.close();
            IBQueryFireBird.clearSQL();
            IBQueryFireBird.setSQL("DELETE FROM " + tabela);
            IBQueryFireBird.execute();
        }
        tabela = "ITENSLISTA, PRODUTO, CODIGONCM, TIPOUNIDADE"; // a refused commit keeps them all
        if (!modo_.simular)
            IBTransactionFireBird.commitRetaining();
        return true;
    } catch (const std::exception& e) {
        resultado_.tabelaNaoEsvaziada = tabela;
        resultado_.motivoNaoEsvaziada = e.what();
        resultado_.passosFalhos.push_back({"Esvaziar " + tabela, e.what(), false});
        ListaErros->push_back(textos::NaoEsvaziada + tabela + "\r\n" + e.what() + "\r\n");
    }
    try {
        // Undoes the tables already emptied; nothing else has run yet.
        if (IBTransactionFireBird.active())
            IBTransactionFireBird.rollbackRetaining();
    } catch (const std::exception& e) {
        resultado_.passosFalhos.push_back({"Desfazer", e.what(), true});
    }
    return false;
}

void Importador::salvarLog(const std::vector<std::string>& lista, const char* nome)
{
    if (lista.empty())
        return;
    try {
        salvarLista(lista, pastaLogs_ + nome);
    } catch (const std::exception& e) {
        resultado_.passosFalhos.push_back({nome, e.what(), true});
        return;
    }
    resultado_.logs.push_back(pastaLogs_ + nome);
    if (op.confirma(textos::VisualizarErros, Operador::Pergunta::VerErros))
        op.abrirArquivo(nome, pastaLogs_);
}

void Importador::gaugeDefinir(int maximo)
{
    gaugeMaximo_ = maximo;
    gaugeProgresso_ = 0;
    op.gauge(0, gaugeMaximo_, gaugeProgresso_);
}

void Importador::gaugeAvancar()
{
    if (gaugeProgresso_ < gaugeMaximo_)
        ++gaugeProgresso_;
    op.gauge(0, gaugeMaximo_, gaugeProgresso_);
}

void Importador::gaugeZerar()
{
    gaugeProgresso_ = 0;
    op.gauge(0, gaugeMaximo_, gaugeProgresso_);
}

ResumoEtapa& Importador::etapaAtual()
{
    if (resultado_.etapas.empty())
        resultado_.etapas.emplace_back();
    return resultado_.etapas.back();
}

void Importador::iniciarResumo(const std::string& nome)
{
    ResumoEtapa r;
    r.nome = nome;
    resultado_.etapas.push_back(r);
}

} // namespace norvo
