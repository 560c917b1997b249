#pragma once
// The window tests need one application object for the whole process; it is the program's
// own, so its failure report is under test too. The staging table writes its file into the
// working directory when it closes, so each process gets a folder of its own.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "PastaTemporaria.h"
#include "app/AplicacaoImporta.h"

namespace norvo::app::teste {

inline int executarTestes(int argc, char** argv, const std::string& prefixoPasta)
{
    ::testing::InitGoogleTest(&argc, argv);
    const auto pasta = norvo::teste::pastaNova(prefixoPasta);
    std::filesystem::current_path(pasta);
    int resultado;
    {
        AplicacaoImporta app(argc, argv);
        resultado = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
    std::filesystem::remove_all(pasta, ec);
    return resultado;
}

} // namespace norvo::app::teste
