#pragma once
// An Importador over a scratch destination with the sample schema, a recording operator
// and a private folder for the logs and the staging file.
#include "BancoTeste.h"
#include "OperadorTeste.h"
#include "import/Buscas.h"
#include "import/Etapa.h"
#include "registry/EtapaDaOrigem.h"
#include "import/Importador.h"
#include "import/Textos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace norvo::teste {

inline std::string L1(const char* utf8)
{
    return textos::L1(utf8);
}

// A stage, a lookup or the sequence register outside a run: a destination of their own,
// connected, and the context a run would hand them.
struct ContextoAvulso {
    BancoDestino destino;
    BancoOrigem origem;
    std::vector<std::string> erros, duplicados;
    std::vector<PassoFalho> passosFalhos;
    int parada = 0;
    Gauge gauge;
    ContextoEtapa ctx;

    ContextoAvulso(const std::string& caminho, staging::StagingTable& tabela, Operador& op)
        : gauge(op), ctx{destino,      origem, tabela, erros, duplicados,
                         passosFalhos, parada, op,     gauge, [] { return db::DateTime{2024, 3, 10, 0, 0, 0}; }}
    {
        destino.conectar(caminho);
    }
};

struct Destino : ::testing::Test {
    BancoTeste banco{"destino"};
    OperadorTeste op;
    std::filesystem::path pasta;
    std::filesystem::path cwdAntes = std::filesystem::current_path();
    std::unique_ptr<Importador> imp;
    std::unique_ptr<ContextoAvulso> avulso;

    Destino()
    {
        banco.executar(esquemaDestino());
        pasta =
            std::filesystem::temp_directory_path() / ("norvo-import-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(pasta);
        std::filesystem::create_directories(pasta);
        std::filesystem::current_path(pasta); // the staging file lands here
        imp = std::make_unique<Importador>(op);
        imp->setDestino(banco.caminho());
        imp->setPastaLogs(pasta.string() + "/");
        imp->setRelogio([] { return db::DateTime{2024, 3, 10, 0, 0, 0}; });
    }

    ~Destino() override
    {
        avulso.reset();
        imp.reset();
        std::filesystem::current_path(cwdAntes);
        std::filesystem::remove_all(pasta);
    }

    // Reads a product file with these lines (Latin-1 bytes) into the staging table.
    int ler(const std::vector<std::string>& linhas)
    {
        const auto arquivo = pasta / "produtos.csv";
        std::ofstream f(arquivo, std::ios::binary);
        for (const std::string& l : linhas)
            f << l << "\r\n";
        f.close();
        return imp->LerArquivoCSV(arquivo.string()).registros;
    }

    // What a stage run on its own needs: a connected destination, the staged records and
    // the run's lists.
    void prepararEtapa();
    ContextoEtapa& ctx();
    std::vector<std::string>& erros();

    // The whole run with these options marked; without the safety copy, which only the
    // tests of the copy need.
    ResultadoImportacao importar(bool produtos, bool clientes = false, bool fornecedores = false,
                                 const ModoExecucao& modo = {})
    {
        OpcoesImportacao o;
        o.produtos = produtos;
        o.clientes = clientes;
        o.fornecedores = fornecedores;
        o.modo = modo;
        o.semCopia = true;
        return imp->importar(o);
    }
    ResultadoImportacao importarProdutos(const ModoExecucao& modo = {}) { return importar(true, false, false, modo); }

    std::string arquivo(const std::string& nome) const
    {
        std::ifstream f(pasta / nome, std::ios::binary);
        if (!f)
            return "<missing>";
        std::ostringstream s;
        s << f.rdbuf();
        return s.str();
    }

    using Linhas = std::vector<std::vector<std::string>>;
};

inline void Destino::prepararEtapa()
{
    avulso = std::make_unique<ContextoAvulso>(banco.caminho(), imp->CdsProdutos(), op);
}
inline ContextoEtapa& Destino::ctx()
{
    return avulso->ctx;
}
inline std::vector<std::string>& Destino::erros()
{
    return avulso->erros;
}

} // namespace norvo::teste
