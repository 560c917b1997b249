#pragma once
#include "import/BuscaPreparada.h"
#include "import/Etapa.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace norvo {

// The city's code in CIDADE by its name, text-built. Never lets a failure out but a lost
// connection: it logs it and answers 0.
int BuscaCodigoCidade(ContextoEtapa& ctx, const std::string& nome);

// A stage that walks the rows of the source query: the clients and the suppliers. It also
// keeps, for the summary, the city names CIDADE did not hold.
class EtapaDaOrigem : public Etapa {
public:
    using Etapa::Etapa;

protected:
    // The count query and the row query, each as lines.
    virtual std::vector<std::string> textoContagem() const = 0;
    virtual std::vector<std::string> textoLinhas() const = 0;
    int contar() override;
    void abrirOrigem() override;
    void primeiro() override { origem().first(); }
    bool fim() override { return origem().eof(); }
    void proximo() override { origem().next(); }
    void avancar() override; // gauge, events, then the next row
    void esquecer() override;
    void completarResumo(ResumoEtapa& r) override;

    db::Query& origem() { return ctx().origem.consulta(); }
    // The current source row's column as text, and the insert's parameter by name.
    std::string texto(const char* coluna) { return origem().fieldByName(coluna).asString(); }
    db::Param& param(const char* nome) { return comando().paramByName(nome); }
    // The city's code: prepared and remembered in fast mode, text-built otherwise. A name
    // not found gives 0 and is counted for the summary.
    int codigoCidade(const std::string& nome);

private:
    std::unique_ptr<BuscaPreparada> cidades_;
    std::unordered_map<std::string, long> semCidade_;
};

} // namespace norvo
