#include "cli/Argumentos.h"

#include <stdexcept>

namespace norvo::cli {

const char* const kAjuda =
    "Usage: importa-norvo-cli [options]\n"
    "Imports a Tarvex product file (and, optionally, clients and suppliers of a Tarvex\n"
    "database) into a Norvo Firebird database, as the window's \"Importar\" button does.\n"
    "\n"
    "  --csv FILE        product file to read into the staging table (needed with --produtos)\n"
    "  --destino PATH    destination database file on the local Firebird server\n"
    "  --produtos        import unit types, NCM codes, products and price list items\n"
    "  --clientes        copy the clients of the source database\n"
    "  --fornecedores    copy the suppliers of the source database\n"
    "  --origem PATH     source database file (default C:\\Bantuva\\MORELIA.FDB)\n"
    "  --logs DIR        folder for vantor.log and vantor2.log (default: the executable's)\n"
    "  --sim             answer Yes to the confirmation (needed without a terminal)\n"
    "  --rapido          fast mode: commits every 1000 rows and at the end of each stage,\n"
    "                    lookups prepared once; same rows, failures and logs\n"
    "  --simular         rehearsal: the whole run in one transaction that is rolled back;\n"
    "                    nothing is written, the logs are (no confirmation asked)\n"
    "  --help            this text\n"
    "\n"
    "Exit status: 0 nothing failed, 1 a row, a stage or another step failed, 2 bad usage,\n"
    "a failed connection, an unreadable product file or a run that was not confirmed,\n"
    "130 / 143 stopped by SIGINT / SIGTERM after the record in progress was committed.\n";

Argumentos lerArgumentos(const std::vector<std::string>& args)
{
    Argumentos a;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto valor = [&]() -> std::string {
            if (i + 1 >= args.size())
                throw std::invalid_argument(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--csv")
            a.csv = valor();
        else if (arg == "--destino")
            a.destino = valor();
        else if (arg == "--origem")
            a.origem = valor();
        else if (arg == "--logs")
            a.pastaLogs = valor();
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
        else if (arg == "--help" || arg == "-h")
            a.ajuda = true;
        else
            throw std::invalid_argument("unknown option " + arg);
    }
    if (a.ajuda)
        return a;
    if (!a.produtos && !a.clientes && !a.fornecedores)
        throw std::invalid_argument("choose at least one of --produtos, --clientes, --fornecedores");
    if (a.produtos && a.csv.empty())
        throw std::invalid_argument("--produtos needs --csv FILE");
    if (a.destino.empty())
        throw std::invalid_argument("--destino PATH is required");
    return a;
}

} // namespace norvo::cli
