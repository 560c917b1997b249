#pragma once
// An Importador over a scratch destination with the sample schema, a recording operator
// and a private folder for the logs and the staging file.
#include "BancoTeste.h"
#include "OperadorTeste.h"
#include "import/Importador.h"
#include "import/Textos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace norvo::teste {

inline std::string L1(const char* utf8) { return textos::L1(utf8); }

struct Destino : ::testing::Test {
    BancoTeste banco{"destino"};
    OperadorTeste op;
    std::filesystem::path pasta;
    std::filesystem::path cwdAntes = std::filesystem::current_path();
    std::unique_ptr<Importador> imp;

    Destino()
    {
        banco.executar(esquemaDestino());
        pasta = std::filesystem::temp_directory_path() /
                ("norvo-import-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(pasta);
        std::filesystem::create_directories(pasta);
        std::filesystem::current_path(pasta); // the staging file lands here
        imp = std::make_unique<Importador>(op);
        imp->setDestino(banco.caminho());
        imp->setPastaLogs(pasta.string() + "/");
        imp->relogio = [] { return db::DateTime{2024, 3, 10, 0, 0, 0}; };
    }

    ~Destino() override
    {
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
        return imp->LerArquivoCSV(arquivo.string());
    }

    // The whole run with "Produtos" marked.
    ResultadoImportacao importarProdutos()
    {
        return imp->BitBtnImportarClick([](Opcao o) { return o == Opcao::Produtos; });
    }

    // What a stage run on its own needs: a connected destination and the run's lists.
    void prepararEtapa()
    {
        ASSERT_TRUE(imp->Connectar(false));
        imp->ListaErros = std::make_unique<std::vector<std::string>>();
        imp->ListaDuplicados = std::make_unique<std::vector<std::string>>();
    }

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

} // namespace norvo::teste
