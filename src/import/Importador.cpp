#include "import/Importador.h"

#include "db/Error.h"
#include "import/Copia.h"
#include "import/Etapa.h"
#include "import/Logs.h"
#include "import/Textos.h"
#include "staging/LeitorCSV.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <ibase.h>
#include <unistd.h>
#include <utility>

namespace norvo {

namespace {

// The stages in the order a run calls them, with the option that marks each and the table
// it rebuilds. The product stages' tables are emptied before any stage runs, referencing
// tables first (the reverse of this order), so that a destination whose references keep
// one full is refused before anything changed.
struct EntradaEtapa {
    Opcao opcao;
    ResumoEtapa (*executar)(ContextoEtapa&);
    const char* nome;
    const char* tabela;
    bool esvaziarAntes;
};

const EntradaEtapa kEtapas[] = {
    {Opcao::Clientes, ImportaClientes, "ImportaClientes", "CLIENTE", false},
    {Opcao::Fornecedores, ImportaFornecedores, "ImportaFornecedores", "FORNECEDOR", false},
    {Opcao::Produtos, ImportaUnidades, "ImportaUnidades", "TIPOUNIDADE", true},
    {Opcao::Produtos, ImportaNCM, "ImportaNCM", "CODIGONCM", true},
    {Opcao::Produtos, ImportaProdutos, "ImportaProdutos", "PRODUTO", true},
    {Opcao::Produtos, ImportaPrecos, "ImportaPrecos", "ITENSLISTA", true},
};

db::DateTime hojeLocal()
{
    const std::time_t agora = std::time(nullptr);
    std::tm local{};
    localtime_r(&agora, &local);
    return db::DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, 0, 0, 0};
}

// What happened, and for a rehearsal that nothing was written and what the real run would
// have done: the status line, and the closing notice before the safety copy's file.
std::string textoDoDesfecho(const ResultadoImportacao& r)
{
    if (!r.copiaFalhou.empty())
        return textos::CopiaFalhou + texto::ParaLatin1(r.copia) + "\r\nFalha: " + r.copiaFalhou;
    if (!r.simulacaoPerdida.empty())
        return textos::SimulacaoPerdida + r.simulacaoPerdida;
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

// Empties the marked stages' tables that must be empty before any stage, in one step that
// is undone whole when a table refuses; false then, with the table and the reason recorded.
bool esvaziarAntes(const OpcoesImportacao& opcoes, BancoDestino& destino, ResultadoImportacao& r)
{
    std::string tabela, todas;
    try {
        for (auto e = std::rbegin(kEtapas); e != std::rend(kEtapas); ++e) {
            if (!e->esvaziarAntes || !opcoes.marcada(e->opcao))
                continue;
            tabela = e->tabela;
            todas += (todas.empty() ? "" : ", ") + tabela;
            destino.redefinirComando("DELETE FROM " + tabela).execute();
        }
        tabela = todas; // a refused commit keeps them all
        destino.confirmarAgora();
        return true;
    } catch (const std::exception& e) {
        r.tabelaNaoEsvaziada = tabela;
        r.motivoNaoEsvaziada = e.what();
        r.passosFalhos.push_back({"Esvaziar " + tabela, e.what(), false});
        r.erros.push_back(textos::NaoEsvaziada + tabela + "\r\n" + e.what() + "\r\n");
    }
    try {
        // Undoes the tables already emptied; nothing else has run yet.
        destino.desfazerPasso();
    } catch (const std::exception& e) {
        r.passosFalhos.push_back({"Desfazer", e.what(), true});
    }
    return false;
}

// Why the logs could not be written in `pasta`, or nothing: found before the run changes
// anything, so that no row's failure is lost afterwards.
std::string pastaSemEscrita(const std::string& pasta)
{
    std::string modelo = pasta + ".importa-norvo-XXXXXX";
    const int fd = ::mkstemp(modelo.data());
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    ::unlink(modelo.c_str());
    return {};
}

// A list written to its log file, and the offer to open it.
void salvarLog(const std::vector<std::string>& lista, const std::string& pasta, const char* nome,
               ResultadoImportacao& r, Operador& op)
{
    if (lista.empty())
        return;
    try {
        salvarLista(lista, pasta + nome);
    } catch (const std::exception& e) {
        r.passosFalhos.push_back(
            {nome, e.what() + std::string("\r\n") + std::to_string(lista.size()) + textos::EntradasPerdidas, true});
        return;
    }
    r.logs.push_back(pasta + nome);
    if (op.confirma(textos::VisualizarErros, Operador::Pergunta::VerErros))
        op.abrirArquivo(nome, pasta);
}

} // namespace

bool ResultadoImportacao::comErros() const
{
    if (!erros.empty() || !duplicados.empty() || !passosFalhos.empty())
        return true;
    for (const ResumoEtapa& r : etapas)
        if (r.falhou || r.falhas > 0)
            return true;
    return false;
}

std::string textoDasCausas(const ResumoEtapa& r)
{
    std::string t;
    for (const CausaDeFalha& c : r.causas) {
        t += "\n    " + std::to_string(c.vezes) + "x " + c.causa + " - registros: ";
        for (std::size_t i = 0; i < c.registros.size(); ++i) {
            const RegistroCitado& reg = c.registros[i];
            t += (i ? ", " : "") + reg.nome;
            if (reg.linha > 0)
                t += " (linha " + std::to_string(reg.linha) + ")";
        }
        if (c.vezes > static_cast<long>(c.registros.size()))
            t += ", ...";
    }
    if (r.semCidade > 0) {
        t += "\n    " + std::to_string(r.semCidade) + textos::CidadesNaoEncontradas;
        for (std::size_t i = 0; i < r.cidadesNaoEncontradas.size(); ++i)
            t += (i ? ", " : "") + r.cidadesNaoEncontradas[i].first + " (" +
                 std::to_string(r.cidadesNaoEncontradas[i].second) + ")";
    }
    return t;
}

const ResumoEtapa* ResultadoImportacao::etapa(const std::string& nome) const
{
    for (const ResumoEtapa& r : etapas)
        if (r.nome == nome)
            return &r;
    return nullptr;
}

Conexao Connectar(BancoDestino& destino, BancoOrigem& origem, const std::string& caminho, Operador& op,
                  bool mostrarSucesso, const std::vector<std::string>& reservadas)
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
    } catch (const std::exception& e) {
        // Another transaction holds a table the run reserves: the server refused at once.
        const auto* s = dynamic_cast<const db::ServerError*>(&e);
        if (s && s->has(isc_lock_conflict)) {
            destino.desconectar();
            op.mostraMensagem(textos::DestinoEmUso + texto::ParaLatin1(caminho) + textos::DestinoEmUsoMotivo + e.what(),
                              false);
            return Conexao::EmUso;
        }
        op.mostraMensagem(textos::FalhaConnectar + e.what(), false);
        return Conexao::Falhou;
    }
}

