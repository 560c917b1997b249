#include "import/InsercaoDeclarada.h"

#include "texto/Latin1.h"
#include "texto/Texto.h"

#include <cstdio>
#include <stdexcept>

namespace norvo {

void ValorFixo::atribuir(db::Param& p) const
{
    switch (tipo) {
    case db::Param::Tipo::Nulo:
        p.clear();
        break;
    case db::Param::Tipo::Texto:
        p.setAsString(texto);
        break;
    case db::Param::Tipo::Inteiro:
        p.setAsInteger(static_cast<std::int32_t>(inteiro));
        break;
    case db::Param::Tipo::Moeda:
        p.setAsCurrency(inteiro);
        break;
    case db::Param::Tipo::Real:
        p.setAsFloat(real);
        break;
    case db::Param::Tipo::DataHora:
        throw std::logic_error("a date is the run's, bound per record, never fixed");
    }
}

std::vector<db::Param> InsercaoDeclarada::parametros() const
{
    std::vector<db::Param> p;
    p.reserve(colunas.size());
    for (const ColunaInsercao& c : colunas)
        p.emplace_back(c.nomeDoParametro());
    vincularFixos(p);
    return p;
}

void InsercaoDeclarada::vincularFixos(std::vector<db::Param>& params) const
{
    for (std::size_t i = 0; i < colunas.size() && i < params.size(); ++i) {
        if (!colunas[i].fixo)
            continue;
        if (!texto::mesmoNome(colunas[i].nomeDoParametro(), params[i].name()))
            throw std::logic_error(std::string("the insert into ") + tabela + " does not bind " +
                                   colunas[i].nomeDoParametro() + " where its declaration says");
        colunas[i].fixo->atribuir(params[i]);
    }
}

int InsercaoDeclarada::posicaoDe(std::string_view coluna) const
{
    for (std::size_t i = 0; i < colunas.size(); ++i)
        if (coluna == colunas[i].nome)
            return static_cast<int>(i);
    return -1;
}

std::string InsercaoDeclarada::textoDaChave(const std::vector<db::Param>& valores) const
{
    std::string condicao;
    for (std::size_t i = 0; i < colunas.size() && i < valores.size(); ++i)
        if (colunas[i].chave)
            condicao += (condicao.empty() ? "" : " AND ") + std::string(colunas[i].nome) + "=" + literalSql(valores[i]);
    return condicao.empty() ? std::string()
                            : std::string("SELECT COUNT(*) AS QTD FROM ") + tabela + " WHERE " + condicao;
}

std::string literalSql(const db::Param& p)
{
    switch (p.tipo()) {
    case db::Param::Tipo::Nulo:
        break;
    case db::Param::Tipo::Texto:
        return texto::Citar(p.texto());
    case db::Param::Tipo::Inteiro:
        return std::to_string(p.inteiro());
    case db::Param::Tipo::Moeda:
        return texto::decimal(p.inteiro(), -4);
    case db::Param::Tipo::Real: {
        // With an exponent the server reads a double, not an exact decimal.
        char t[40];
        std::snprintf(t, sizeof t, "%.17g", p.real());
        std::string r = t;
        return r.find_first_of("eE") == std::string::npos ? r + "E0" : r;
    }
    case db::Param::Tipo::DataHora: {
        const db::DateTime& d = p.dataHora();
        char t[48];
        std::snprintf(t, sizeof t, "TIMESTAMP '%04d-%02d-%02d %02d:%02d:%02d'", d.year, d.month, d.day, d.hour,
                      d.minute, d.second);
        return t;
    }
    }
    return "NULL";
}

} // namespace norvo
