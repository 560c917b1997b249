#pragma once
#include "import/Importador.h"

#include <functional>
#include <string>

namespace norvo {

// The contract every import stage follows, written once: gauge, status text, the DELETE
// with its commit, the walk with a row guard per record, the stage guard around it all.
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

    // Never lets a failure out, but a lost connection's: the stage guard reports it.
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
    // Binds the current record and writes it inside a row guard.
    virtual void registro() = 0;
    // After each record: gauge, next record, pending events.
    virtual void avancar();
    // Follow-up statements after the walk.
    virtual void depois() {}

    // Runs `escrever` as one record's write. A failure is counted and handed to
    // `registrarFalha` (which appends the stage's entry) and the walk goes on; only a lost
    // connection goes up to the stage guard, since no later row could be written either.
    bool guardaLinha(const std::function<void()>& escrever,
                     const std::function<void(const std::string&)>& registrarFalha);
    void erro(std::string entrada);       // appends to ListaErros
    void duplicado(std::string entrada);  // appends to ListaDuplicados
    // Close, clear and set a new text on IBQueryFireBird.
    void redefinir(const std::string& texto);
    void commitRetaining();
    void eventos() { imp.op.processarEventos(); }

    Importador& imp;

private:
    Textos textos_;
};

// A stage that walks the staging table.
class EtapaDoEstagio : public Etapa {
public:
    using Etapa::Etapa;

protected:
    int contar() override { return imp.CdsProdutos.recordCount(); }
    void primeiro() override { imp.CdsProdutos.first(); }
    bool fim() override { return imp.CdsProdutos.eof(); }
    void proximo() override { imp.CdsProdutos.next(); }
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
