#include "import/Importador.h"

#include "db/Error.h"
#include "import/ContextoEtapa.h"
#include "import/Copia.h"
#include "import/Etapas.h"
#include "import/Gauge.h"
#include "import/Logs.h"
#include "import/Textos.h"
#include "plataforma/Arquivos.h"
#include "plataforma/Sistema.h"
#include "texto/Latin1.h"
#include "texto/Texto.h"

#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <iterator>
#include <utility>

namespace norvo {

using texto::CaminhoEmTexto;

namespace {

db::DateTime hojeLocal()
{
    const std::tm local = plataforma::horaLocal(std::time(nullptr));
    return db::DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, 0, 0, 0};
}

// A failure every row would meet, in the technician's words: what it is and what to do.
const std::string& oQueFazer(db::BancoInutilizavel::Motivo motivo)
{
    using M = db::BancoInutilizavel::Motivo;
    switch (motivo) {
    case M::DiscoCheio:
        return textos::DiscoCheio;
    case M::ErroDeDisco:
        return textos::ErroDeDisco;
    case M::Desligado:
        return textos::BancoDesligado;
    case M::SomenteLeitura:
        return textos::SomenteLeitura;
    case M::Corrompido:
        return textos::BancoCorrompido;
    case M::SemRecursos:
        break;
    }
    return textos::SemRecursos;
}

// What happened, and for a rehearsal that nothing was written and what the real run would
// have done: the status line, and the closing notice before the safety copy's file.
std::string textoDoDesfecho(const ResultadoImportacao& r)
{
    if (!r.copiaFalhou.empty())
        return textos::CopiaFalhou + CaminhoEmTexto(r.copia) + "\r\nFalha: " + r.copiaFalhou;
    if (!r.simulacaoPerdida.empty())
        return textos::SimulacaoPerdida + r.simulacaoPerdida;
    if (r.inutilizavel)
        return (r.simulada ? textos::SimulacaoInterrompidaPor : textos::ImportacaoInterrompida) +
               oQueFazer(*r.inutilizavel) + "\r\nFalha: " + r.motivoInutilizavel;
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
    return inicio + textos::NadaGravado + std::to_string(gravados) + textos::SeriamGravados + std::to_string(falhas) +
           textos::Falhariam;
}

// Why the logs could not be written in `pasta`, or nothing: found before the run changes
// anything, so that no row's failure is lost afterwards.
std::string pastaSemEscrita(const std::string& pasta)
{
    return plataforma::semEscritaEm(pasta);
}

// Whether the disk that holds the destination has next to no room left. A write the server
// could not make on such a disk is the disk being full: over the network the server passes
// the system's reason on as text alone. The server is on this machine, so is its file.
bool discoCheio(const std::string& banco)
{
    constexpr std::uintmax_t QuaseNada = 1024 * 1024; // less than a few dozen pages
    std::error_code erro;
    const auto espaco = std::filesystem::space(plataforma::caminho(banco).parent_path(), erro);
    return !erro && espaco.available < QuaseNada;
}

enum class Conexao { Conectado, Falhou, EmUso };

// "Connectar": attaches the destination for the connection test and, reserving the tables
// it rebuilds, at the start of a run. A failure is shown as a warning and is the result;
// a destination whose tables another transaction holds is said to be in use.
Conexao conectarDestino(BancoDestino& destino, BancoOrigem& origem, const std::string& caminho, Operador& op,
                        bool mostrarSucesso, const std::vector<std::string>& reservadas = {})
{
    if (texto::EhBranco(caminho)) {
        op.mostraMensagem(textos::SelecioneDestino, false);
        return Conexao::Falhou;
    }
    origem.desconectar();
    try {
        destino.conectar(caminho, reservadas);
        if (mostrarSucesso && destino.conectado())
            op.mostraMensagem(textos::ConectadoSucesso, false);
        return Conexao::Conectado;
    } catch (const db::LockConflict& e) {
        // Another transaction holds a table the run reserves: the server refused at once.
        destino.desconectar();
        op.mostraMensagem(textos::DestinoEmUso + CaminhoEmTexto(caminho) + textos::DestinoEmUsoMotivo + e.what(),
                          false);
        return Conexao::EmUso;
    } catch (const std::exception& e) {
        op.mostraMensagem(textos::FalhaConnectar + e.what(), false);
        return Conexao::Falhou;
    }
}

// Everything one run needs besides its options, owned by the caller.
struct Recursos {
    BancoDestino& destino;
    BancoOrigem& origem;
    staging::StagingTable& produtos;
    std::string caminhoDestino; // the destination file, as the operator gave it
    std::string pastaLogs;      // where vantor.log and vantor2.log go, ending with its separator
    std::function<db::DateTime()> hoje;
};

// One run once it is confirmed, as its steps in order. Stages never let a failure out; a
// step that does is recorded, and the run goes on, so that it always comes back to idle.
class Rodada {
public:
    Rodada(const OpcoesImportacao& opcoes, Recursos& rec, Operador& op, ResultadoImportacao& r)
        : opcoes_(opcoes), rec_(rec), op_(op), r_(r), trava_(rec.produtos),
          gauge_(op), ctx_{rec.destino,    rec.origem, rec.produtos, r.erros, r.duplicados,
                           r.passosFalhos, r.parada,   op,           gauge_,  rec.hoje ? rec.hoje : hojeLocal}
    {
        r_.inicio = ResultadoImportacao::Inicio::Iniciada;
        r_.simulada = opcoes.modo.simular;
        rec_.destino.definirModo(opcoes.modo);
        op_.ocupado(true);
        gauge_.zerar();
    }

