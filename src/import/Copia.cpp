#include "import/Copia.h"

#include "db/Error.h"
#include "db/Servico.h"
#include "import/Acesso.h"
#include "import/BancoDestino.h"
#include "import/Textos.h"
#include "plataforma/Arquivos.h"
#include "plataforma/Sistema.h"
#include "texto/Latin1.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <stdexcept>

namespace norvo {

namespace {

using texto::CaminhoEmTexto;
using textos::L1;

const std::string StatusCopiando = L1("Copiando o banco de destino para ");
const std::string StatusConferindo = L1("Conferindo a cópia ");
const std::string StatusRestaurando = L1("Restaurando a cópia ");
const std::string SobreODestino = L1(" sobre o banco de destino ");
const std::string NoProvisorio = L1(" em um banco provisório: ");
// How long a scratch database the server still holds is waited for before it is left behind.
constexpr std::chrono::seconds EsperaPeloProvisorio{20};

// Paths in dialogs go in quotes: they may hold blanks.
std::string aspas(const std::string& s)
{
    return "\"" + CaminhoEmTexto(s) + "\"";
}

db::Servico servicoDoDestino()
{
    return db::Servico(acesso::Usuario, acesso::Senha, acesso::HostLocal);
}

// Where the file name starts, after a slash of either kind.
std::string::size_type inicioDoNome(const std::string& caminho)
{
    const auto barra = caminho.find_last_of("/\\");
    return barra == std::string::npos ? 0 : barra + 1;
}

// The path without the file's extension.
std::string semExtensao(const std::string& caminho)
{
    const auto ponto = caminho.rfind('.');
    return ponto == std::string::npos || ponto < inicioDoNome(caminho) ? caminho : caminho.substr(0, ponto);
}

// How many attachments other than ours the destination has: none when its file is not there
// at all (a restore is how it comes back). Throws what the layer throws when it cannot tell.
int outrosAnexos(const std::string& destino)
{
    std::error_code erro;
    if (!std::filesystem::exists(plataforma::caminho(destino), erro) && !erro)
        return 0;
    BancoDestino banco;
    banco.conectar(destino);
    db::Query& q = banco.auxiliar();
    q.setSQL("SELECT COUNT(*) AS OUTROS FROM MON$ATTACHMENTS "
             "WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SYSTEM_FLAG = 0");
    q.open();
    const int n = q.fieldByName("OUTROS").asInteger();
    q.close();
    banco.desconectar();
    return n;
}

// The window stays busy (nothing else may start) for as long as the restore runs.
class Ocupado {
public:
    explicit Ocupado(Operador& op) : op_(op) { op_.ocupado(true); }
    ~Ocupado() { op_.ocupado(false); }
    Ocupado(const Ocupado&) = delete;
    Ocupado& operator=(const Ocupado&) = delete;

private:
    Operador& op_;
};

// Drops the scratch database, waiting for the server to let it go: after a restore that ended
// badly the server's own work on it may outlast the service's answer (the file still attached,
// or still being written), and a drop tried at once is refused, or comes before the file is
// there. Gives up after a while with the last reason; empty once it is gone.
std::string apagarComEspera(db::Servico& servico, const std::string& provisorio, Operador& op)
{
    using namespace std::chrono;
    const auto limite = steady_clock::now() + EsperaPeloProvisorio;
    std::string motivo;
    int ausente = 0; // looks in a row that found no file
    for (auto pausa = milliseconds(100);; pausa = std::min(pausa * 2, milliseconds(1000))) {
        std::error_code erro;
        if (!std::filesystem::exists(plataforma::caminho(provisorio), erro) && !erro) {
            // Gone, and not about to come back: a restore still running would recreate it.
            if (++ausente >= 3)
                return {};
        } else {
            ausente = 0;
            try {
                servico.apagar(provisorio);
                continue; // then made sure it stays gone
            } catch (const std::exception& e) {
                motivo = e.what();
            }
        }
        if (steady_clock::now() + pausa > limite)
            return motivo.empty() ? L1("o arquivo continua lá") : motivo;
        op.processarEventos();
        std::this_thread::sleep_for(pausa);
    }
}

// What the operator must know of a scratch database that stayed: its name and why.
std::string provisorioQueFicou(const std::string& falha, const std::string& provisorio)
{
    return falha.empty() ? std::string()
                         : L1("\r\nO banco provisório ") + aspas(provisorio) + L1(" não pôde ser apagado: ") + falha;
}

} // namespace

std::string nomeDaCopia(const std::string& destino, std::time_t quando)
{
    const std::tm local = plataforma::horaLocal(quando);
    char carimbo[32];
    std::strftime(carimbo, sizeof carimbo, "-%Y%m%d-%H%M%S.fbk", &local);
    return semExtensao(destino) + carimbo;
}

std::string nomeDoProvisorio(const std::string& destino)
{
    return semExtensao(destino) + "-restauracao.fdb";
}

void copiarDestino(const std::string& destino, const std::string& arquivo, Operador& op)
{
    op.status(StatusCopiando + CaminhoEmTexto(arquivo));
    // How long the server takes is unknown: one step, done when the copy is.
    op.gauge(0, 1, 0);
    op.processarEventos();
    std::error_code erro;
    const bool existia = std::filesystem::exists(plataforma::caminho(arquivo), erro);
    try {
        servicoDoDestino().copiar(destino, arquivo, [&op](const std::string&) { op.processarEventos(); });
    } catch (...) {
        // What the server left of a copy that did not finish must not pass for one later. It
        // is the server's file: where the program may not remove it, it stays.
        if (!existia)
            std::filesystem::remove(plataforma::caminho(arquivo), erro);
        throw;
    }
    op.gauge(0, 1, 1);
}

Restauracao restaurarCopia(const std::string& arquivo, const std::string& destino, Operador& op)
{
    try {
        if (const int outros = outrosAnexos(destino); outros > 0) {
            op.mostraMensagem(L1("Restauração recusada: há ") + std::to_string(outros) +
                                  L1(outros == 1 ? " conexão aberta" : " conexões abertas") +
                                  L1(" com o banco de destino ") + aspas(destino) +
                                  L1(".\r\nFeche o sistema nos outros computadores e tente de novo."),
                              false);
            return Restauracao::Recusada;
        }
    } catch (const std::exception& e) {
        op.mostraMensagem(L1("Restauração não realizada: não foi possível verificar quem está conectado ao banco "
                             "de destino ") +
                              aspas(destino) + ".\r\nFalha: " + e.what(),
                          false);
        return Restauracao::Recusada;
    }
    if (!op.confirma(L1("Atenção: o banco de destino ") + aspas(destino) + L1(" será substituído pela cópia ") +
                         aspas(arquivo) + L1(".\r\nTudo o que foi gravado nele depois dessa cópia será perdido.") +
                         L1("\r\nConfirma ?"),
                     Operador::Pergunta::Restaurar))
        return Restauracao::Recusada;

    Ocupado ocupado(op);
    db::Servico servico = servicoDoDestino();
    const auto eventos = [&op](const std::string&) { op.processarEventos(); };
    const std::string provisorio = nomeDoProvisorio(destino);
    const auto apagarProvisorio = [&] { return apagarComEspera(servico, provisorio, op); };

    // The server drops the database it restores over before reading the copy: a copy it
    // cannot read whole (damaged, cut short, no room for it) would leave the shop with no
    // database. Restored first beside the destination, the copy proves itself and the
    // destination is touched only after that.
    op.status(StatusConferindo + CaminhoEmTexto(arquivo) + NoProvisorio + CaminhoEmTexto(provisorio));
    op.gauge(0, 2, 0);
    op.processarEventos();
    try {
        servico.restaurar(arquivo, provisorio, eventos);
    } catch (const std::exception& e) {
        op.mostraMensagem(L1("Restauração não realizada, o banco de destino não foi alterado: a cópia ") +
                              aspas(arquivo) + L1(" não pôde ser restaurada.\r\nFalha: ") + e.what() +
                              provisorioQueFicou(apagarProvisorio(), provisorio),
                          false);
        return Restauracao::Falhou;
    }
    if (op.paradaPedida() != 0) {
        op.mostraMensagem(L1("Restauração interrompida pelo operador; o banco de destino não foi alterado.") +
                              provisorioQueFicou(apagarProvisorio(), provisorio),
                          false);
        return Restauracao::Falhou;
    }

    op.status(StatusRestaurando + CaminhoEmTexto(arquivo) + SobreODestino + CaminhoEmTexto(destino));
    op.gauge(0, 2, 1);
    op.processarEventos();
    try {
        servico.restaurar(arquivo, destino, eventos);
    } catch (const std::exception& e) {
        // The destination may be gone (the server had dropped it) or untouched (someone
        // attached in between): either way the scratch database holds the whole copy.
        op.mostraMensagem(L1("A restauração sobre o banco de destino ") + aspas(destino) +
                              L1(" falhou. A cópia restaurada por inteiro está em ") + aspas(provisorio) +
                              ".\r\nFalha: " + e.what(),
                          false);
        return Restauracao::Falhou;
    }
    op.gauge(0, 2, 2);
    std::string aviso =
        L1("Banco de destino ") + aspas(destino) + L1(" restaurado a partir da cópia ") + aspas(arquivo);
    aviso += provisorioQueFicou(apagarProvisorio(), provisorio);
    op.mostraMensagem(aviso, true);
    return Restauracao::Feita;
}

} // namespace norvo
