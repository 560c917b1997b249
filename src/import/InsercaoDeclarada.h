#pragma once
// A stage's insert as the stage declares it, once: the statement the default mode sends byte
// for byte, and its columns in order, each with what fast mode's blocks and the failure
// report need to know of it. Nothing learns a column from the statement's text.
#include <string>
#include <string_view>
#include <vector>

#include "db/Param.h"

namespace norvo {

struct ColunaInsercao {
    const char* nome;
    // The same value for every record of a stage (a fixed value, a column never bound, the
    // run's date): fast mode's blocks write it as a literal, not as a parameter per row.
    bool constante = false;
    int campo = -1; // the staged field its value comes from (staging::Campo), -1 for none
};

struct InsercaoDeclarada {
    const char* tabela;
    const char* texto; // INSERT INTO tabela (the columns) VALUES (:the columns, named as they are)
    std::vector<ColunaInsercao> colunas;
    // For a stage whose default mode writes each row as a statement of its own, its values in
    // its text: that statement for the values given (in the columns' order). A row sent on its
    // own in fast mode goes that way too, so that what the server says of it is what it says
    // in the default run.
    std::string (*textoDaLinha)(const std::vector<db::Param>& valores) = nullptr;

    // The staged field a failure naming `coluna` points at; -1 when none.
    int campoDaColuna(std::string_view coluna) const
    {
        for (const ColunaInsercao& c : colunas)
            if (coluna == c.nome)
                return c.campo;
        return -1;
    }
};

// The product stage's, the price stage's, and the NCM stage's in fast mode.
extern const InsercaoDeclarada InsercaoProduto;
extern const InsercaoDeclarada InsercaoItem;
extern const InsercaoDeclarada InsercaoNCM;

} // namespace norvo
