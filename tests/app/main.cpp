// The window tests need one application object for the whole process; it is the program's
// own, so its failure report is under test too. The platform is the offscreen one.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "app/AplicacaoImporta.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The staging table writes its file into the working directory when it closes.
    auto pasta = std::filesystem::temp_directory_path() /
                 ("test_app_" + std::to_string(::getpid()));
    std::filesystem::create_directories(pasta);
    std::filesystem::current_path(pasta);
    int resultado;
    {
        norvo::app::AplicacaoImporta app(argc, argv);
        resultado = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
    std::filesystem::remove_all(pasta, ec);
    return resultado;
}
