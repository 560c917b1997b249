#include "cli/Argumentos.h"

#include <algorithm>
#include <stdexcept>

namespace norvo::cli {

const char* const kAjuda = "Usage: importa-norvo-cli [options]\n"
                           "       importa-norvo-cli --restaurar FILE --destino PATH [--sim]\n"
                           "Imports a Tarvex product file (and, optionally, clients and suppliers of a Tarvex\n"
                           "database) into a Norvo Firebird database, as the window's \"Importar\" button does.\n"
                           "Before it empties anything, a run has the server back the destination up beside it,\n"
                           "as NAME-YYYYMMDD-HHMMSS.fbk; when that copy fails, the run stops there.\n"
                           "\n"
                           "  --csv FILE        product file to read into the staging table (needed with --produtos)\n"
                           "  --destino PATH    destination database file on the local Firebird server\n"
                           "  --produtos        import unit types, NCM codes, products and price list items\n"
                           "  --clientes        copy the clients of the source database\n"
                           "  --fornecedores    copy the suppliers of the source database\n"
                           "  --origem PATH     source database file (default C:\\Bantuva\\MORELIA.FDB)\n"
                           "  --logs DIR        folder for vantor.log and vantor2.log (default: the executable's;\n"
                           "                    installed in the system, ~/.local/share/importa-norvo)\n"
                           "  --sim             answer Yes to the confirmation (needed without a terminal)\n"
                           "  --rapido          fast mode: commits every 1000 rows and at the end of each stage,\n"
                           "                    lookups prepared once; same rows, failures and logs\n"
                           "  --simular         rehearsal: the whole run in one transaction that is rolled back;\n"
                           "                    nothing is written, the logs are (no confirmation asked)\n"
                           "  --sem-copia       no safety copy of the destination before the run\n"
                           "  --restaurar FILE  instead of a run: put the copy FILE back over --destino, replacing\n"
                           "                    all it holds; refused while anyone else is attached to it; the copy\n"
                           "                    is restored beside it first, so a damaged copy changes nothing.\n"
                           "                    Goes with --destino and --sim only\n"
                           "  --help            this text\n"
                           "\n"
                           "Every option is given once; an option where a value is expected is bad usage.\n"
                           "\n"
                           "Exit status: 0 nothing failed, 1 a row, a stage or another step failed, 2 bad usage,\n"
                           "a failed connection, an unreadable product file or a run that was not confirmed,\n"
                           "129 / 130 / 143 stopped by SIGHUP / SIGINT / SIGTERM after the record in progress\n"
                           "was committed.\n"
                           "With --restaurar: 0 restored, 1 the restore failed, 2 bad usage, refused (another\n"
                           "attachment, or the destination could not be checked) or not confirmed,\n"
                           "129 / 130 / 143 stopped by a signal before the destination was touched.\n";

Argumentos lerArgumentos(const std::vector<std::string>& args)
{
    Argumentos a;
    std::vector<std::string> vistas; // the options given, in order, "-h" as "--help"
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string arg = args[i] == "-h" ? "--help" : args[i];
        if (arg.rfind("--", 0) == 0 && std::find(vistas.begin(), vistas.end(), arg) != vistas.end())
            throw std::invalid_argument("opção repetida: " + arg);
        vistas.push_back(arg);
        // A value that is another option is one forgotten, not a file of that name: taken as
        // a path, "--destino --produtos" would go on with a run on the wrong database.
        auto valor = [&](const char* espera) -> std::string {
            if (i + 1 >= args.size())
                throw std::invalid_argument(arg + " espera " + espera);
            const std::string& v = args[++i];
            if (!v.empty() && v[0] == '-')
                throw std::invalid_argument(arg + " espera " + espera + ", não " + v);
            return v;
        };
        if (arg == "--csv")
            a.csv = valor("um arquivo");
        else if (arg == "--destino")
            a.destino = valor("um caminho");
        else if (arg == "--origem")
            a.origem = valor("um caminho");
        else if (arg == "--logs")
            a.pastaLogs = valor("uma pasta");
        else if (arg == "--restaurar")
            a.restaurar = valor("um arquivo");
        else if (arg == "--produtos")
            a.produtos = true;
        else if (arg == "--clientes")
            a.clientes = true;
        else if (arg == "--fornecedores")
            a.fornecedores = true;
        else if (arg == "--sim")
            a.sim = true;
        else if (arg == "--rapido")
            a.rapido = true;
        else if (arg == "--simular")
            a.simular = true;
        else if (arg == "--sem-copia")
            a.semCopia = true;
        else if (arg == "--help")
            a.ajuda = true;
        else
            throw std::invalid_argument("opção desconhecida: " + arg);
    }
    if (a.ajuda)
        return a;
    if (a.destino.empty())
        throw std::invalid_argument("falta --destino CAMINHO");
    if (a.restaurar) {
        for (const std::string& v : vistas)
            if (v != "--restaurar" && v != "--destino" && v != "--sim")
                throw std::invalid_argument("--restaurar não se combina com " + v);
        return a;
    }
    if (!a.produtos && !a.clientes && !a.fornecedores)
        throw std::invalid_argument("escolha ao menos uma de --produtos, --clientes, --fornecedores");
    if (a.produtos && a.csv.empty())
        throw std::invalid_argument("--produtos precisa de --csv ARQUIVO");
    return a;
}

} // namespace norvo::cli
