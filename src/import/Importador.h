#pragma once
// What the window and the command line drive: the staged products, the two databases and
// the settings they are reached with, the connection test and the import run.
#include "db/Values.h"
#include "import/BancoDestino.h"
#include "import/BancoOrigem.h"
#include "import/Operador.h"
#include "import/Opcoes.h"
#include "import/ResultadoImportacao.h"
#include "staging/LeitorCSV.h"
#include "staging/StagingTable.h"

#include <functional>
#include <string>

namespace norvo {

class Importador {
public:
    // `arquivoEstagio`: where the staging table writes itself when closed with changes.
    explicit Importador(Operador& op, std::string arquivoEstagio = staging::StagingTable::NomeArquivo);
    Importador(const Importador&) = delete;
    Importador& operator=(const Importador&) = delete;

    // The text of FilenameEditDestino (already without double quotes).
    void setDestino(std::string caminho) { destino_ = std::move(caminho); }
    const std::string& destino() const { return destino_; }
    // The source database's path; the fixed path unless the settings name another.
    void setOrigem(const std::string& caminho) { origem_.setCaminho(caminho); }
    const std::string& origem() const { return origem_.caminho(); }
    // The folder the logs go to, ending with its separator.
    void setPastaLogs(std::string pasta) { pastaLogs_ = std::move(pasta); }
    const std::string& pastaLogs() const { return pastaLogs_; }
    // Today's local date at 00:00 unless set: the dates the price items carry.
    void setRelogio(std::function<db::DateTime()> relogio) { relogio_ = std::move(relogio); }

    // "Connectar", the connection test ("Testar conexão"): attaches the destination; a
    // failure is shown as a warning and is the result.
    bool Connectar(bool mostrarSucesso);
    // Reads a product file into the staging table: its record count and notes; `texto`, when
    // given, receives the file's text as the hidden text box holds it.
    staging::ResultadoLeitura LerArquivoCSV(const std::string& caminho, std::string* texto = nullptr);
    // One press of "Importar": checks that something is marked, connects reserving the
    // tables it rebuilds, asks for confirmation (not for a rehearsal), makes the safety copy,
    // empties what the product stages rebuild, runs the marked stages in their order, writes
    // the logs and says how it ended. Nothing escapes: what failed is in the result, and the
    // destination is disconnected again when it returns.
    ResultadoImportacao importar(const OpcoesImportacao& opcoes);

    // A run holds the staging table locked exactly while it is busy (see importar).
    bool Importando() const { return produtos_.locked(); }
    bool conectado() const { return bancoDestino_.conectado(); }
    // The source stays attached after a run, until the next Connectar.
    bool origemConectada() const { return origem_.conectado(); }
    // CdsProdutos: the grid shows and edits it; a run locks it while it walks it.
    staging::StagingTable& CdsProdutos() { return produtos_; }

private:
    Operador& op_;
    BancoDestino bancoDestino_;
    BancoOrigem origem_;
    staging::StagingTable produtos_;
    std::string destino_;
    std::string pastaLogs_;
    std::function<db::DateTime()> relogio_;
};

} // namespace norvo
