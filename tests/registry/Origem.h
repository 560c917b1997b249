#pragma once
// A destination (through the server) and a source database (in-process, by its path)
// with the sample schemas, for the client and supplier stages.
#include "../import/Destino.h"

namespace norvo::teste {

struct Origem : Destino {
    BancoTeste origem{"origem", true};

    Origem()
    {
        origem.executar(esquemaOrigem());
        imp->setOrigem(origem.caminho());
        banco.executar(L1("INSERT INTO CIDADE (CID_CODIGO, CID_NOME) VALUES (3550308, 'SÃO PAULO');"
                          "INSERT INTO CIDADE (CID_CODIGO, CID_NOME) VALUES (4106902, 'CURITIBA');"));
    }

    void prepararEtapa()
    {
        Destino::prepararEtapa();
        avulso->origem.setCaminho(origem.caminho());
    }

    ~Origem() override
    {
        // The engine in this process must let go of the file before it is dropped.
        avulso.reset();
        imp.reset();
    }
};

} // namespace norvo::teste
