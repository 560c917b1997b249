// Copies the source database's suppliers (SCFO, company 1) into the destination's FORNECEDOR.
#include "import/Textos.h"
#include "registry/EtapaDaOrigem.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

namespace norvo {

using texto::EhBranco;
using texto::SoNumeros;
using textos::L1;

// A supplier: the source row's fields and its city's code; the term is never given.
const InsercaoDeclarada InsercaoFornecedor{
    "FORNECEDOR",
    " INSERT INTO FORNECEDOR (FOR_CODIGO, FOR_RAZAO, FOR_ENDERECO, FOR_CEP, CID_CODIGO, FOR_TELEFONE, "
    "FOR_CNPJ, FOR_INSCRICAO, FOR_PRAZO,FOR_NOMEFAN,FOR_EMAIL,FOR_CNPF) VALUES(:NRFOR,:NOME,:ENDERECO,"
    ":CEP,:CIDADE,:TELEFONE,:CGC,:INSCRICAO,:PRAZO,:FOR_NOMEFAN,:FOR_EMAIL,:FOR_CNPF)",
    {{.nome = "FOR_CODIGO", .chave = true, .parametro = "NRFOR"},
     {.nome = "FOR_RAZAO", .parametro = "NOME"},
     {.nome = "FOR_ENDERECO", .parametro = "ENDERECO"},
     {.nome = "FOR_CEP", .parametro = "CEP"},
     {.nome = "CID_CODIGO", .parametro = "CIDADE"},
     {.nome = "FOR_TELEFONE", .parametro = "TELEFONE"},
     {.nome = "FOR_CNPJ", .parametro = "CGC"},
     {.nome = "FOR_INSCRICAO", .parametro = "INSCRICAO"},
     {.nome = "FOR_PRAZO", .constante = true, .parametro = "PRAZO"},
     {.nome = "FOR_NOMEFAN"},
     {.nome = "FOR_EMAIL"},
     {.nome = "FOR_CNPF"}}};

namespace {

const std::string StatusFornecedores = L1("Importando Fornecedores");
const std::string FalhaFornecedores = L1("Falha na importação da tabela de Fornecedores, Falha: \r\n");
const std::string ErroFornecedor = L1("Erro na importação de FORNECEDORES no Registro ");

class Fornecedores : public EtapaDaOrigem {
public:
    explicit Fornecedores(ContextoEtapa& ctx)
        : EtapaDaOrigem(ctx, definicaoDe(ImportaFornecedores),
                        // Each supplier is a transaction of its own: a later failure cannot undo it.
                        {.status = StatusFornecedores,
                         .falha = FalhaFornecedores,
                         .insercao = &InsercaoFornecedor,
                         .confirmacao = Confirmacao::Completa},
                        {{"SELECT COUNT(COD_FOR) AS QTD FROM SCFO", "WHERE SR_EMPRESA = 1"},
                         {"SELECT * FROM SCFO", "WHERE SR_EMPRESA = 1"},
                         "COD_FOR"})
    {}

protected:
    void registro() override
    {
        limparValores();
        param("NRFOR").setAsInteger(codigo());
        param("NOME").setAsString(texto("NOME_FOR").substr(0, 40));
        param("FOR_NOMEFAN").setAsString(texto("FANTASIA").substr(0, 35));
        param("ENDERECO").setAsString(texto("END_FOR").substr(0, 35));
        if (const std::string v = texto("CEP_FOR"); !EhBranco(v))
            param("CEP").setAsString(SoNumeros(v));
        if (!EhBranco(texto("COD_MUNIC")))
            param("CIDADE").setAsInteger(codigoCidade(texto("CIDADE")));
        param("TELEFONE").setAsString(texto("FONE_FOR"));
        if (texto("TIPO_FOR") == "J") {
            if (const std::string v = texto("CGC_FOR"); !EhBranco(v))
                param("CGC").setAsString(SoNumeros(v));
        } else if (const std::string v = texto("CPF_FOR"); !EhBranco(v)) {
            param("FOR_CNPF").setAsString(SoNumeros(v));
        }
        if (const std::string v = texto("INSC_FOR"); !EhBranco(v))
            param("INSCRICAO").setAsString(v);
        param("FOR_EMAIL").setAsString(texto("EMAIL_FOR"));

        guardaLinha([&] { inserir(); });
    }

    std::function<void(const Recusa&)> entradaDoLog() override
    {
        return [this, cod = std::to_string(codigo())](const Recusa& r) {
            erro(ErroFornecedor + cod + "\r\n" + r.mensagem + "\r\n");
        };
    }
};

} // namespace

ResumoEtapa ImportaFornecedores(ContextoEtapa& ctx)
{
    return Fornecedores(ctx).executar();
}

} // namespace norvo