    void executar()
    {
        if (copiar() && esvaziar())
            etapas();
        logs();
        encerrar();
        avisar();
    }

private:
    // The grid may still move the table's current record, but nothing may change the records
    // from the moment the run is busy until it is idle again; the lock is also how
    // Importador::Importando() knows a run is going on.
    struct Trava {
        staging::StagingTable& t;
        explicit Trava(staging::StagingTable& tabela) : t(tabela) { t.lock(); }
        ~Trava() { t.unlock(); }
    };

    void passo(const std::string& nome, const std::function<void()>& acao)
    {
        try {
            acao();
        } catch (const std::exception& e) {
            r_.passosFalhos.push_back({nome, e.what(), true});
        }
    }

    // The copy comes before the first DELETE: a wrong file or a run stopped half way must
    // leave something to go back to. A rehearsal writes nothing, so it needs none.
    bool copiar()
    {
        if (opcoes_.modo.simular || opcoes_.semCopia)
            return true;
        r_.copia = nomeDaCopia(rec_.caminhoDestino, std::time(nullptr));
        try {
            copiarDestino(rec_.caminhoDestino, r_.copia, op_);
            return true;
        } catch (const std::exception& e) {
            r_.copiaFalhou = e.what();
            r_.passosFalhos.push_back({textos::L1("Cópia de segurança"), e.what(), false});
            return false;
        }
    }

    // Empties the marked stages' tables that must be empty before any stage, referencing
    // tables first, in one step that is undone whole when a table refuses; false then, with
    // the table and the reason recorded. A closed staging table leaves the product stages to
    // fail on it, each with its message.
    bool esvaziar()
    {
        if (!opcoes_.produtos || !rec_.produtos.active())
            return true;
        std::string tabela, todas;
        try {
            const auto lista = todasAsEtapas();
            for (auto e = lista.rbegin(); e != lista.rend(); ++e) {
                if (!e->esvaziarAntes || !opcoes_.marcada(e->opcao))
                    continue;
                tabela = e->tabela;
                todas += (todas.empty() ? "" : ", ") + tabela;
                rec_.destino.redefinirComando(e->remove()).execute();
            }
            tabela = todas; // a refused commit keeps them all
            rec_.destino.confirmarAgora();
            return true;
        } catch (const std::exception& e) {
            r_.tabelaNaoEsvaziada = tabela;
            r_.motivoNaoEsvaziada = e.what();
            r_.passosFalhos.push_back({"Esvaziar " + tabela, e.what(), false});
            r_.erros.push_back(textos::NaoEsvaziada + tabela + "\r\n" + e.what() + "\r\n");
        }
        // Undoes the tables already emptied; nothing else has run yet.
        passo("Desfazer", [&] { rec_.destino.desfazerPasso(); });
        return false;
    }

    void etapas()
    {
        for (const DefinicaoEtapa& e : todasAsEtapas()) {
            if (!opcoes_.marcada(e.opcao))
                continue;
            if (r_.parada == 0 && !r_.inutilizavel)
                r_.parada = op_.paradaPedida();
            if (r_.parada != 0 || r_.inutilizavel) {
                ResumoEtapa parada;
                parada.nome = e.nome;
                parada.titulo = textos::L1(e.titulo);
                parada.iniciada = false;
                parada.interrompida = r_.parada != 0;
                r_.etapas.push_back(parada);
                continue;
            }
            passo(e.nome, [&] { r_.etapas.push_back(e.executar(ctx_)); });
            if (rec_.destino.rodadaPerdida() && !r_.etapas.empty()) {
                r_.simulacaoPerdida = r_.etapas.back().motivo;
                return;
            }
            // Every later row would meet it: nothing further is attempted.
            if (!r_.etapas.empty() && r_.etapas.back().inutilizavel) {
                r_.inutilizavel = r_.etapas.back().inutilizavel;
                r_.motivoInutilizavel = r_.etapas.back().motivo;
                if (*r_.inutilizavel == db::BancoInutilizavel::Motivo::ErroDeDisco && discoCheio(rec_.caminhoDestino))
                    r_.inutilizavel = db::BancoInutilizavel::Motivo::DiscoCheio;
            }
        }
    }

    // Each list written to its log file, and the offer to open it.
    void logs()
    {
        salvarLog(r_.erros, "vantor.log");
        salvarLog(r_.duplicados, "vantor2.log");
    }

