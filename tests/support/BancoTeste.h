#pragma once
#include <string>
#include <vector>

namespace norvo::teste {

// A folder the Firebird server (user firebird) can write to, shared by the tests of one run.
const std::string& pastaBancos();

// A scratch database on the local server, created for one test and dropped at its end.
// `executar` and `consultar` use their own attachment, so what they see is committed data.
class BancoTeste {
public:
    // `embutido`: created and used through the in-process engine by its plain path, as the
    // source database is; otherwise through the local server. In `pasta` when given.
    explicit BancoTeste(const std::string& prefixo = "t", bool embutido = false, const std::string& pasta = {});
    ~BancoTeste();
    BancoTeste(const BancoTeste&) = delete;
    BancoTeste& operator=(const BancoTeste&) = delete;

    const std::string& caminho() const { return caminho_; } // the file path
    // What an attachment names: server and path, or the plain path.
    std::string nome() const { return embutido_ ? caminho_ : "localhost:" + caminho_; }

    // Runs statements separated by lines ending in ";" (DDL and DML), committing each.
    void executar(const std::string& script);
    // One statement as it stands (a trigger or procedure body with its own semicolons).
    void executarUm(const std::string& sql);
    // Rows of a select, each column as text ("<null>" for NULL).
    std::vector<std::vector<std::string>> consultar(const std::string& select);
    std::string valor(const std::string& select); // first column of the first row
    // Ends every attachment but this helper's own (to simulate a lost connection).
    void derrubarOutrasConexoes();
    // Shuts the database down on the server (every attachment ends, none is accepted) and
    // brings it back online.
    void desligar();
    void religar();

private:
    std::string caminho_;
    bool embutido_;
};

// Kills the shared server's process and waits until its guardian has it answering again.
// For a test that had the server restore a copy cut short: Firebird 3 then closes one of its
// descriptors twice, and whatever holds that number next (a client's socket, a database
// file) is lost to it, so later tests would meet a server that is not itself. Root only.
void reiniciarServidor();

// The destination schema used by the stage tests and the demo.
std::string esquemaDestino();
// The source schema (CLIENTE, SCFO).
std::string esquemaOrigem();
// Sample source rows: clients and suppliers of every kind the stages sort out.
std::string exemploOrigem();

} // namespace norvo::teste
