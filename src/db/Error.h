#pragma once
#include "texto/Error.h"

#include <string>
#include <vector>

// The failures of the access layer, one family: callers tell them apart by kind, never by the
// server's status codes.
namespace norvo::db {

// Every failure of the access layer. The message is what the operator sees or the logs keep.
class Error : public norvo::Error {
public:
    using norvo::Error::Error;
};

// A failure reported by the server or the client library, with its status codes.
class ServerError : public Error {
public:
    ServerError(const std::string& message, std::vector<long> codes) : Error(message), codes_(std::move(codes)) {}
    const std::vector<long>& codes() const { return codes_; }
    bool has(long code) const;

private:
    std::vector<long> codes_;
};

// The connection to the server went away; the database has already marked itself disconnected.
class ConnectionLost : public ServerError {
public:
    using ServerError::ServerError;
};

// A no-wait transaction met a table or a row another transaction holds. The server words a
// reserved table as a lock conflict, a row as an update conflict (after "deadlock").
class LockConflict : public ServerError {
public:
    using ServerError::ServerError;
};

// A row repeats the key of a primary key or unique constraint.
class UniqueViolation : public ServerError {
public:
    UniqueViolation(const std::string& message, std::vector<long> codes, std::string restricao, std::string tabela)
        : ServerError(message, std::move(codes)), restricao_(std::move(restricao)), tabela_(std::move(tabela))
    {}
    const std::string& restricao() const { return restricao_; } // the constraint's name
    const std::string& tabela() const { return tabela_; }

private:
    std::string restricao_;
    std::string tabela_;
};

// The database can take no more work: every later statement would meet the same failure,
// so it is no single row's. Told apart from a row's failure by the server's codes.
class BancoInutilizavel : public ServerError {
public:
    enum class Motivo {
        DiscoCheio,     // no space left on the database file's disk
        ErroDeDisco,    // reading or writing the database file failed
        Desligado,      // the database was shut down
        SomenteLeitura, // the database is read-only
        Corrompido,     // a damaged page or an internal consistency check
        SemRecursos,    // the server is out of memory or locks
    };
    BancoInutilizavel(const std::string& message, std::vector<long> codes, Motivo motivo)
        : ServerError(message, std::move(codes)), motivo_(motivo)
    {}
    Motivo motivo() const { return motivo_; }

private:
    Motivo motivo_;
};

// A text bound to a parameter is longer than its column: the layer refuses it before the
// server sees it.
class TextoLongo : public Error {
public:
    TextoLongo(std::size_t comprimento, int capacidade, std::string coluna, int posicao = -1)
        : Error("Trying to store a string of length " + std::to_string(comprimento) +
                " into a field that can only contain " + std::to_string(capacidade)),
          capacidade_(capacidade), coluna_(std::move(coluna)), posicao_(posicao)
    {}
    int capacidade() const { return capacidade_; }
    // The parameter the text was bound to.
    const std::string& coluna() const { return coluna_; }
    // Its position among the statement's parameters, -1 when not known.
    int posicao() const { return posicao_; }

private:
    int capacidade_;
    std::string coluna_;
    int posicao_;
};

// The client library could not be loaded, under `nome`, the platform's name for it.
class ClienteAusente : public Error {
public:
    explicit ClienteAusente(const std::string& nome)
        : Error("Firebird client library " + nome +
                " not found in the path. Please install the Firebird client to use this functionality")
    {}
};

// "IBQueryFireBird: " or nothing for an unnamed object.
std::string prefixo(const std::string& objectName);

} // namespace norvo::db