    void salvarLog(const std::vector<std::string>& lista, const char* nome)
    {
        if (lista.empty())
            return;
        try {
            salvarLista(lista, rec_.pastaLogs + nome);
        } catch (const std::exception& e) {
            r_.passosFalhos.push_back(
                {nome, e.what() + std::string("\r\n") + std::to_string(lista.size()) + textos::EntradasPerdidas, true});
            return;
        }
        r_.logs.push_back(rec_.pastaLogs + nome);
        if (op_.confirma(textos::VisualizarErros, Operador::Pergunta::VerErros))
            op_.abrirArquivo(nome, rec_.pastaLogs);
    }

    // Before the verdict: a rehearsal's one transaction is undone, a real run's last rows
    // committed, and the destination detached.
    void encerrar()
    {
        passo("Desconectar", [&] { rec_.destino.encerrar(); });
        rec_.destino.definirModo({});
    }

    void avisar()
    {
        r_.desfecho = textoDoDesfecho(r_);
        const bool copiaFeita = !r_.copia.empty() && r_.copiaFalhou.empty();
        const std::string aviso =
            copiaFeita ? r_.desfecho + textos::CopiaFeita + CaminhoEmTexto(r_.copia) : r_.desfecho;
        std::string causas;
        for (const ResumoEtapa& e : r_.etapas)
            if (const std::string t = textoDasCausas(e); !t.empty())
                causas += (causas.empty() ? "" : "\n") + e.titulo + ":" + t;
        // The status line is one line: the notice names the copy.
        passo("MostraMensagem", [&] { op_.desfecho(aviso, r_.desfecho, causas); });
        gauge_.zerar();
        op_.ocupado(false);
    }

    const OpcoesImportacao& opcoes_;
    Recursos& rec_;
    Operador& op_;
    ResultadoImportacao& r_;
    Trava trava_;
    Gauge gauge_;
    ContextoEtapa ctx_;
};

ResultadoImportacao importar(const OpcoesImportacao& opcoes, Recursos rec, Operador& op)
{
    ResultadoImportacao r;
    r.pedido = opcoes;
    if (!opcoes.algumaTabela()) {
        op.mensagem(textos::MarqueTabela);
        return r;
    }
    if (const std::string motivo = pastaSemEscrita(rec.pastaLogs); !motivo.empty()) {
        op.mostraMensagem(textos::PastaDeLogsInvalida + CaminhoEmTexto(rec.pastaLogs) + ": " + motivo, false);
        r.inicio = ResultadoImportacao::Inicio::SemPastaDeLogs;
        return r;
    }
    if (rec.destino.conectado())
        rec.destino.desconectar();
    // The tables the marked stages rebuild stay reserved until the run disconnects.
    std::vector<std::string> reservadas;
    for (const DefinicaoEtapa& e : todasAsEtapas())
        if (opcoes.marcada(e.opcao))
            reservadas.push_back(e.tabela);
    switch (conectarDestino(rec.destino, rec.origem, rec.caminhoDestino, op, false, reservadas)) {
    case Conexao::Conectado:
        break;
    case Conexao::EmUso:
        r.inicio = ResultadoImportacao::Inicio::DestinoEmUso;
        return r;
    case Conexao::Falhou:
        r.inicio = ResultadoImportacao::Inicio::SemConexao;
        return r;
    }
    // A rehearsal deletes nothing, so there is nothing to confirm.
    if (!opcoes.modo.simular && !op.confirma(textos::ConfirmaImportacao, Operador::Pergunta::ApagarEImportar)) {
        r.inicio = ResultadoImportacao::Inicio::NaoConfirmada;
        return r;
    }
    Rodada(opcoes, rec, op, r).executar();
    return r;
}

} // namespace

bool ResultadoImportacao::comErros() const
{
    // Every entry of vantor2.log is a row that failed (a duplicate key), so the rows say it;
    // vantor.log also holds entries that are no row's (a city lookup that failed).
    if (!erros.empty() || !passosFalhos.empty())
        return true;
    for (const ResumoEtapa& r : etapas)
        if (r.falhou || r.falhas > 0)
            return true;
    return false;
}

bool ResultadoImportacao::copiaAOferecer() const
{
    if (copia.empty() || !copiaFalhou.empty())
        return false;
    if (interrompida() || inutilizavel)
        return true;
    for (const ResumoEtapa& r : etapas)
        if (r.falhou)
            return true;
    return false;
}

const ResumoEtapa* ResultadoImportacao::etapa(const std::string& nome) const
{
    for (const ResumoEtapa& r : etapas)
        if (r.nome == nome)
            return &r;
    return nullptr;
}

Importador::Importador(Operador& op, std::string arquivoEstagio) : op_(op), produtos_(std::move(arquivoEstagio)) {}

bool Importador::Connectar(bool mostrarSucesso)
{
    return conectarDestino(bancoDestino_, origem_, destino_, op_, mostrarSucesso) == Conexao::Conectado;
}

staging::ResultadoLeitura Importador::LerArquivoCSV(const std::string& caminho, std::string* texto)
{
    return staging::carregarProdutos(
        produtos_, caminho, [this] { op_.processarEventos(); }, texto);
}

ResultadoImportacao Importador::importar(const OpcoesImportacao& opcoes)
{
    return norvo::importar(opcoes, {bancoDestino_, origem_, produtos_, destino_, pastaLogs_, relogio_}, op_);
}

} // namespace norvo
