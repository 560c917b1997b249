#pragma once
// A stage's insert as the stage declares it, once: the statement the default mode sends byte
// for byte, and its columns in order, each with what fast mode's blocks, the way back from a
// lost connection and the failure report need to know of it. Nothing learns a column from
// the statement's text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/Param.h"

namespace norvo {

// A column's value when it is the same for every record: bound once, before the walk.
struct ValorFixo {
    db::Param::Tipo tipo = db::Param::Tipo::Nulo;
    std::int64_t inteiro = 0;
    double real = 0;
    const char* texto = "";
    void atribuir(db::Param& p) const;
};
constexpr ValorFixo fixoTexto(const char* t)
{
    return {db::Param::Tipo::Texto, 0, 0, t};
}
constexpr ValorFixo fixoInteiro(std::int32_t v)
{
    return {db::Param::Tipo::Inteiro, v};
}
constexpr ValorFixo fixoMoeda(std::int64_t dezMilesimos)
{
    return {db::Param::Tipo::Moeda, dezMilesimos};
}
constexpr ValorFixo fixoReal(double v)
{
    return {db::Param::Tipo::Real, 0, v};
}

struct ColunaInsercao {
    const char* nome;
    // The same value for every record of a stage (a fixed value, a column never bound, the
    // run's date): fast mode's blocks write it as a literal, not as a parameter per row.
    bool constante = false;
    int campo = -1;          // the staged field its value comes from (staging::Campo), -1 for none
    bool chave = false;      // one of the columns a written row is found by
    const char* parametro{}; // the statement's name for its value, when not the column's own
    std::optional<ValorFixo> fixo{};

    const char* nomeDoParametro() const { return parametro ? parametro : nome; }
    bool mesmoEmTodas() const { return constante || fixo.has_value(); }
};

struct InsercaoDeclarada {
    const char* tabela;
    const char* texto; // INSERT INTO tabela (the columns) VALUES (:their parameters, in order)
    std::vector<ColunaInsercao> colunas;
    // For a stage whose default mode writes each row as a statement of its own, its values in
    // its text: that statement for the values given (in the columns' order). A row sent on its
    // own in fast mode goes that way too, so that what the server says of it is what it says
    // in the default run.
    std::string (*textoDaLinha)(const std::vector<db::Param>& valores) = nullptr;
    // The column holding a code counted by the stage, which a refused row leaves to the next
    // row (the unit stage's); -1 for none. A block's rows sent again one by one after a refusal
    // are numbered again so, as the default run numbers them.
    int codigoDevolvido = -1;

    // The staged field a failure of the parameter at `posicao` points at; -1 when none.
    int campoNaPosicao(int posicao) const
    {
        return posicao >= 0 && static_cast<std::size_t>(posicao) < colunas.size()
                   ? colunas[static_cast<std::size_t>(posicao)].campo
                   : -1;
    }
    // A row's values, named as the statement's parameters, the fixed ones set.
    std::vector<db::Param> parametros() const;
    // Sets the fixed values in `params`, the statement's parameters in the columns' order.
    void vincularFixos(std::vector<db::Param>& params) const;
    // The position of a column, by its name: for a stage that tells one column's failure apart.
    int posicaoDe(std::string_view coluna) const;
    // A query counting, AS QTD, the rows holding the key columns' values of a row written with
    // `valores`: how a row whose commit's answer a lost connection took is found. Empty when
    // the declaration has no key.
    std::string textoDaChave(const std::vector<db::Param>& valores) const;
};

// A parameter's value as an SQL literal the server reads as the same value: NULL, a quoted
// text, an integer, a decimal, a double with its exponent, a timestamp.
std::string literalSql(const db::Param& p);

// The product stage's, the price stage's, the unit stage's and the NCM stage's.
extern const InsercaoDeclarada InsercaoProduto;
extern const InsercaoDeclarada InsercaoItem;
extern const InsercaoDeclarada InsercaoUnidade;
extern const InsercaoDeclarada InsercaoNCM;

} // namespace norvo
