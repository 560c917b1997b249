#pragma once
// What the reading of a product file skipped, cut, read differently or could not read, line
// by line: a value the front ends show as they see fit, never text to be parsed again.
#include <cstddef>
#include <string>
#include <vector>

#include "staging/Campos.h"

namespace norvo::staging {

struct NotaLeitura {
    enum class Tipo {
        LinhaEmBranco,    // no record
        Cabecalho,        // the first line names the columns: no record
        CodigoSemDigitos, // the product has no code
        PrecoAusente,     // the line has no field 9: no price item
        PrecoIlegivel,    // field 9 is no amount: no price item
        TextoCortado,     // longer than its field
        ValoresIguais,    // two different units (or NCM codes) became one when cut
        SemLatin1,        // characters with no Latin-1 form, stored as "?"
        CodigoRepetido,   // a code on more than one line: only the first becomes a product
        NaoEhInteiro,     // the code, PIS or COFINS is no 32-bit integer: the field stays empty
    };
    static constexpr std::size_t NumTipos = 10;

    Tipo tipo = Tipo::LinhaEmBranco;
    int linha = 0;           // in the file, from 1, blank lines counted
    Campo campo = NumCampos; // the field concerned; NumCampos for the whole line
    std::string lido;        // what the field held (Latin-1)
    std::string gravado;     // what the table holds instead
    std::string outro;       // ValoresIguais: the other value that became the same
    int outraLinha = 0;      //   and the line it was first read on
    long linhas = 1;         // a cut unit or NCM code: the lines that held it
    int campos = 0;          // PrecoAusente: the fields the line has
    std::vector<int> outras; // CodigoRepetido: the other lines that hold the code, in order
    std::string conteudo;    // the line as it was, cut to a readable length

    // One line for the operator: "linha 7, UNIDADE: 'CAIXA' gravada como 'CAI' ...".
    std::string texto() const;
    // The same without its line, field and content, for a list that has columns for them.
    std::string problema() const;
    // The kind in words, plural: "linhas em branco ignoradas".
    static std::string nomeDoTipo(Tipo);
};

} // namespace norvo::staging
