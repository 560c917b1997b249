#include "import/Opcoes.h"

namespace norvo {

namespace {

const DefinicaoOpcao kOpcoes[] = {
    {Opcao::Produtos, "--produtos", "Produtos",
     "importa os tipos de unidade, os códigos NCM, os produtos e os itens da\nlista de preços", true, false,
     [](OpcoesImportacao& o) -> bool& { return o.produtos; }},
    {Opcao::Clientes, "--clientes", "Clientes", "copia os clientes do banco de origem", true, true,
     [](OpcoesImportacao& o) -> bool& { return o.clientes; }},
    {Opcao::Fornecedores, "--fornecedores", "Fornecedores", "copia os fornecedores do banco de origem", true, true,
     [](OpcoesImportacao& o) -> bool& { return o.fornecedores; }},
    {Opcao::Simular, "--simular", "Simular (não grava nada)",
     "simulação: a importação inteira numa transação desfeita no fim;\nnada é gravado no destino, os logs sim (sem "
     "confirmação)",
     false, false, [](OpcoesImportacao& o) -> bool& { return o.modo.simular; }},
    {Opcao::Rapido, "--rapido", "Modo rápido",
     "modo rápido: produtos e preços em blocos de linhas, confirma a cada 1000\n"
     "linhas e no fim de cada etapa; as mesmas linhas, falhas e logs",
     false, false, [](OpcoesImportacao& o) -> bool& { return o.modo.rapido; }},
    {Opcao::SemCopia, "--sem-copia", nullptr, "não faz a cópia de segurança do destino antes da importação", false,
     false, [](OpcoesImportacao& o) -> bool& { return o.semCopia; }},
};

} // namespace

std::span<const DefinicaoOpcao> opcoesDeExecucao()
{
    return kOpcoes;
}

const DefinicaoOpcao& definicaoDe(Opcao o)
{
    for (const DefinicaoOpcao& d : kOpcoes)
        if (d.opcao == o)
            return d;
    return kOpcoes[0]; // every Opcao has its line
}

bool OpcoesImportacao::marcada(Opcao o) const
{
    // Only read through: the table's one accessor serves reading and marking alike.
    return definicaoDe(o).campo(const_cast<OpcoesImportacao&>(*this));
}

void OpcoesImportacao::marcar(Opcao o, bool sim)
{
    definicaoDe(o).campo(*this) = sim;
}

bool OpcoesImportacao::algumaTabela() const
{
    for (const DefinicaoOpcao& d : kOpcoes)
        if (d.tabelas && marcada(d.opcao))
            return true;
    return false;
}

} // namespace norvo
