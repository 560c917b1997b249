#pragma once
#include "db/Query.h"

namespace norvo::db {

// A query whose current row can be inserted or changed through statements of its own.
// Its SQL is the SelectSQL.
class DataSet : public Query {
public:
    enum class Estado { Inactive, Browse, Insert, Edit };
    explicit DataSet(std::string objectName = {});
    ~DataSet() override;

    // The statements post() runs for an inserted row and for an edited one; ":OLD_X" is
    // field X as the row was read, ":X" and ":NEW_X" as it is now.
    void setInsertSQL(const std::vector<std::string>& linhas) { insert_.redefinir(linhas); }
    void setModifySQL(const std::vector<std::string>& linhas) { modify_.redefinir(linhas); }

    void setDatabase(Database* db) override;
    void setTransaction(Transaction* t) override;
    void open()
    {
        Query::open();
        estado_ = Estado::Browse;
    }
    bool active() const { return isOpen(); }
    Estado estado() const;

    void insert();
    void edit();
    // A text longer than its column is cut to the column's length.
    void setFieldAsString(std::string_view campo, std::string valor);
    void setFieldAsInteger(std::string_view campo, std::int32_t valor);
    void post();
    void close();

private:
    std::vector<Valor>& campoEditavel(std::string_view campo, size_t& indice);
    void vincularLinha(Query& q);

    Query insert_;
    Query modify_;
    Estado estado_ = Estado::Inactive;
    std::vector<Valor> original_;
};

} // namespace norvo::db
