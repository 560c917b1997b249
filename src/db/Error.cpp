#include "db/Error.h"

#include <algorithm>

namespace norvo::db {

bool ServerError::has(long code) const
{
    return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
}

std::string prefixo(const std::string& objectName)
{
    return objectName.empty() ? std::string() : objectName + ": ";
}

} // namespace norvo::db
