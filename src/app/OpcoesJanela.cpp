#include "app/OpcoesJanela.h"

#include "app/Caminhos.h"
#include "import/LinhaDeComando.h"

#include <QFile>

#include <cstdio>
#include <stdexcept>

namespace norvo::app {

namespace {

const OpcaoDoPrograma kProprias[] = {
    {"--cadastros", nullptr, nullptr, "mostra as opções de clientes e fornecedores"},
    {"--csv", "ARQUIVO", "um arquivo", "arquivo de produtos a ler assim que a janela abre"},
};

} // namespace

OpcoesJanela opcoesDaLinhaDeComando(const QStringList& argumentos)
{
    std::vector<std::string> args;
    for (const QString& a : argumentos.mid(1))
        args.push_back(bytesDoCaminho(a));
    OpcoesJanela o;
    try {
        const ArgumentosLidos lidos = lerArgumentos(args, kProprias, false);
        o.cadastros = lidos.tem("--cadastros");
        o.opcoes = lidos.opcoes;
        if (const auto csv = lidos.valor("--csv"))
            o.csv = caminhoDosBytes(*csv);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "importa-norvo: %s\n", e.what());
    }
    return o;
}

} // namespace norvo::app
