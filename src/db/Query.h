#pragma once
#include "db/Field.h"
#include "db/Param.h"
#include "db/Preparacao.h"
#include "db/Resultado.h"
#include "db/Values.h"
#include "db/Vinculo.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace norvo::db {

class Database;
class Transaction;

// One SQL statement with named parameters, executed or opened and walked: its text and
// preparation, the binding of its parameters and the rows it gives are each a part of its own.
class Query {
public:
    explicit Query(std::string objectName = {});
    virtual ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    const std::string& objectName() const { return objectName_; }
    virtual void setDatabase(Database* db);
    virtual void setTransaction(Transaction* t);
    Database* database() const { return database_; }
    Transaction* transaction() const { return transaction_; }

    // The statement text as lines; every change closes the query, releases its prepared
    // statement and rebuilds the parameters, carrying values over by name.
    void clearSQL();
    void addLine(std::string_view linha);
    void setSQL(std::string_view texto);
    // A new statement: closed, its text replaced, every parameter unassigned.
    Query& redefinir(std::string_view texto);
    Query& redefinir(const std::vector<std::string>& linhas);
    Query& redefinir(std::initializer_list<std::string_view> linhas);
    // A new statement whose text goes to the server as it is (a block with PSQL variables):
    // its "?" markers are its parameters, named `nomes` in order.
    Query& redefinirComoNoServidor(std::string texto, std::vector<std::string> nomes);
    const std::vector<std::string>& sql() const { return preparacao_.linhas(); }
    std::string text() const { return preparacao_.texto(); } // each line followed by CR LF

    Param& paramByName(std::string_view nome);
    std::vector<Param>& params() { return vinculo_.params(); }
    void clearParams();

    void execute();
    // The bytes the parameters take in the message the server receives, by their declared
    // sizes (prepared first if need be): how many rows one statement may carry is bound by it.
    // Only the parameters `quais` marks, when given.
    std::size_t bytesDosParametros(const std::vector<bool>& quais = {});
    void open();
    void close();
    bool isOpen() const { return aberta_; }
    bool prepared() const { return preparacao_.preparada(); }

    void first();
    void next();
    bool eof() const { return resultado_.eof(); }
    bool isEmpty() const { return resultado_.linhas().empty(); }
    int recordCount() const { return static_cast<int>(resultado_.linhas().size()); }

    Field fieldByName(std::string_view nome) const;
    size_t fieldCount() const { return resultado_.colunas().size(); }

    // Called by the transaction's commit and the database's disconnect.
    void fecharEDespreparar() noexcept;

protected:
    using Coluna = Resultado::Coluna;
    // Fields of the current row, for the data set's editing.
    std::vector<Valor>& linhaAtual() { return resultado_.linhaAtual(); }
    const std::vector<Coluna>& colunas() const { return resultado_.colunas(); }
    std::vector<std::vector<Valor>>& linhasLidas() { return resultado_.linhas(); }
    size_t indiceAtual() const { return resultado_.atual(); }
    void setIndiceAtual(size_t i) { resultado_.setAtual(i); }
    int indiceCampo(std::string_view nome) const { return resultado_.indiceCampo(nome); } // -1 when none

private:
    friend class Field;
    void alterarTexto(std::vector<std::string> novas);
    // Connected, in a started transaction, prepared and bound: ready to run.
    void preparar();
    void pronta();

    std::string objectName_;
    Database* database_ = nullptr;
    Transaction* transaction_ = nullptr;
    Preparacao preparacao_;
    Vinculo vinculo_;
    Resultado resultado_;
    bool aberta_ = false;
};

} // namespace norvo::db
