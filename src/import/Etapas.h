#pragma once
// The table of stages (ListaDeEtapas.h): what varies from one stage to the next besides its
// own statements and texts, which live in its file.
#include "import/Opcoes.h"
#include "import/ResumoEtapa.h"

#include <span>
#include <string>

namespace norvo {

struct ContextoEtapa;

struct DefinicaoEtapa {
    using Rotina = ResumoEtapa (*)(ContextoEtapa&);
    const char* nome;     // the routine's name, as the code and the tests name the stage
    const char* titulo;   // the operator's name for it (UTF-8), as the summaries show it
    Opcao opcao;          // the option that marks it
    const char* tabela;   // the destination table it empties and refills
    bool esvaziarAntes;   // emptied in the run's first step, before any stage
    const char* registro; // its key in the sequence register GERACODIGO, or nullptr
    Rotina executar;

    // The statement that empties its table.
    std::string remove() const { return std::string("DELETE FROM ") + tabela; }
};

// The stages in the order a run calls them.
std::span<const DefinicaoEtapa> todasAsEtapas();
// The line of the stage whose routine this is.
const DefinicaoEtapa& definicaoDe(DefinicaoEtapa::Rotina rotina);

// Each stage's routine, defined in its own file. Never lets a failure out: the summary says
// how it ended.
#define NORVO_ETAPA(rotina, titulo, opcao, tabela, esvaziarAntes, registro) ResumoEtapa rotina(ContextoEtapa& ctx);
#include "import/ListaDeEtapas.h"
#undef NORVO_ETAPA

} // namespace norvo
