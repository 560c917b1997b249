#pragma once
// The run's options, each declared once (Opcoes.cpp): what it sets, how the command line and
// the window name it, and its help line. The command line's flags and help, the window's
// controls and the check that something is marked all come from that table.
#include <span>
#include <string>

namespace norvo {

enum class Opcao { Produtos, Clientes, Fornecedores, Rapido, Simular, SemCopia };

// How a run writes. The default is the one-row-one-commit run with text-built lookups.
struct ModoExecucao {
    // Commits every `lote` rows (and at the end of each stage) instead of after each one;
    // lookups and existence checks run as statements prepared once, and what the stage
    // already looked up or wrote is answered from memory. Same rows, same failures.
    bool rapido = false;
    // Everything in one transaction that is rolled back at the end: the destination is left
    // as it was, the logs are written as the real run would write them.
    bool simular = false;
    int lote = 1000;
};

// One press of "Importar".
struct OpcoesImportacao {
    bool clientes = false;
    bool fornecedores = false;
    bool produtos = false;
    ModoExecucao modo;
    // Skips the safety copy a real run makes of the destination before it empties anything.
    bool semCopia = false;

    bool marcada(Opcao o) const;
    void marcar(Opcao o, bool sim = true);
    // At least one option that names tables to rebuild.
    bool algumaTabela() const;
};

struct DefinicaoOpcao {
    Opcao opcao;
    const char* argumento; // on the command line of both programs
    const char* rotulo;    // the window's control (UTF-8); nullptr where the window has none
    const char* ajuda;     // --help's text (UTF-8); a "\n" starts a continuation line
    bool tabelas;          // it marks tables to rebuild, rather than a way to run
    bool oculta;           // the window shows it only when started with --cadastros
    bool& (*campo)(OpcoesImportacao&);
};

// In the order --help lists them.
std::span<const DefinicaoOpcao> opcoesDeExecucao();
const DefinicaoOpcao& definicaoDe(Opcao o);

} // namespace norvo
