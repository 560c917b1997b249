#pragma once
#include "texto/Error.h"

#include <string>
#include <vector>

namespace norvo::db {

// Every failure of the access layer. The message is what the operator sees or the logs keep.
class Error : public norvo::Error {
public:
    using norvo::Error::Error;
};

// A failure reported by the server or the client library, with its status codes.
class ServerError : public Error {
public:
    ServerError(const std::string& message, std::vector<long> codes, int sqlcode)
        : Error(message), codes_(std::move(codes)), sqlcode_(sqlcode)
    {}
    const std::vector<long>& codes() const { return codes_; }
    bool has(long code) const;
    int sqlcode() const { return sqlcode_; }

private:
    std::vector<long> codes_;
    int sqlcode_;
};

// A text bound to a parameter is longer than its column: the layer refuses it before the
// server sees it.
class TextoLongo : public Error {
public:
    TextoLongo(std::size_t comprimento, int capacidade)
        : Error("Trying to store a string of length " + std::to_string(comprimento) +
                " into a field that can only contain " + std::to_string(capacidade)),
          capacidade_(capacidade)
    {}
    int capacidade() const { return capacidade_; }

private:
    int capacidade_;
};

// The connection to the server went away; the database has already marked itself disconnected.
class ConnectionLost : public ServerError {
public:
    using ServerError::ServerError;
};

// "IBQueryFireBird: " or nothing for an unnamed object.
std::string prefixo(const std::string& objectName);

} // namespace norvo::db
