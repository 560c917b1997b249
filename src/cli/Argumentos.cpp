#include "cli/Argumentos.h"

#include "import/LinhaDeComando.h"

#include <stdexcept>

namespace norvo::cli {

namespace {

// The command line's own options; the run's come from import/Opcoes.cpp.
const OpcaoDoPrograma kProprias[] = {
    {"--csv", "FILE", "um arquivo", "product file to read into the staging table (needed with --produtos)"},
    {"--destino", "PATH", "um caminho", "destination database file on the local Firebird server"},
    {"--origem", "PATH", "um caminho", "source database file (default C:\\Bantuva\\MORELIA.FDB)"},
    {"--logs", "DIR", "uma pasta",
     "folder for vantor.log and vantor2.log (default: the executable's;\ninstalled in the system, "
     "~/.local/share/importa-norvo)"},
    {"--sim", nullptr, nullptr, "answer Yes to the confirmation (needed without a terminal)"},
    {"--restaurar", "FILE", "um arquivo",
     "instead of a run: put the copy FILE back over --destino, replacing\nall it holds; refused while anyone else "
     "is attached to it; the copy\nis restored beside it first, so a damaged copy changes nothing.\nGoes with "
     "--destino and --sim only"},
    {"--help", nullptr, nullptr, "this text"},
};

const char* const kInicio = "Usage: importa-norvo-cli [options]\n"
                            "       importa-norvo-cli --restaurar FILE --destino PATH [--sim]\n"
                            "Imports a Tarvex product file (and, optionally, clients and suppliers of a Tarvex\n"
                            "database) into a Norvo Firebird database, as the window's \"Importar\" button does.\n"
                            "Before it empties anything, a run has the server back the destination up beside it,\n"
                            "as NAME-YYYYMMDD-HHMMSS.fbk; when that copy fails, the run stops there.\n"
                            "\n";

const char* const kFim = "\n"
                         "Every option is given once; an option where a value is expected is bad usage.\n"
                         "\n"
                         "Exit status: 0 nothing failed, 1 a row, a stage or another step failed, 2 bad usage,\n"
                         "a failed connection, an unreadable product file or a run that was not confirmed,\n"
                         "129 / 130 / 143 stopped by SIGHUP / SIGINT / SIGTERM after the record in progress\n"
                         "was committed.\n"
                         "With --restaurar: 0 restored, 1 the restore failed, 2 bad usage, refused (another\n"
                         "attachment, or the destination could not be checked) or not confirmed,\n"
                         "129 / 130 / 143 stopped by a signal before the destination was touched.\n";

} // namespace

std::string textoDeAjuda()
{
    return kInicio + textoDasOpcoes(kProprias) + kFim;
}

Argumentos lerArgumentos(const std::vector<std::string>& args)
{
    const ArgumentosLidos lidos = norvo::lerArgumentos(args, kProprias);
    Argumentos a;
    a.opcoes = lidos.opcoes;
    a.csv = lidos.valor("--csv").value_or("");
    a.destino = lidos.valor("--destino").value_or("");
    a.origem = lidos.valor("--origem");
    a.pastaLogs = lidos.valor("--logs");
    a.restaurar = lidos.valor("--restaurar");
    a.sim = lidos.tem("--sim");
    a.ajuda = lidos.tem("--help");
    if (a.ajuda)
        return a;
    if (a.destino.empty())
        throw std::invalid_argument("falta --destino CAMINHO");
    if (a.restaurar) {
        for (const std::string& v : lidos.dadas)
            if (v != "--restaurar" && v != "--destino" && v != "--sim")
                throw std::invalid_argument("--restaurar não se combina com " + v);
        return a;
    }
    if (!a.opcoes.algumaTabela()) {
        std::string quais;
        for (const DefinicaoOpcao& d : opcoesDeExecucao())
            if (d.tabelas)
                quais += (quais.empty() ? "" : ", ") + std::string(d.argumento);
        throw std::invalid_argument("escolha ao menos uma de " + quais);
    }
    if (a.opcoes.produtos && a.csv.empty())
        throw std::invalid_argument("--produtos precisa de --csv ARQUIVO");
    return a;
}

} // namespace norvo::cli
