#include "import/BancoOrigem.h"

#include "import/BancoDestino.h"
#include "import/Acesso.h"

namespace norvo {

BancoOrigem::BancoOrigem()
{
    banco_.setDatabaseName(CaminhoPadrao);
    banco_.setParams({std::string("user_name=") + acesso::Usuario, std::string("password=") + acesso::Senha});
    banco_.setDefaultTransaction(&transacao_);
    transacao_.setParams(acesso::ParametrosTransacao);
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
