// Copies the source database's clients into the destination's CLIENTE.
#include "import/Textos.h"
#include "registry/EtapaDaOrigem.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

namespace norvo {

using texto::EhBranco;
using texto::SoNumeros;
using textos::L1;

// A client: the source row's fields, its city's code, and the same credit, salesperson and
// site for every client. Its parameters keep the source's names.
const InsercaoDeclarada InsercaoCliente{
    "CLIENTE",
    " INSERT INTO CLIENTE(   CLI_CODIGO, CLI_RAZAO,   CLI_ENDERECO,CLI_BAIRRO, CLI_COMPLEMENTO,   "
    "CLI_CEP, CLI_CNPJ, CLI_INSCRICAO,   CLI_DATACAD, CLI_TELEFONE,CLI_FAX, CLI_COMPRADOR,   "
    "CLI_VALORCREDITO, CLI_OBSERVACAO, CLI_PESSOA,   CLI_NOMEFANTASIA, CID_CODIGO, VEN_CODIGO, "
    "CLI_NUMERO, CLI_EMAIL,CLI_WWW) VALUES (:NRCLI,:RAZAO_SOC,:ENDERECO,:BAIRRO,:CLI_COMPLEMENTO,"
    ":CEP,:CPF_CNPJ,:INSCRICAO,:DATA,:TELEFONE, :TELEFONE2, :COMPRADOR,:CREDITO,:OBSMEMO,:FISICA,"
    ":FANTASIA,:CIDADE,:VEN_CODIGO,:CLI_NUMERO,:CLI_EMAIL,:CLI_WWW)",
    {{.nome = "CLI_CODIGO", .chave = true, .parametro = "NRCLI"},
     {.nome = "CLI_RAZAO", .parametro = "RAZAO_SOC"},
     {.nome = "CLI_ENDERECO", .parametro = "ENDERECO"},
     {.nome = "CLI_BAIRRO", .parametro = "BAIRRO"},
     {.nome = "CLI_COMPLEMENTO"},
     {.nome = "CLI_CEP", .parametro = "CEP"},
     {.nome = "CLI_CNPJ", .parametro = "CPF_CNPJ"},
     {.nome = "CLI_INSCRICAO", .parametro = "INSCRICAO"},
     {.nome = "CLI_DATACAD", .parametro = "DATA"},
     {.nome = "CLI_TELEFONE", .parametro = "TELEFONE"},
     {.nome = "CLI_FAX", .parametro = "TELEFONE2"},
     {.nome = "CLI_COMPRADOR", .parametro = "COMPRADOR"},
     {.nome = "CLI_VALORCREDITO", .parametro = "CREDITO", .fixo = fixoMoeda(0)},
     {.nome = "CLI_OBSERVACAO", .constante = true, .parametro = "OBSMEMO"},
     {.nome = "CLI_PESSOA", .parametro = "FISICA"},
     {.nome = "CLI_NOMEFANTASIA", .parametro = "FANTASIA"},
     {.nome = "CID_CODIGO", .parametro = "CIDADE"},
     {.nome = "VEN_CODIGO", .fixo = fixoInteiro(0)},
     {.nome = "CLI_NUMERO"},
     {.nome = "CLI_EMAIL"},
     {.nome = "CLI_WWW", .fixo = fixoTexto("")}}};

namespace {

// A CNPJ longer than its column is an alert of its own in the log.
const int ColunaCnpj = InsercaoCliente.posicaoDe("CLI_CNPJ");

const std::string StatusClientes = L1("Importando Clientes");
const std::string FalhaClientes = L1("Falha na importação da tabela de Clientes, Falha: \r\n");
const std::string ErroCliente = L1("Erro na importação de CLIENTES no cód. cliente: ");
const std::string AlertaCliente = L1("Alerta!!! Na importação de CLIENTES no cliente: ");
const std::string AlertaClienteCnpj = L1(" possui o CNPJ inválido! A quantidade de números ultrapassou o limite.");
const std::string DuplicadoCliente = L1("Cod. Cliente: ");

class Clientes : public EtapaDaOrigem {
public:
    explicit Clientes(ContextoEtapa& ctx)
        : EtapaDaOrigem(ctx, definicaoDe(ImportaClientes),
                        {.status = StatusClientes, .falha = FalhaClientes, .insercao = &InsercaoCliente},
                        {{"SELECT COUNT(CODIGO) AS QTD FROM CLIENTE"}, {"SELECT * FROM CLIENTE"}, "CODIGO"})
    {}

protected:
    void registro() override
    {
        db::Query& o = origem();
        limparValores();
        param("NRCLI").setAsInteger(codigo());
        param("RAZAO_SOC").setAsString(texto("NOME").substr(0, 50));
        if (const std::string v = texto("ENDERECO"); !v.empty())
            param("ENDERECO").setAsString(v.substr(0, 35));
        if (const std::string v = texto("NUMERO"); !EhBranco(v))
            param("CLI_NUMERO").setAsString(SoNumeros(v));
        if (const std::string v = texto("BAIRRO"); !EhBranco(v))
            param("BAIRRO").setAsString(v);
        param("CLI_COMPLEMENTO").setAsString(texto("COMPLEMENTO"));
        if (const std::string v = texto("CEP"); !EhBranco(v))
            param("CEP").setAsString(SoNumeros(v));
        param("CPF_CNPJ").setAsString(SoNumeros(texto("CNPJ_CNPF")));
        param("FISICA").setAsString(SoNumeros(texto("CNPJ_CNPF")).size() > 11 ? "J" : "F");
        if (const std::string v = texto("IE_RG"); !EhBranco(v))
            param("INSCRICAO").setAsString(SoNumeros(v));
        if (!o.fieldByName("CADASTRO").isNull())
            param("DATA").setAsDateTime(o.fieldByName("CADASTRO").asDateTime());
        if (const std::string v = texto("TELEFONE"); !v.empty())
            param("TELEFONE").setAsString(v);
        param("TELEFONE2").setAsString(texto("CELULAR"));
        if (const std::string v = texto("CONTATO"); !EhBranco(v))
            param("COMPRADOR").setAsString(v.substr(0, 20));
        if (const std::string v = texto("FANTASIA"); !EhBranco(v))
            param("FANTASIA").setAsString(v.substr(0, 40));
        if (const std::string v = texto("CIDADE"); !EhBranco(v))
            param("CIDADE").setAsInteger(codigoCidade(v));
        param("CLI_EMAIL").setAsString(texto("EMAIL").substr(0, 60));

        guardaLinha([&] { inserir(); });
    }

