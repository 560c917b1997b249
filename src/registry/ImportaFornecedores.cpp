// Copies the source database's suppliers (SCFO, company 1) into the destination's FORNECEDOR.
#include "import/Textos.h"
#include "registry/EtapaDaOrigem.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

namespace norvo {

using texto::EhBranco;
using texto::SoNumeros;
using textos::L1;

namespace {

const std::string StatusFornecedores = L1("Importando Fornecedores");
const std::string FalhaFornecedores = L1("Falha na importação da tabela de Fornecedores, Falha: \r\n");
const std::string ErroFornecedor = L1("Erro na importação de FORNECEDORES no Registro ");

class Fornecedores : public EtapaDaOrigem {
public:
    explicit Fornecedores(ContextoEtapa& ctx)
        : EtapaDaOrigem(ctx, definicaoDe(ImportaFornecedores), {StatusFornecedores, FalhaFornecedores})
    {}

protected:
    std::vector<std::string> textoContagem() const override
    {
        return {"SELECT COUNT(COD_FOR) AS QTD FROM SCFO", "WHERE SR_EMPRESA = 1"};
    }
    std::vector<std::string> textoLinhas() const override { return {"SELECT * FROM SCFO", "WHERE SR_EMPRESA = 1"}; }

    void prepararInsercao() override
    {
        redefinir(" INSERT INTO FORNECEDOR (FOR_CODIGO, FOR_RAZAO, FOR_ENDERECO, FOR_CEP, CID_CODIGO, FOR_TELEFONE, "
                  "FOR_CNPJ, FOR_INSCRICAO, FOR_PRAZO,FOR_NOMEFAN,FOR_EMAIL,FOR_CNPF) VALUES(:NRFOR,:NOME,:ENDERECO,"
                  ":CEP,:CIDADE,:TELEFONE,:CGC,:INSCRICAO,:PRAZO,:FOR_NOMEFAN,:FOR_EMAIL,:FOR_CNPF)");
    }

    void registro() override
    {
        db::Query& o = origem();
        db::Query& q = comando();
        q.clearParams(); // nothing of the row before may reach this one
        const std::int32_t codigo = o.fieldByName("COD_FOR").asInteger();
        param("NRFOR").setAsInteger(codigo);
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

        guardaLinha([&] {
            inserir();
            // Each supplier is a transaction of its own: a later failure cannot undo it.
            commit();
        });
    }

    std::string chaveNoDestino() override
    {
        return "SELECT COUNT(*) AS QTD FROM FORNECEDOR WHERE FOR_CODIGO=" +
               std::to_string(origem().fieldByName("COD_FOR").asInteger());
    }

    std::string identificacao() override { return std::to_string(origem().fieldByName("COD_FOR").asInteger()); }

    std::function<void(const Recusa&)> entradaDoLog() override
    {
        return [this, cod = std::to_string(origem().fieldByName("COD_FOR").asInteger())](const Recusa& r) {
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
