#pragma once
#include "import/Importador.h"

#include <functional>
#include <string>

namespace norvo {

// The contract every import stage follows, written once: gauge, status text, the DELETE
// with its commit, the walk with a row guard per record, the stage guard around it all,
// the operator's request to stop, and the way back from a lost connection.
// A stage supplies only its texts, statements and bindings.
class Etapa {
public:
    struct Textos {
        std::string nome;   // the routine's name, for the summary
        std::string status; // LabelObs while it runs
        std::string remove; // the DELETE that empties its table
        std::string falha;  // the stage failure text, followed by the failure's message
    };
    Etapa(Importador& imp, Textos textos) : imp(imp), textos_(std::move(textos)) {}
    virtual ~Etapa() = default;

    // Never lets a failure out: the stage guard reports it.
    void executar();

protected:
    // The number of records about to be walked (the gauge's maximum).
    virtual int contar() = 0;
    // After the gauge is set: the source stages open the query they walk.
    virtual void abrirOrigem() {}
    // The price stage shows its status after the DELETE.
    virtual bool statusAposRemover() const { return false; }
    virtual std::string textoStatus() const { return textos_.status; }
    // Sets the INSERT text, once, before the walk.
    virtual void prepararInsercao() {}
    virtual void primeiro() = 0;
    virtual bool fim() = 0;
    virtual void proximo() = 0;
    // Binds the current record and writes it inside a row guard (guardaLinha). A record
    // for which it writes nothing counts as one that needed no row.
    virtual void registro() = 0;
    // Appends the current record's row-failure entry for this message.
    virtual void registrarFalha(const std::string& mensagem) = 0;
    // After each record: gauge, next record, pending events.
    virtual void avancar();
    // Follow-up statements after the walk.
    virtual void depois() {}

    // Runs `escrever` as the current record's write. A failure is counted and logged through
    // registrarFalha, and the walk goes on; a lost connection goes up to the walk, which
    // logs the record, reconnects and goes on.
    bool guardaLinha(const std::function<void()>& escrever);
    // Close, clear and set a new text on IBQueryFireBird.
    void redefinir(const std::string& texto);
    void commitRetaining();
    void eventos() { imp.op.processarEventos(); }
    void erro(std::string entrada) { imp.ListaErros->push_back(std::move(entrada)); }
    void duplicado(std::string entrada) { imp.ListaDuplicados->push_back(std::move(entrada)); }

    Importador& imp;

private:
    enum class Linha { Pendente, Gravada, Falhou };
    void esvaziarEPercorrer();
    void percorrer(ResumoEtapa& r);
    // Whether the operator asked the run to stop; marks the stage interrupted if so.
    bool pararAgora(ResumoEtapa& r);
    void reconectar();

    Textos textos_;
    Linha linha_ = Linha::Pendente;
};

// A stage that walks the staging table by its own position: the grid may move the table's
// current record (it only follows the walk), but cannot steer which record comes next.
class EtapaDoEstagio : public Etapa {
public:
    using Etapa::Etapa;

protected:
    int contar() override { return imp.CdsProdutos.recordCount(); }
    void primeiro() override;
    bool fim() override { return linha_ >= total_; }
    void proximo() override;

    // Fields of the record being walked.
    std::string texto(staging::Campo c) const { return imp.CdsProdutos.cellText(linha_, c); }
    std::int32_t inteiro(staging::Campo c) const { return imp.CdsProdutos.cellInteger(linha_, c); }
    std::int64_t dinheiro(staging::Campo c) const { return imp.CdsProdutos.cellMoney(linha_, c); }

private:
    int linha_ = 0;
    int total_ = 0;
};

// A stage that walks the rows of IBQueryOrigem.
class EtapaDaOrigem : public Etapa {
public:
    using Etapa::Etapa;

protected:
    // The count query and the row query, each as lines.
    virtual std::vector<std::string> textoContagem() const = 0;
    virtual std::vector<std::string> textoLinhas() const = 0;
    int contar() override;
    void abrirOrigem() override;
    void primeiro() override { imp.IBQueryOrigem.first(); }
    bool fim() override { return imp.IBQueryOrigem.eof(); }
    void proximo() override { imp.IBQueryOrigem.next(); }
    void avancar() override; // gauge, events, then the next row

    // The current source row's column as text, and the insert's parameter by name.
    std::string texto(const char* coluna) const { return imp.IBQueryOrigem.fieldByName(coluna).asString(); }
    db::Param& param(const char* nome) { return imp.IBQueryFireBird.paramByName(nome); }
};

} // namespace norvo
