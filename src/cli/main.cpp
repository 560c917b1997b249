// importa-norvo-cli: the import run without a window, for scripted migrations.
#include "cli/Argumentos.h"
#include "cli/OperadorTerminal.h"
#include "db/Database.h"
#include "import/Copia.h"
#include "import/Importador.h"
#include "import/Pastas.h"
#include "import/Problemas.h"
#include "plataforma/Sinais.h"
#include "plataforma/Sistema.h"
#include "import/Textos.h"
#include "texto/Latin1.h"

#include <cstdio>
#include <stdexcept>

using namespace norvo;

namespace {

// 0 restored, 1 failed after the Yes, 2 refused or not confirmed; a signal's own code when
// one stopped it (one during the restore over the destination lets it finish).
int restaurar(const cli::Argumentos& args)
{
    cli::OperadorTerminal op(args.sim, stdout, stdin);
    const Restauracao r = restaurarCopia(*args.restaurar, args.destino, op);
    if (r == Restauracao::Feita)
        return 0;
    if (const int s = sinais::codigoDeSaida())
        return s;
    return r == Restauracao::Falhou ? 1 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    plataforma::prepararConsole();
    cli::Argumentos args;
    try {
        args = cli::lerArgumentos(plataforma::argumentos(argc, argv));
    } catch (const std::invalid_argument& e) {
        // The reason alone, where a script's log shows it; the options are one --help away.
        std::fprintf(stderr, "importa-norvo-cli: %s\nTry 'importa-norvo-cli --help'.\n", e.what());
        return 2;
    }
    if (args.ajuda) {
        std::fputs(cli::textoDeAjuda().c_str(), stdout);
        return 0;
    }

    // Before any connection: from here on SIGINT and SIGTERM (Ctrl+C, a closed console) stop
    // the run cleanly, and the client library leaves them to the program.
    sinais::instalar();
    db::deixarSinaisAoPrograma();
    if (args.restaurar)
        return restaurar(args);

    cli::OperadorTerminal op(args.sim, stdout, stdin);
    Pastas pastas = pastasDoPrograma();
    if (args.pastaLogs)
        pastas.dados = comSeparador(*args.pastaLogs);
    if (pastas.instalado || args.pastaLogs)
        criarPastas(pastas);
    Importador imp(op, pastas.estagio);
    imp.setPastaLogs(pastas.dados);
    imp.setDestino(args.destino);
    if (args.origem)
        imp.setOrigem(*args.origem);

    staging::ResultadoLeitura leitura;
    if (args.opcoes.produtos) {
        try {
            leitura = imp.LerArquivoCSV(args.csv);
            op.imprimir("Total do Contador: " + std::to_string(leitura.registros));
            if (const std::string notas = leitura.resumo(); !notas.empty())
                op.imprimir(notas);
        } catch (const std::exception& e) {
            op.imprimir(e.what());
            return 2;
        }
    }
    if (const int s = sinais::codigoDeSaida())
        return s; // stopped before anything was touched

    const ResultadoImportacao resultado = imp.importar(args.opcoes);

    if (resultado.simulada && resultado.simulacaoPerdida.empty())
        op.imprimir(textos::L1("Simulação: nada foi gravado no banco de destino; as contagens abaixo são as "
                               "que a importação faria."));
    for (const ResumoEtapa& r : resultado.etapas)
        op.imprimir(cli::linhaDoResumo(r, resultado.simulada));
    for (const PassoFalho& p : resultado.passosFalhos)
        op.imprimir("Falhou: " + p.passo + ": " + p.mensagem);
    // Half rebuilt: the way back is the copy made before the run.
    if (resultado.copiaAOferecer())
        op.imprimir(textos::L1("Para voltar o destino ao que era antes: importa-norvo-cli --restaurar \"") +
                    texto::CaminhoEmTexto(resultado.copia) + "\" --destino \"" + texto::CaminhoEmTexto(imp.destino()) +
                    "\"");

    // The staging file is written as the table closes, the problems when asked for; losing
    // either must not go unnoticed.
    bool arquivoGravado = true;
    if (args.problemas) {
        try {
            gravarProblemas(listarProblemas(leitura, &resultado), *args.problemas);
        } catch (const std::exception& e) {
            op.imprimir(std::string("Falhou: ") + e.what());
            arquivoGravado = false;
        }
    }
    try {
        imp.CdsProdutos().close();
    } catch (const std::exception& e) {
        op.imprimir("Falhou: " + texto::CaminhoEmTexto(imp.CdsProdutos().fileName()) + ": " + e.what());
        arquivoGravado = false;
    }

    if (const int s = sinais::codigoDeSaida())
        return s;
    if (!resultado.iniciada())
        return 2; // not connected, or not confirmed: nothing was touched
    return resultado.comErros() || !arquivoGravado ? 1 : 0;
}
