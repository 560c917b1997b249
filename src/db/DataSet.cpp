#include "db/DataSet.h"

#include "db/Api.h"

#include "db/Error.h"
#include "texto/Texto.h"

namespace norvo::db {

using texto::mesmoNome;

DataSet::DataSet(std::string objectName) : Query(objectName), insert_(objectName), modify_(objectName) {}

DataSet::~DataSet() = default;

void DataSet::setDatabase(Database* db)
{
    Query::setDatabase(db);
    insert_.setDatabase(db);
    modify_.setDatabase(db);
}

void DataSet::setTransaction(Transaction* t)
{
    Query::setTransaction(t);
    insert_.setTransaction(t);
    modify_.setTransaction(t);
}

DataSet::Estado DataSet::estado() const
{
    return isOpen() ? estado_ : Estado::Inactive;
}

void DataSet::insert()
{
    if (!isOpen())
        throw Error(prefixo(objectName()) + "Cannot perform this operation on a closed dataset");
    linhasLidas().emplace_back(colunas().size());
    setIndiceAtual(linhasLidas().size() - 1);
    original_.assign(colunas().size(), Valor{});
    estado_ = Estado::Insert;
}

void DataSet::edit()
{
    if (!isOpen())
        throw Error(prefixo(objectName()) + "Cannot perform this operation on a closed dataset");
    if (isEmpty())
        throw Error(prefixo(objectName()) + "Cannot perform this operation on an empty dataset");
    if (estado_ == Estado::Browse)
        original_ = linhaAtual();
    estado_ = Estado::Edit;
}

std::vector<Valor>& DataSet::campoEditavel(std::string_view campo, size_t& indice)
{
    if (estado() != Estado::Insert && estado() != Estado::Edit)
        throw Error(prefixo(objectName()) + "Dataset not in edit or insert mode");
    const int i = indiceCampo(campo);
    if (i < 0)
        throw Error(prefixo(objectName()) + "Field '" + std::string(campo) + "' not found");
    indice = static_cast<size_t>(i);
    return linhaAtual();
}

void DataSet::setFieldAsString(std::string_view campo, std::string valor)
{
    size_t i = 0;
    std::vector<Valor>& linha = campoEditavel(campo, i);
    const Coluna& c = colunas()[i];
    if ((c.tipo == SQL_TEXT || c.tipo == SQL_VARYING) && c.tamanho > 0 && valor.size() > static_cast<size_t>(c.tamanho))
        valor.resize(static_cast<size_t>(c.tamanho));
    linha[i] = Valor{};
    linha[i].tipo = Valor::Tipo::Texto;
    linha[i].texto = std::move(valor);
}

void DataSet::setFieldAsInteger(std::string_view campo, std::int32_t valor)
{
    size_t i = 0;
    std::vector<Valor>& linha = campoEditavel(campo, i);
    linha[i] = Valor{};
    linha[i].tipo = Valor::Tipo::Inteiro;
    linha[i].inteiro = valor;
}

void DataSet::vincularLinha(Query& q)
{
    for (Param& p : q.params()) {
        std::string_view nome = p.name();
        const std::vector<Valor>* fonte = &linhaAtual();
        if (nome.size() > 4 && mesmoNome(nome.substr(0, 4), "OLD_")) {
            nome.remove_prefix(4);
            fonte = &original_;
        } else if (nome.size() > 4 && mesmoNome(nome.substr(0, 4), "NEW_")) {
            nome.remove_prefix(4);
        }
        const int i = indiceCampo(nome);
        if (i < 0) {
            p.clear();
            continue;
        }
        const Valor& v = (*fonte)[static_cast<size_t>(i)];
        switch (v.tipo) {
        case Valor::Tipo::Nulo:
            p.clear();
            break;
        case Valor::Tipo::Texto:
            p.setAsString(v.texto);
            break;
        case Valor::Tipo::Inteiro:
            if (v.escala == 0 && v.inteiro >= INT32_MIN && v.inteiro <= INT32_MAX)
                p.setAsInteger(static_cast<std::int32_t>(v.inteiro));
            else
                p.setAsString(v.asString());
            break;
        case Valor::Tipo::Real:
            p.setAsFloat(v.real);
            break;
        case Valor::Tipo::DataHora:
            p.setAsDateTime(v.dataHora);
            break;
        }
    }
}

void DataSet::post()
{
    if (estado() == Estado::Insert) {
        vincularLinha(insert_);
        insert_.execute();
    } else if (estado() == Estado::Edit) {
        vincularLinha(modify_);
        modify_.execute();
    } else {
        throw Error(prefixo(objectName()) + "Dataset not in edit or insert mode");
    }
    estado_ = Estado::Browse;
}

void DataSet::close()
{
    Query::close();
    estado_ = Estado::Inactive;
}

} // namespace norvo::db
