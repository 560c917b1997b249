#include "import/Importador.h"

#include "import/Etapa.h"
#include "import/Logs.h"
#include "import/Textos.h"
#include "staging/LeitorCSV.h"
#include "staging/Texto.h"

#include <ctime>

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

void Importador::BitBtnImportarClick(const std::function<bool(Opcao)>& marcado)
{
    if (!marcado(Opcao::Clientes) && !marcado(Opcao::Fornecedores) && !marcado(Opcao::Produtos)) {
        op.mensagem(textos::MarqueTabela);
        return;
    }
    if (IBDatabaseDestino.connected())
        IBDatabaseDestino.disconnect();
    if (!Connectar(false))
        return;
    if (!op.confirma(textos::ConfirmaImportacao))
        return;

    importando_ = true;
    op.ocupado(true);
    resumo_.clear();
    gaugeZerar();
    ListaErros = std::make_unique<std::vector<std::string>>();
    ListaDuplicados = std::make_unique<std::vector<std::string>>();

    // The stages never let a failure out; what can fail from here on is the closing work,
    // and the window must come back to idle whatever happens there.
    std::exception_ptr falha;
    auto guardar = [&](const std::function<void()>& passo) {
        try {
            passo();
        } catch (...) {
            if (!falha)
                falha = std::current_exception();
        }
    };
    guardar([&] {
        if (marcado(Opcao::Clientes))
            ImportaClientes();
        if (marcado(Opcao::Fornecedores))
            ImportaFornecedores();
        if (marcado(Opcao::Produtos)) {
            ImportaUnidades();
            ImportaNCM();
            ImportaProdutos();
            ImportaPrecos();
        }
    });
    auto salvar = [&](const std::vector<std::string>& lista, const char* nome) {
        if (lista.empty())
            return;
        guardar([&] {
            salvarLista(lista, pastaLogs_ + nome);
            if (op.confirma(textos::VisualizarErros))
                op.abrirArquivo(nome, pastaLogs_);
        });
    };
    salvar(*ListaErros, "vantor.log");
    salvar(*ListaDuplicados, "vantor2.log");

    comErros_ = falha || !ListaErros->empty() || !ListaDuplicados->empty();
    for (const ResumoEtapa& r : resumo_)
        comErros_ = comErros_ || r.falhou;
    const std::string& final = comErros_ ? textos::FinalizadaErros : textos::FinalizadaSucesso;
    guardar([&] { op.mostraMensagem(final, true); });
    op.status(final);
    gaugeZerar();
    guardar([&] { IBDatabaseDestino.disconnect(); });
    ListaErros.reset();
    ListaDuplicados.reset();
    importando_ = false;
    op.ocupado(false);
    if (falha)
        std::rethrow_exception(falha);
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
    if (resumo_.empty())
        resumo_.emplace_back();
    return resumo_.back();
}

void Importador::iniciarResumo(const std::string& nome)
{
    resumo_.push_back(ResumoEtapa{nome, 0, 0, false, {}});
}

} // namespace norvo
