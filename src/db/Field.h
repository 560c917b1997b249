#pragma once
#include "db/Values.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace norvo::db {

class Query;

// A column of a query's current row; NULL while the query is closed or has no rows.
class Field {
public:
    Field(const Query* q, std::size_t index) : q_(q), index_(index) {}
    std::string asString() const { return valor().asString(); }
    std::int32_t asInteger() const { return valor().asInteger(); }
    DateTime asDateTime() const { return valor().asDateTime(); }
    bool isNull() const { return valor().isNull(); }
    const Valor& valor() const;

private:
    const Query* q_;
    std::size_t index_;
};

} // namespace norvo::db
