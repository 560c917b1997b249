#pragma once
#include "import/BuscaPreparada.h"
#include "import/Etapa.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace norvo {

// The client stage's insert and the supplier stage's.
extern const InsercaoDeclarada InsercaoCliente;
extern const InsercaoDeclarada InsercaoFornecedor;

// The city's code in CIDADE by its name, text-built. Never lets a failure out but a lost
// connection: it logs it and answers 0.
int BuscaCodigoCidade(ContextoEtapa& ctx, const std::string& nome);

// The walk of the rows of a query on the source database.
class PercursoDaOrigem : public Percurso {
public:
    // The count query (giving QTD) and the row query, each as lines; the column a row is
    // named by (its code).
    struct Consultas {
        std::vector<std::string> contagem;
        std::vector<std::string> linhas;
        const char* codigo;
    };
    PercursoDaOrigem(db::Query& origem, Consultas consultas) : origem_(origem), consultas_(std::move(consultas)) {}

    int contar() override;
    void abrir() override;
    void primeiro() override { origem_.first(); }
    bool fim() const override { return origem_.eof(); }
    void proximo() override { origem_.next(); }
    std::string identificacao() const override { return std::to_string(codigo()); }

protected:
    std::int32_t codigo() const { return origem_.fieldByName(consultas_.codigo).asInteger(); }

private:
    db::Query& origem_;
    Consultas consultas_;
};

// A stage that walks the rows of the source query: the clients and the suppliers. It also
// keeps, for the summary, the city names CIDADE did not hold.
class EtapaDaOrigem : private PercursoDaOrigem, public Etapa {
public:
    EtapaDaOrigem(ContextoEtapa& ctx, const DefinicaoEtapa& d, Declaracao declaracao, Consultas consultas)
        : PercursoDaOrigem(ctx.origem.consulta(), std::move(consultas)), Etapa(ctx, d, std::move(declaracao), *this)
    {}

protected:
    using PercursoDaOrigem::codigo;
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
