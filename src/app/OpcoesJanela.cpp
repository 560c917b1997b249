#include "app/OpcoesJanela.h"

#include "import/LinhaDeComando.h"

#include <QFile>

#include <cstdio>
#include <stdexcept>

namespace norvo::app {

namespace {

const OpcaoDoPrograma kProprias[] = {
    {"--cadastros", nullptr, nullptr, "show the client and supplier options"},
    {"--csv", "FILE", "um arquivo", "product file to read as soon as the window is up"},
};

} // namespace

OpcoesJanela opcoesDaLinhaDeComando(const QStringList& argumentos)
{
    std::vector<std::string> args;
    for (const QString& a : argumentos.mid(1))
        args.push_back(QFile::encodeName(a).toStdString());
    OpcoesJanela o;
    try {
        const ArgumentosLidos lidos = lerArgumentos(args, kProprias, false);
        o.cadastros = lidos.tem("--cadastros");
        o.opcoes = lidos.opcoes;
        if (const auto csv = lidos.valor("--csv"))
            o.csv = QFile::decodeName(QByteArray::fromStdString(*csv));
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "importa-norvo: %s\n", e.what());
    }
    return o;
}

} // namespace norvo::app
