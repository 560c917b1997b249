#include "import/Bancos.h"

namespace norvo {

namespace {
const std::vector<std::string> kParametrosTransacao = {"read_committed", "rec_version", "nowait"};
}

BancoDestino::BancoDestino()
{
    banco_.setParams({std::string("user_name=") + Usuario, std::string("password=") + Senha, "lc_ctype=ISO8859_1 "});
    banco_.setDefaultTransaction(&transacao_);
    transacao_.setParams(kParametrosTransacao);
    transacao_.setDefaultDatabase(&banco_);
    for (db::Query* q : {&comando_, &auxiliar_, static_cast<db::Query*>(&geraCodigo_)}) {
        q->setDatabase(&banco_);
        q->setTransaction(&transacao_);
    }
    comando_.setSQL(TextoInicial);
    geraCodigo_.setInsertSQL(
        {"insert into GERACODIGO", "  (GER_TABELA, GER_VALOR)", "values", "  (:GER_TABELA, :GER_VALOR)"});
    geraCodigo_.setModifySQL({"update GERACODIGO", "set", "  GER_TABELA = :GER_TABELA,", "  GER_VALOR = :GER_VALOR",
                              "where", "  GER_TABELA = :OLD_GER_TABELA"});
}

void BancoDestino::conectar(const std::string& caminho, const std::vector<std::string>& reservadas)
{
    if (banco_.connected())
        banco_.disconnect();
    std::vector<std::string> parametros = kParametrosTransacao;
    for (const std::string& tabela : reservadas) {
        parametros.push_back("lock_write=" + tabela);
        parametros.push_back("protected");
    }
    transacao_.setParams(parametros);
    banco_.setDatabaseName(std::string(HostLocal) + ":" + caminho);
    banco_.setSQLDialect(3);
    banco_.setDefaultTransaction(&transacao_);
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
}

db::Query& BancoDestino::redefinirComando(const std::string& texto)
{
    comando_.close();
    comando_.clearSQL();
    comando_.setSQL(texto);
    return comando_;
}

void BancoDestino::definirModo(const ModoExecucao& modo)
{
    modo_ = modo;
    if (modo_.lote < 1)
        modo_.lote = 1;
    iniciarEtapa();
}

void BancoDestino::iniciarEtapa()
{
    noLote_ = 0;
    loteTotal_ = false;
}

bool BancoDestino::aposLinha(bool total)
{
    loteTotal_ = loteTotal_ || total;
    if (modo_.rapido && ++noLote_ < modo_.lote)
        return false;
    confirmar(loteTotal_);
    return true;
}

bool BancoDestino::fecharLote()
{
    if (noLote_ == 0)
        return false;
    confirmar(loteTotal_);
    return true;
}

void BancoDestino::confirmar(bool total)
{
    noLote_ = 0;
    if (modo_.simular)
        return; // a rehearsal keeps everything in its one transaction
    if (total)
        transacao_.commit();
    else
        transacao_.commitRetaining();
}

void BancoDestino::desfazerPasso()
{
    if (transacao_.active() && !modo_.simular)
        transacao_.rollbackRetaining();
}

void BancoDestino::desfazerTudo()
{
    if (transacao_.active())
        transacao_.rollback();
}

BancoOrigem::BancoOrigem()
{
    banco_.setDatabaseName(CaminhoPadrao);
    banco_.setParams({"user_name=sysdba", "password=kelpdrone"});
    banco_.setDefaultTransaction(&transacao_);
    transacao_.setParams(kParametrosTransacao);
    transacao_.setDefaultDatabase(&banco_);
    consulta_.setDatabase(&banco_);
    consulta_.setTransaction(&transacao_);
    consulta_.setSQL(BancoDestino::TextoInicial);
}

void BancoOrigem::setCaminho(const std::string& caminho)
{
    desconectar();
    banco_.setDatabaseName(caminho);
}

void BancoOrigem::desconectar()
{
    if (banco_.connected())
        banco_.disconnect();
}

} // namespace norvo
