#pragma once
#include "db/Values.h"
#include "import/BancoDestino.h"
#include "import/BancoOrigem.h"
#include "import/Gauge.h"
#include "import/Operador.h"
#include "import/PassoFalho.h"
#include "staging/StagingTable.h"

#include <functional>
#include <string>
#include <vector>

namespace norvo {

// What a stage works with, and nothing more: the two databases, the staged records, the
// run's lists, the operator and the run's clock.
struct ContextoEtapa {
    BancoDestino& destino;
    BancoOrigem& origem;
    staging::StagingTable& registros;
    std::vector<std::string>& erros;       // ListaErros: vantor.log
    std::vector<std::string>& duplicados;  // ListaDuplicados: vantor2.log
    std::vector<PassoFalho>& passosFalhos; // steps outside the rows that failed
    int& parada;                           // what paradaPedida() said, once a stage stopped for it
    Operador& op;
    Gauge& gauge;
    std::function<db::DateTime()> hoje; // the local date at 00:00
    // By staged position, whether the product stage wrote the record's product.
    std::vector<bool> produtosGravados = {};
};

} // namespace norvo