    std::function<void(const Recusa&)> entradaDoLog() override
    {
        return [this, fantasia = texto("FANTASIA"), cod = std::to_string(codigo())](const Recusa& r) {
            logar(cod, fantasia, r);
        };
    }

    void logar(const std::string& cod, const std::string& fantasia, const Recusa& r)
    {
        // A CNPJ with more digits than its column is refused before the server sees it; a
        // key the destination already holds is a duplicate, not an error.
        if (r.causa.tipo == db::Causa::Tipo::TextoLongo && r.causa.parametro == ColunaCnpj)
            erro(AlertaCliente + cod + "\r\n" + "O Cliente: \"" + fantasia + "\"" + AlertaClienteCnpj + "\r\n");
        else if (r.causa.tipo == db::Causa::Tipo::ChaveDuplicada)
            duplicado(DuplicadoCliente + cod + " Nome Cliente: " + fantasia);
        else
            erro(ErroCliente + cod + "\r\n" + r.mensagem + "\r\n");
    }

    void depois() override
    {
        redefinir("UPDATE CLIENTE SET CLI_TIPO = '1'");
        comando().execute();
        commitAgora();
    }
};

} // namespace

ResumoEtapa ImportaClientes(ContextoEtapa& ctx)
{
    return Clientes(ctx).executar();
}

} // namespace norvo
