#pragma once
#include "db/Handles.h"

#include <string>
#include <vector>

namespace norvo::db {

class Database;
class Transaction;

// What a statement is, whatever values it runs with: its text and, once prepared, the
// server's statement with the description of its columns and of its parameters.
class Preparacao {
public:
    // Takes a new text (lines), releasing the prepared statement; gives the names of its
    // parameters in text order.
    std::vector<std::string> definir(std::vector<std::string> linhas);
    // Takes a text as the server receives it: its "?" markers are the parameters, named
    // `nomes` in order (a PSQL block's ":variable" must reach the server as written).
    std::vector<std::string> definirComoNoServidor(std::string texto, std::vector<std::string> nomes);
    const std::vector<std::string>& linhas() const { return linhas_; }
    std::string texto() const; // each line followed by CR LF

    // Prepares the text and describes it, unless done already. Nothing changes on failure.
    void preparar(Database& db, Transaction& t);
    bool preparada() const { return static_cast<bool>(stmt_); }
    bool devolveLinhas() const; // a select
    Sqlda* entrada() { return reinterpret_cast<Sqlda*>(entrada_.data()); }
    Sqlda* saida() { return reinterpret_cast<Sqlda*>(saida_.data()); }

    // Runs the prepared statement with the parameters bound in entrada().
    void executar(Database& db, Transaction& t);
    FbHandle* handle() { return stmt_.ptr(); }
    // Drops the statement's open cursor; nothing to report about a cursor given up.
    void fecharCursor() noexcept;
    void liberar() noexcept;

private:
    std::vector<std::string> linhas_;
    std::string textoServidor_; // markers as "?"
    StatementHandle stmt_;
    int tipoComando_ = 0;
    std::vector<char> entrada_; // XSQLDA of the parameters
    std::vector<char> saida_;   // XSQLDA of the columns
};

} // namespace norvo::db
