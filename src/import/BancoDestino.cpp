#include "import/BancoDestino.h"

#include "import/Acesso.h"

#include "db/Error.h"

#include <algorithm>
#include <thread>

namespace norvo {

BancoDestino::BancoDestino()
{
    banco_.setParams(
        {std::string("user_name=") + acesso::Usuario, std::string("password=") + acesso::Senha, "lc_ctype=ISO8859_1 "});
    banco_.setDefaultTransaction(&transacao_);
    transacao_.setParams(acesso::ParametrosTransacao);
    transacao_.setDefaultDatabase(&banco_);
    for (db::Query* q : {&comando_, &auxiliar_, static_cast<db::Query*>(&geraCodigo_)}) {
        q->setDatabase(&banco_);
        q->setTransaction(&transacao_);
    }
    comando_.setSQL(TextoInicial);
    // What the sequence register's post runs: a new key, or the next code of one it holds.
    geraCodigo_.setInsertSQL(
        {"insert into GERACODIGO", "  (GER_TABELA, GER_VALOR)", "values", "  (:GER_TABELA, :GER_VALOR)"});
    geraCodigo_.setModifySQL({"update GERACODIGO", "set", "  GER_TABELA = :GER_TABELA,", "  GER_VALOR = :GER_VALOR",
                              "where", "  GER_TABELA = :OLD_GER_TABELA"});
}

void BancoDestino::conectar(const std::string& caminho, const std::vector<std::string>& reservadas)
{
    if (banco_.connected())
        banco_.disconnect();
    std::vector<std::string> parametros = acesso::ParametrosTransacao;
    for (const std::string& tabela : reservadas) {
        parametros.push_back("lock_write=" + tabela);
        parametros.push_back("protected");
    }
    transacao_.setParams(parametros);
    banco_.setDatabaseName(std::string(acesso::HostLocal) + ":" + caminho);
    banco_.setSQLDialect(3);
    banco_.setDefaultTransaction(&transacao_);
    esperaEsgotada_ = false;
    banco_.connect();
    transacao_.start();
}

void BancoDestino::desconectar()
{
    banco_.disconnect();
}

void BancoDestino::reconectar()
{
    if (!banco_.connected())
        banco_.connect();
    if (!transacao_.active())
        transacao_.start();
    esperaEsgotada_ = false;
}

void BancoDestino::reconectarEsperando(const std::function<void(int)>& tentativa,
                                       const std::function<bool()>& continuar)
{
    using namespace std::chrono;
    const auto limite = steady_clock::now() + EsperaPeloServidor;
    auto pausa = milliseconds(250);
    for (int n = 1;; ++n) {
        try {
            reconectar();
            return;
        } catch (const db::ConnectionLost&) {
            // The server restarting refuses the line for a moment; anything else is no wait's.
            if (steady_clock::now() + pausa > limite) {
                esperaEsgotada_ = true;
                throw;
            }
            tentativa(n + 1);
            for (const auto fim = steady_clock::now() + pausa; steady_clock::now() < fim;) {
                if (!continuar())
                    throw;
                std::this_thread::sleep_for(std::min(milliseconds(50), pausa));
            }
            pausa = std::min(pausa * 2, milliseconds(4000));
        }
    }
}

void BancoDestino::definirModo(const ModoExecucao& modo)
{
    modo_ = modo;
    if (modo_.lote < 1)
        modo_.lote = 1;
    noLote_ = 0;
    loteTotal_ = false;
    lote_.clear();
}

void BancoDestino::encerrar()
{
    // A rehearsal undoes its one transaction; a real run's rows are committed already but
    // for what the disconnect commits.
    if (modo_.simular && transacao_.active())
        transacao_.rollback();
    banco_.disconnect();
}

void BancoDestino::iniciarEtapa()
{
    noLote_ = 0;
    loteTotal_ = false;
    lote_.clear();
    // A loss the stage before could not come back from is this stage's to try again.
    if (banco_.perdida())
        reconectar();
}

bool BancoDestino::aposLinha(bool total)
{
    loteTotal_ = loteTotal_ || total;
    if (modo_.rapido && ++noLote_ < modo_.lote)
        return false;
    confirmar(loteTotal_);
    return true;
}

void BancoDestino::fecharLote()
{
    if (noLote_ > 0)
        confirmar(loteTotal_);
}

void BancoDestino::confirmarAgora()
{
    confirmar(false);
}

void BancoDestino::confirmar(bool total)
{
    if (antesDeConfirmar_)
        antesDeConfirmar_();
    noLote_ = 0;
    if (modo_.simular)
        return; // a rehearsal keeps everything in its one transaction
    try {
        if (total)
            transacao_.commit();
        else
            transacao_.commitRetaining();
    } catch (const db::ConnectionLost&) {
        throw;
    } catch (const db::BancoInutilizavel&) {
        throw;
    } catch (const std::exception&) {
        // Refused (a commit trigger of the destination's): what it would have made durable is
        // undone now, or the next commit would write it while the run tells it failed. The
        // batch's rows stay for the caller to tell.
        desfazerPasso();
        throw;
    }
    lote_.clear();
}

void BancoDestino::desfazerPasso()
{
    if (transacao_.active() && !modo_.simular)
        transacao_.rollbackRetaining();
}

void BancoDestino::linhaNoLote(std::shared_ptr<LinhaPendente> linha)
{
    // A rehearsal's loss ends the run: nothing of it is in doubt.
    if (!modo_.simular)
        lote_.push_back(std::move(linha));
}

void BancoDestino::linhaForaDoLote()
{
    if (!lote_.empty())
        lote_.pop_back();
}

void BancoDestino::perderLote(const std::exception& e)
{
    Pendentes perdidas = tomarLote();
    for (const auto& p : perdidas)
        p->perda(e);
}

Pendentes BancoDestino::tomarLote()
{
    Pendentes lote;
    lote.swap(lote_);
    noLote_ = 0;
    return lote;
}

void BancoDestino::devolverLote(Pendentes linhas)
{
    linhas.insert(linhas.end(), lote_.begin(), lote_.end());
    lote_ = std::move(linhas);
}

bool BancoDestino::existe(const LinhaPendente& linha)
{
    const std::string chave = linha.insercao ? linha.insercao->textoDaChave(linha.valores) : std::string();
    if (chave.empty())
        return false;
    auxiliar_.redefinir(chave);
    auxiliar_.open();
    const bool achou = !auxiliar_.isEmpty() && auxiliar_.fieldByName("QTD").asInteger() > 0;
    auxiliar_.close();
    return achou;
}

void BancoDestino::regravar(const LinhaPendente& linha)
{
    if (linha.texto && comando_.sql() != *linha.texto)
        comando_.redefinir(*linha.texto);
    std::vector<db::Param>& params = comando_.params();
    for (std::size_t i = 0; i < params.size() && i < linha.valores.size(); ++i)
        params[i].copiarValor(linha.valores[i]);
    comando_.execute();
}

} // namespace norvo
