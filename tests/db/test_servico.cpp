// Backup and restore through the server's services manager, against the real server.
#include "BancoTeste.h"
#include "db/Error.h"
#include "db/Servico.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace norvo;
using namespace norvo::teste;
namespace fs = std::filesystem;

namespace {

bool algumaCom(const std::vector<std::string>& linhas, const std::string& texto)
{
    return std::any_of(linhas.begin(), linhas.end(),
                       [&](const std::string& l) { return l.find(texto) != std::string::npos; });
}

} // namespace

TEST(Servico, CopiaERestauraOBancoComoEraEFalhasTrazemOMotivoDoServidor)
{
    BancoTeste banco("servico");
    // Latin-1 text, NULLs, exact decimals, a timestamp, a text blob and a generator's value:
    // what a restore must bring back byte for byte.
    banco.executar("CREATE TABLE PECA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), PRECO NUMERIC(15,4), "
                   "QUANDO TIMESTAMP, NOTA BLOB SUB_TYPE TEXT);\n"
                   "CREATE GENERATOR G_PECA;\n"
                   "INSERT INTO PECA VALUES (1, 'A\xC7\xDA"
                   "CAR CRISTAL', 4.9900, '2026-12-08 15:04:05', 'nota "
                   "\xE9 longa');\n"
                   "INSERT INTO PECA VALUES (2, 'FEIJ\xC3O', NULL, NULL, NULL);\n"
                   "INSERT INTO PECA VALUES (3, NULL, 1234.5678, '2000-01-01 00:00:00', '');\n"
                   "SET GENERATOR G_PECA TO 42;\n");
    const std::string todas = "SELECT ID, NOME, PRECO, QUANDO, NOTA FROM PECA ORDER BY ID";
    const auto antes = banco.consultar(todas);
    ASSERT_EQ(antes.size(), 3u);

    const std::string copia = pastaBancos() + "/servico-" + std::to_string(::getpid()) + ".fbk";
    db::Servico servico("SYSDBA", "kelpdrone");
    std::vector<std::string> linhas;
    const auto guardar = [&](const std::string& l) { linhas.push_back(l); };
    servico.copiar(banco.caminho(), copia, guardar);
    EXPECT_TRUE(algumaCom(linhas, "PECA")) << "the verbose output names each table it writes";
    EXPECT_GT(fs::file_size(copia), 0u);

    banco.executar("DELETE FROM PECA WHERE ID = 2;\nUPDATE PECA SET NOME = 'MUDADO', PRECO = 0;\n"
                   "INSERT INTO PECA (ID) VALUES (99);\nSET GENERATOR G_PECA TO 7;\n");
    ASSERT_NE(banco.consultar(todas), antes);

    linhas.clear();
    servico.restaurar(copia, banco.caminho(), guardar);
    EXPECT_TRUE(algumaCom(linhas, "PECA"));
    EXPECT_EQ(banco.consultar(todas), antes);
    EXPECT_EQ(banco.valor("SELECT GEN_ID(G_PECA, 0) FROM RDB$DATABASE"), "42");

    // A destination in a folder with accents, copied beside itself and restored: the names
    // reach the server as the file system holds them, and the restored database is found by
    // its name to see that it is online.
    const std::string acentos = pastaBancos() + "/Importa\xC3\xA7\xC3\xA3o-" + std::to_string(::getpid());
    ASSERT_EQ(::mkdir(acentos.c_str(), 0777), 0);
    ::chmod(acentos.c_str(), 0777);
    const std::string destino = acentos + "/NORVO.FDB", copiaDestino = acentos + "/c\xC3\xB3pia.fbk";
    EXPECT_NO_THROW(servico.restaurar(copia, destino, nullptr));
    EXPECT_NO_THROW(servico.copiar(destino, copiaDestino, nullptr));
    EXPECT_TRUE(fs::exists(destino) && fs::exists(copiaDestino));
    banco.executar("DELETE FROM PECA;\n");
    EXPECT_NO_THROW(servico.restaurar(copiaDestino, banco.caminho(), nullptr));
    EXPECT_EQ(banco.consultar(todas), antes);
    fs::remove_all(acentos);

    // A folder the server's user cannot write: the server says so when it opens the file,
    // while the work is already under way; that must not pass for a finished copy.
    const std::string fechada = pastaBancos() + "/fechada-" + std::to_string(::getpid());
    fs::remove_all(fechada);
    ASSERT_EQ(::mkdir(fechada.c_str(), 0555), 0);
    ::chmod(fechada.c_str(), 0555);
    const std::string semLugar = fechada + "/copia.fbk";
    linhas.clear();
    try {
        servico.copiar(banco.caminho(), semLugar, guardar);
        ADD_FAILURE() << "a copy the server could not write passed for a success";
    } catch (const db::ServerError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot open backup file " + semLugar), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(semLugar));
    EXPECT_FALSE(algumaCom(linhas, "finishing")) << "no closing line of a copy that was never written";

    // A copy that is not there: refused when the service starts, and the database it would
    // replace is left alone.
    try {
        servico.restaurar(pastaBancos() + "/nao-existe.fbk", banco.caminho(), guardar);
        ADD_FAILURE() << "a restore from a missing copy passed for a success";
    } catch (const db::ServerError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot open backup file"), std::string::npos) << e.what();
    }
    EXPECT_EQ(banco.consultar(todas), antes);

    // A copy cut short: the server ends the restore where the file ends, with a clean status
    // and no error line, and leaves part of a database behind. Only the missing closing line
    // tells, and it must.
    const std::string cortada = pastaBancos() + "/servico-cortada-" + std::to_string(::getpid()) + ".fbk";
    {
        // Half of what the file holds: gbak pads its last block with zeros.
        std::ifstream f(copia, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        bytes.resize(bytes.find_last_not_of('\0') / 2);
        std::ofstream(cortada, std::ios::binary) << bytes;
    }
    const std::string parcial = pastaBancos() + "/servico-parcial-" + std::to_string(::getpid()) + ".fdb";
    linhas.clear();
    {
        // Restoring a cut copy leaves the server not itself: restarted, whatever happens.
        struct Reiniciar {
            ~Reiniciar() { reiniciarServidor(); }
        } reiniciar;
        try {
            servico.restaurar(cortada, parcial, guardar);
            ADD_FAILURE() << "a restore from a copy cut short passed for a success";
        } catch (const db::ServerError& e) {
            EXPECT_NE(std::string(e.what()).find("Restore did not finish"), std::string::npos) << e.what();
            ASSERT_FALSE(linhas.empty());
            EXPECT_NE(std::string(e.what()).find(linhas.back()), std::string::npos) << e.what();
        }
    }
    ASSERT_TRUE(fs::exists(parcial));
    servico.apagar(parcial);
    EXPECT_FALSE(fs::exists(parcial));

    fs::remove(copia);
    fs::remove(cortada);
    fs::remove_all(fechada);
}
