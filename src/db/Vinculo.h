#pragma once
#include "db/Handles.h"
#include "db/Param.h"

#include <memory>
#include <string>
#include <vector>

namespace norvo::db {

class Database;
class Transaction;

// The values a statement runs with: its named parameters and the bytes they are sent in.
class Vinculo {
public:
    Vinculo();
    ~Vinculo();

    // New parameter names (a new text): the values of names kept carry over.
    void renomear(const std::vector<std::string>& nomes);
    std::vector<Param>& params() { return params_; }

    // The parameters as the server described them at preparation.
    void descrever(const Sqlda* entrada);
    // Writes each parameter's value into `entrada`; a text parameter of a blob is written to
    // a new blob first. Throws TextoLongo for a text longer than its column.
    void vincular(Sqlda* entrada, Database& db, Transaction& t);
    void liberar() noexcept;

private:
    struct Buffer;
    std::vector<Param> params_;
    std::vector<std::unique_ptr<Buffer>> buffers_;
};

} // namespace norvo::db