ResultadoImportacao importar(const OpcoesImportacao& opcoes, RecursosImportacao rec, Operador& op)
{
    ResultadoImportacao r;
    if (!opcoes.clientes && !opcoes.fornecedores && !opcoes.produtos) {
        op.mensagem(textos::MarqueTabela);
        return r;
    }
    if (const std::string motivo = pastaSemEscrita(rec.pastaLogs); !motivo.empty()) {
        op.mostraMensagem(textos::PastaDeLogsInvalida + texto::ParaLatin1(rec.pastaLogs) + ": " + motivo, false);
        r.inicio = ResultadoImportacao::Inicio::SemPastaDeLogs;
        return r;
    }
    BancoDestino& destino = rec.destino;
    if (destino.conectado())
        destino.desconectar();
    // The tables the marked stages rebuild stay reserved until the run disconnects.
    std::vector<std::string> reservadas;
    for (const EntradaEtapa& e : kEtapas)
        if (opcoes.marcada(e.opcao))
            reservadas.push_back(e.tabela);
    switch (Connectar(destino, rec.origem, rec.caminhoDestino, op, false, reservadas)) {
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

    // The grid may still move the table's current record, but nothing may change the
    // records from the moment the run is busy until it is idle again; the lock is also how
    // Importador::Importando() knows a run is going on.
    struct Trava {
        staging::StagingTable& t;
        explicit Trava(staging::StagingTable& tabela) : t(tabela) { t.lock(); }
        ~Trava() { t.unlock(); }
    } trava(rec.produtos);
    r.inicio = ResultadoImportacao::Inicio::Iniciada;
    r.simulada = opcoes.modo.simular;
    destino.definirModo(opcoes.modo);
    op.ocupado(true);
    Gauge gauge(op);
    gauge.zerar();
    ContextoEtapa ctx{destino,        rec.origem, rec.produtos, r.erros, r.duplicados,
                      r.passosFalhos, r.parada,   op,           gauge,   rec.hoje ? rec.hoje : hojeLocal};

    // Stages never let a failure out; a step that does is recorded, and the run goes on,
    // so that it always comes back to idle.
    auto passo = [&](const std::string& nome, const std::function<void()>& acao) {
        try {
            acao();
        } catch (const std::exception& e) {
            r.passosFalhos.push_back({nome, e.what(), true});
        }
    };
    // The copy comes before the first DELETE: a wrong file or a run stopped half way must
    // leave something to go back to. A rehearsal writes nothing, so it needs none.
    bool copiado = true;
    if (!opcoes.modo.simular && !opcoes.semCopia) {
        r.copia = nomeDaCopia(rec.caminhoDestino, std::time(nullptr));
        try {
            copiarDestino(rec.caminhoDestino, r.copia, op);
        } catch (const std::exception& e) {
            r.copiaFalhou = e.what();
            r.passosFalhos.push_back({textos::L1("Cópia de segurança"), e.what(), false});
            copiado = false;
        }
    }
    // A closed staging table leaves the product stages to fail on it, each with its message.
    const bool esvaziado = copiado && (!opcoes.produtos || !rec.produtos.active() || esvaziarAntes(opcoes, destino, r));
    for (const EntradaEtapa& e : kEtapas) {
        if (!esvaziado || !opcoes.marcada(e.opcao))
            continue;
        if (r.parada == 0)
            r.parada = op.paradaPedida();
        if (r.parada != 0) {
            ResumoEtapa parada;
            parada.nome = e.nome;
            parada.iniciada = false;
            parada.interrompida = true;
            r.etapas.push_back(parada);
            continue;
        }
        passo(e.nome, [&] { r.etapas.push_back(e.executar(ctx)); });
        if (opcoes.modo.simular && destino.banco().perdida() && !r.etapas.empty()) {
            r.simulacaoPerdida = r.etapas.back().motivo;
            break;
        }
    }

    salvarLog(r.erros, rec.pastaLogs, "vantor.log", r, op);
    salvarLog(r.duplicados, rec.pastaLogs, "vantor2.log", r, op);
    // A rehearsal undoes its one transaction; the disconnect would commit it.
    if (opcoes.modo.simular)
        passo("Desfazer", [&] { destino.desfazerTudo(); });
    // Disconnecting commits the open transaction, so it belongs before the verdict.
    passo("Desconectar", [&] { destino.desconectar(); });
    destino.definirModo({});

    const std::string desfecho = textoDoDesfecho(r);
    const bool copiaFeita = !r.copia.empty() && r.copiaFalhou.empty();
    const std::string final = copiaFeita ? desfecho + textos::CopiaFeita + texto::ParaLatin1(r.copia) : desfecho;
    std::string causas;
    for (const ResumoEtapa& e : r.etapas)
        if (const std::string t = textoDasCausas(e); !t.empty())
            causas += (causas.empty() ? "" : "\n") + e.nome + ":" + t;
    op.detalhes(causas);
    passo("MostraMensagem", [&] { op.mostraMensagem(final, true); });
    op.status(desfecho); // one line: the notice names the copy
    gauge.zerar();
    op.ocupado(false);
    return r;
}

Importador::Importador(Operador& op, std::string arquivoEstagio) : op_(op), produtos_(std::move(arquivoEstagio)) {}

bool Importador::Connectar(bool mostrarSucesso)
{
    return norvo::Connectar(bancoDestino_, origem_, destino_, op_, mostrarSucesso) == Conexao::Conectado;
}

staging::ResultadoLeitura Importador::LerArquivoCSV(const std::string& caminho)
{
    return staging::carregarProdutos(produtos_, caminho, [this] { op_.processarEventos(); });
}

ResultadoImportacao Importador::importar(const OpcoesImportacao& opcoes)
{
    return norvo::importar(opcoes, {bancoDestino_, origem_, produtos_, destino_, pastaLogs_, relogio_}, op_);
}

} // namespace norvo
