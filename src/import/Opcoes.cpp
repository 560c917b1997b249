#include "import/Opcoes.h"

namespace norvo {

namespace {

const DefinicaoOpcao kOpcoes[] = {
    {Opcao::Produtos, "--produtos", "Produtos", "import unit types, NCM codes, products and price list items", true,
     false, [](OpcoesImportacao& o) -> bool& { return o.produtos; }},
    {Opcao::Clientes, "--clientes", "Clientes", "copy the clients of the source database", true, true,
     [](OpcoesImportacao& o) -> bool& { return o.clientes; }},
    {Opcao::Fornecedores, "--fornecedores", "Fornecedores", "copy the suppliers of the source database", true, true,
     [](OpcoesImportacao& o) -> bool& { return o.fornecedores; }},
    {Opcao::Rapido, "--rapido", nullptr,
     "fast mode: commits every 1000 rows and at the end of each stage,\nlookups prepared once; same rows, failures "
     "and logs",
     false, false, [](OpcoesImportacao& o) -> bool& { return o.modo.rapido; }},
    {Opcao::Simular, "--simular", nullptr,
     "rehearsal: the whole run in one transaction that is rolled back;\nnothing is written, the logs are (no "
     "confirmation asked)",
     false, false, [](OpcoesImportacao& o) -> bool& { return o.modo.simular; }},
    {Opcao::SemCopia, "--sem-copia", nullptr, "no safety copy of the destination before the run", false, false,
     [](OpcoesImportacao& o) -> bool& { return o.semCopia; }},
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
