// The four stages that rebuild the destination's product data from the staging table.
#include "import/BuscaPreparada.h"
#include "import/Buscas.h"
#include "import/EtapaDoEstagio.h"
#include "import/Textos.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace norvo {

using texto::ChaveDeBusca;
using texto::Citar;
using textos::L1;

// What each column of a product gets: the staged record's fields and their lookups; the
// rest is the same for every product, and a column never bound is NULL.
const InsercaoDeclarada InsercaoProduto{
    "PRODUTO",
    " INSERT INTO PRODUTO(PRO_CODIGO, PRO_IPI, CONSIDERARMERCADORIA, PRO_NOME,  LIN_CODIGO, FIL_CODIGO, "
    "DEP_CODIGO, GRU_CODIGO, SUB_CODIGO, ICM_CODIGO,  PRO_ESTOQMIN, PRO_CAMINHOIMAGEM, PRO_PISCOFINS, "
    "PRO_SUBSTITUIDO,  PRO_COMPOSTO, PRO_RS_COMPETITIVO, PRO_CUSTO_AUTOMATICO, PRO_PRAZO_VALIDADE,  "
    "PRO_GRUPO, STATUS_REGISTRO, PRO_BLOQUEADO, PRO_CODIGOPROPRIO, PRO_TIPO,  PRO_INATIVO, MSG_CODIGO, "
    "PRO_DIFER_PARCIAL, PRO_QTDNACAIXA, FOR_CODIGO,  PRO_PERCCOFINS, PRO_PERCPIS, NCM_CODIGO, PRO_MVA,  "
    "PRO_CODPIS, PRO_CODCOFINS,UNI_CODIGO,PRO_CODBARRAS,NAT_CODOPERA_NFCE)  "
    "VALUES(:PRO_CODIGO,:PRO_IPI,:CONSIDERARMERCADORIA,:PRO_NOME, :LIN_CODIGO,:FIL_CODIGO,:DEP_CODIGO,"
    ":GRU_CODIGO,:SUB_CODIGO,:ICM_CODIGO, :PRO_ESTOQMIN,:PRO_CAMINHOIMAGEM,:PRO_PISCOFINS,:PRO_SUBSTITUIDO, "
    ":PRO_COMPOSTO,:PRO_RS_COMPETITIVO,:PRO_CUSTO_AUTOMATICO,:PRO_PRAZO_VALIDADE, :PRO_GRUPO,"
    ":STATUS_REGISTRO,:PRO_BLOQUEADO,:PRO_CODIGOPROPRIO,:PRO_TIPO, :PRO_INATIVO,:MSG_CODIGO,"
    ":PRO_DIFER_PARCIAL,:PRO_QTDNACAIXA,:FOR_CODIGO, :PRO_PERCCOFINS,:PRO_PERCPIS,:NCM_CODIGO,:PRO_MVA, "
    ":PRO_CODPIS,:PRO_CODCOFINS,:UNI_CODIGO,:PRO_CODBARRAS,:NAT_CODOPERA_NFCE)",
    {{"PRO_CODIGO", false, staging::COD_PRODUTO, true},
     {.nome = "PRO_IPI", .fixo = fixoMoeda(0)},
     {.nome = "CONSIDERARMERCADORIA", .fixo = fixoTexto("T")},
     {"PRO_NOME", false, staging::DESCRICAO},
     {"LIN_CODIGO", true},
     {.nome = "FIL_CODIGO", .fixo = fixoInteiro(1)},
     {"DEP_CODIGO", true},
     {"GRU_CODIGO", true},
     {"SUB_CODIGO", true},
     {"ICM_CODIGO", false, staging::ICMS},
     {"PRO_ESTOQMIN", true},
     {"PRO_CAMINHOIMAGEM", true},
     {.nome = "PRO_PISCOFINS", .fixo = fixoTexto("F")},
     {.nome = "PRO_SUBSTITUIDO", .fixo = fixoTexto("F")},
     {"PRO_COMPOSTO", true},
     {"PRO_RS_COMPETITIVO", true},
     {"PRO_CUSTO_AUTOMATICO", true},
     {"PRO_PRAZO_VALIDADE", true},
     {"PRO_GRUPO", true},
     {"STATUS_REGISTRO", true},
     {"PRO_BLOQUEADO", true},
     {"PRO_CODIGOPROPRIO", false, staging::COD_PRODUTO},
     {"PRO_TIPO", true},
     {"PRO_INATIVO", true},
     {"MSG_CODIGO", true},
     {"PRO_DIFER_PARCIAL", true},
     {"PRO_QTDNACAIXA", true},
     {"FOR_CODIGO", true},
     {.nome = "PRO_PERCCOFINS", .fixo = fixoReal(0.0)},
     {.nome = "PRO_PERCPIS", .fixo = fixoReal(0.0)},
     {"NCM_CODIGO", false, staging::NCM},
     {.nome = "PRO_MVA", .fixo = fixoMoeda(0)},
     {"PRO_CODPIS", false, staging::PIS},
     {"PRO_CODCOFINS", false, staging::COFINS},
     {"UNI_CODIGO", false, staging::UNIDADE},
     {.nome = "PRO_CODBARRAS", .fixo = fixoTexto("")},
     {"NAT_CODOPERA_NFCE", true}}};

// A new NCM code: the code string, cut for the description, and the next code. The default
// mode writes each as a statement of its own, its values in its text.
const InsercaoDeclarada InsercaoNCM{
    "CODIGONCM",
    "INSERT INTO CODIGONCM (NCM_DESCRICAO, NCM_CODIGO, NCM_CODIGOSTRING) "
    "VALUES (:NCM_DESCRICAO, :NCM_CODIGO, :NCM_CODIGOSTRING)",
    {{"NCM_DESCRICAO", false, staging::NCM}, {"NCM_CODIGO"}, {"NCM_CODIGOSTRING", false, staging::NCM, true}},
    [](const std::vector<db::Param>& v) {
        return " INSERT INTO CODIGONCM(NCM_DESCRICAO , NCM_CODIGO , NCM_CODIGOSTRING)  VALUES(" + Citar(v[0].texto()) +
               " , " + std::to_string(v[1].inteiro()) + " , " + Citar(v[2].texto()) + ") ";
    }};

// A new unit: the next code, and the unit as the products look it up, whole and cut for its
// abbreviation. Columns named: a positional insert would put the unit wherever the
// destination's column order says. The default mode writes each as a statement of its own,
// and a refused one leaves its code to the next unit.
const InsercaoDeclarada InsercaoUnidade{
    "TIPOUNIDADE",
    "INSERT INTO TIPOUNIDADE (UNI_CODIGO, UNI_DESCRICAO, UNI_UNIDADE) VALUES (:UNI_CODIGO, :UNI_DESCRICAO, "
    ":UNI_UNIDADE)",
    {{"UNI_CODIGO"}, {"UNI_DESCRICAO", false, staging::UNIDADE, true}, {"UNI_UNIDADE", false, staging::UNIDADE}},
    [](const std::vector<db::Param>& v) {
        return " INSERT INTO TIPOUNIDADE (UNI_CODIGO, UNI_DESCRICAO, UNI_UNIDADE)  VALUES (" +
               std::to_string(v[0].inteiro()) + " , " + Citar(v[1].texto()) + " , " + Citar(v[2].texto()) + ") ";
    },
    0};

// A price item: the record's code and price; the list, the dates and the rest the same for
// every item of a run.
const InsercaoDeclarada InsercaoItem{
    "ITENSLISTA",
    " INSERT INTO ITENSLISTA (UNI_CODIGO, LST_CODIGO, ITL_DATAVIGENCIA, PRO_CODIGO,  ITL_PRECOATUAL, "
    "ITL_DATAALTERA, COM_CODIGO, ITL_PRECOANTERIOR,  ITL_MUDAPRECO, ITL_PRECOCUSTO)  "
    "VALUES(:UNI_CODIGO, :LST_CODIGO, :ITL_DATAVIGENCIA, :PRO_CODIGO,  :ITL_PRECOATUAL, "
    ":ITL_DATAALTERA, :COM_CODIGO, :ITL_PRECOANTERIOR,  :ITL_MUDAPRECO, :ITL_PRECOCUSTO);",
    {{"UNI_CODIGO", true},
     {.nome = "LST_CODIGO", .chave = true, .fixo = fixoInteiro(1)},
     {"ITL_DATAVIGENCIA", true},
     {"PRO_CODIGO", false, staging::COD_PRODUTO, true},
     {"ITL_PRECOATUAL", false, staging::VALORVENDA},
     {"ITL_DATAALTERA", true},
     {.nome = "COM_CODIGO", .fixo = fixoInteiro(1)},
     {.nome = "ITL_PRECOANTERIOR", .fixo = fixoMoeda(0)},
     {.nome = "ITL_MUDAPRECO", .fixo = fixoTexto("T")},
     {.nome = "ITL_PRECOCUSTO", .fixo = fixoMoeda(0)}}};

namespace {

const std::string StatusUnidades = L1("Importando Unidades");
const std::string StatusNCM = L1("Importando NCM");
const std::string StatusProdutos = L1("Importando Produtos");
const std::string StatusPrecos = L1("Importando preço dos produtos ");

const std::string FalhaUnidades = L1("Falha na importação da tabela de TipoUnidade, Falha: \r\n");
const std::string FalhaNCM = L1("Falha na importação da tabela de NCM, Falha: \r\n");
const std::string FalhaProdutos = L1("Falha na importação da tabela de Produtos, Falha: \r\n");
const std::string FalhaPrecos = L1("Falha na importação dos preços, Falha: \r\n\n");

const std::string ErroUnidade = L1("Erro na importação de TIPOS DE UNIDADE no Registro ");
const std::string ErroNCM = L1("Erro na importação de NCM no Registro ");
const std::string ErroProduto = L1("Erro na importação de PRODUTO no Registro ");
const std::string ErroPreco = L1("Erro na importação dos ITENS DA LISTA DE PREÇO no Registro ");
const std::string ProdutoNaoGravado = L1("Produto não gravado: o item de preço não foi gravado");

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
long diasDesdeEpoca(int y, int m, int d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

db::DateTime dataDeDias(long z)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2));
    return db::DateTime{y, m, d, 0, 0, 0};
}

db::DateTime menosDias(const db::DateTime& dia, int dias)
{
    return dataDeDias(diasDesdeEpoca(dia.year, dia.month, dia.day) - dias);
}

// The unit and NCM stages: insert each distinct value once, with codes counted from 1.
class EtapaDeCodigos : public EtapaDoEstagio {
public:
    EtapaDeCodigos(ContextoEtapa& ctx, const DefinicaoEtapa& d, Declaracao declaracao, staging::Campo campo,
                   const DefinicaoBusca& existe)
        : EtapaDoEstagio(ctx, d, std::move(declaracao), campo), campo_(campo), existe_(existe)
    {}

protected:
    // Whether the table already holds this value: the text-built check, or in fast mode
    // the prepared one, which also remembers what the stage wrote.
    bool jaExiste(const std::string& valor)
    {
        // Not on the command: in fast mode it holds the prepared insert.
        auto textual = [&] { return existeTextual(modo().rapido ? auxiliar() : comando(), existe_, valor); };
        if (!modo().rapido)
            return textual();
        if (!existentes_)
            existentes_ = std::make_unique<BuscaPreparada>(ctx().destino, existe_);
        // Written by a row still held for its block: whether it is written is known only
        // once the block is sent (a refused row is forgotten then, and this record tries it
        // again, as the default run would).
        if (const auto h = noBloco_.find(valor); h != noBloco_.end()) {
            if (esperandoBloco(h->second))
                enviarBloco();
            noBloco_.erase(h);
        }
        return existentes_->existe(valor, textual);
    }
    // The record's row, its values in the declared columns' order, written under the value
    // the table is checked by. True when it was written, or is held for a block.
    bool gravar(const std::vector<db::Param>& valores, const std::string& valor,
                const std::function<void()>& depoisDeInserir = {})
    {
        // Taken for written before the write: a block sent during it that refuses the row
        // forgets it again (desfeita), and nothing may remember it after that.
        if (existentes_)
            existentes_->lembrar(valor);
        if (modo().rapido)
            noBloco_[valor] = proximaLinha();
        const bool escrita = guardaLinha([&] {
            inserir(valores);
            if (depoisDeInserir)
                depoisDeInserir();
        });
        if (!escrita && existentes_)
            existentes_->esquecer(valor);
        return escrita;
    }
    // The value as the table is checked by it.
    virtual std::string valor(int posicao) const { return texto(posicao, campo_); }
    void desfeita(int posicao) override
    {
        if (existentes_)
            existentes_->esquecer(valor(posicao));
    }
    void esquecer() override
    {
        if (existentes_)
            existentes_->esquecer();
        noBloco_.clear();
    }

    // The next code, kept in the sequence register: the destination's own program numbers
    // from it too, and without the entry its next code would collide with one imported here.
    void depois() override { GravaCodigoSequencial(ctx(), definicao().registro, proximoCodigo()); }

    int proximoCodigo() const { return contador_ - codigosDevolvidos(); }
    int contador_ = 1;

private:
    const staging::Campo campo_;
    const DefinicaoBusca& existe_;
    std::unique_ptr<BuscaPreparada> existentes_;
    std::unordered_map<std::string, std::size_t> noBloco_; // value -> its row's number (proximaLinha)
};

class Unidades : public EtapaDeCodigos {
public:
    explicit Unidades(ContextoEtapa& ctx)
        : EtapaDeCodigos(ctx, definicaoDe(ImportaUnidades),
                         {.status = StatusUnidades,
                          .falha = FalhaUnidades,
                          .insercao = &InsercaoUnidade,
                          .emBlocos = true,
                          .campoPadrao = staging::UNIDADE},
                         staging::UNIDADE, ExisteUnidade)
    {}

protected:
    void registro() override
    {
        if (texto::EhBranco(texto(staging::UNIDADE)))
            return;
        // Checked and written under the key the products look their unit up by, in the
        // column they read: "un" and "UN " are one unit, and PC is not PCT's abbreviation.
        const std::string chave = valor(posicao());
        if (jaExiste(chave))
            return;
        std::vector<db::Param> valores = InsercaoUnidade.parametros();
        valores[0].setAsInteger(proximoCodigo());
        valores[1].setAsString(chave);
        valores[2].setAsString(chave.substr(0, 2));
        gravar(valores, chave, [&] {
            // A failed insert leaves its code to the next unit; a written one, even uncommitted
            // or held for a block, keeps it (a block's refused row gives it back: codigosDevolvidos).
            ++contador_;
        });
    }

    std::string valor(int posicao) const override { return ChaveDeBusca(texto(posicao, staging::UNIDADE)); }
    void logar(int posicao, const Recusa& r) override
    {
        erro(ErroUnidade + texto(posicao, staging::UNIDADE) + "\r\n" + r.mensagem + "\r\n");
    }
};

class NCM : public EtapaDeCodigos {
public:
    explicit NCM(ContextoEtapa& ctx)
        : EtapaDeCodigos(ctx, definicaoDe(ImportaNCM),
                         {.status = StatusNCM,
                          .falha = FalhaNCM,
                          .insercao = &InsercaoNCM,
                          .emBlocos = true,
                          .confirmacao = Confirmacao::AposTentativa,
                          .gaugePorEscrita = true,
                          .campoPadrao = staging::NCM},
                         staging::NCM, ExisteNCM)
    {}

protected:
    void registro() override
    {
        const std::string c = texto(staging::NCM);
        if (jaExiste(c))
            return;
        std::vector<db::Param> valores = InsercaoNCM.parametros();
        valores[0].setAsString(c.substr(0, 40));
        valores[1].setAsInteger(proximoCodigo());
        valores[2].setAsString(c);
        ++contador_; // a failed insert uses up its code, in a block too
        gravar(valores, c);
    }

    void logar(int posicao, const Recusa& r) override
    {
        erro(ErroNCM + texto(posicao, staging::NCM) + "\r\n" + r.mensagem + "\r\n");
    }
};

class Produtos : public EtapaDoEstagio {
public:
    explicit Produtos(ContextoEtapa& ctx)
        : EtapaDoEstagio(ctx, definicaoDe(ImportaProdutos),
                         {.status = StatusProdutos,
                          .falha = FalhaProdutos,
                          .insercao = &InsercaoProduto,
                          .emBlocos = true,
                          .campoPadrao = staging::COD_PRODUTO},
                         staging::COD_PRODUTO)
    {
        // Which records got their product: the price stage writes items for those alone.
        marcarGravadas(ctx.produtosGravados);
    }

protected:
    // A repeated code finds the product of the first record that holds it. The first written
    // record of each code (the table keeps codes as integers: "01" is read as "1") is
    // gathered once per way back from a lost line.
    bool chaveDeOutroRegistro(const LinhaPendente& l) override
    {
        if (!primeiros_) {
            primeiros_.emplace();
            const std::vector<bool>& marcas = ctx().produtosGravados;
            for (std::size_t p = 0; p < marcas.size(); ++p)
                if (marcas[p])
                    primeiros_->emplace(texto(static_cast<int>(p), staging::COD_PRODUTO), p);
        }
        const auto primeiro = primeiros_->find(texto(l.posicao, staging::COD_PRODUTO));
        return primeiro != primeiros_->end() && primeiro->second < static_cast<std::size_t>(l.posicao);
    }

    void registro() override
    {
        db::Query& q = comando();
        const std::string codigo = texto(staging::COD_PRODUTO);
        q.paramByName("PRO_CODIGO").setAsString(codigo);
        q.paramByName("PRO_CODIGOPROPRIO").setAsString(codigo.substr(0, 10));
        q.paramByName("UNI_CODIGO").setAsInteger(codigoUnidade(texto(staging::UNIDADE)));
        q.paramByName("PRO_NOME").setAsString(texto(staging::DESCRICAO));
        q.paramByName("NCM_CODIGO").setAsInteger(codigoNCM(texto(staging::NCM)));
        q.paramByName("PRO_CODPIS").setAsString(texto(staging::PIS));
        q.paramByName("PRO_CODCOFINS").setAsString(texto(staging::COFINS));
        guardaLinha([&] {
            // A bad ICMS is this record's failure, not the end of every later product.
            q.paramByName("ICM_CODIGO").setAsInteger(inteiro(staging::ICMS));
            inserir();
        });
    }

    void logar(int posicao, const Recusa& r) override
    {
        erro(ErroProduto + texto(posicao, staging::COD_PRODUTO) + "\r\n" + r.mensagem + "\r");
    }

    void depois() override
    {
        db::Query& aux = auxiliar();
        aux.redefinir(std::vector<std::string>{"UPDATE PRODUTO SET PROD_REVENDA = 'N', PRO_CONTROLADO = 'F',",
                                               "PRO_BLOQUEADO = 'F', PRO_INATIVO = 'F'"});
        aux.execute();
        commitAgora();
    }

    void esquecer() override
    {
        unidades_.reset();
        ncms_.reset();
        primeiros_.reset();
    }

private:
    // The lookups: text-built per record, or in fast mode prepared once and remembered (the
    // unit and NCM tables do not change while the products are written).
    int codigoUnidade(const std::string& descricao)
    {
        return BuscaPreparada::buscar(unidades_, ctx().destino, BuscaUnidade, ChaveDeBusca(descricao),
                                      [&] { return BuscaCodigoUnidade(ctx().destino, descricao); });
    }
    int codigoNCM(const std::string& ncm)
    {
        return BuscaPreparada::buscar(ncms_, ctx().destino, BuscaNCM, ncm,
                                      [&] { return BuscaCodigoNCM(ctx().destino, ncm); });
    }

    std::unique_ptr<BuscaPreparada> unidades_;
    std::unique_ptr<BuscaPreparada> ncms_;
    std::optional<std::unordered_map<std::string, std::size_t>> primeiros_; // by code, while settling
};

class Precos : public EtapaDoEstagio {
public:
    explicit Precos(ContextoEtapa& ctx)
        : EtapaDoEstagio(ctx, definicaoDe(ImportaPrecos),
                         {.status = StatusPrecos,
                          .falha = FalhaPrecos,
                          .insercao = &InsercaoItem,
                          .emBlocos = true,
                          .statusAposRemover = true,
                          .statusComTotal = true,
                          .campoPadrao = staging::COD_PRODUTO},
                         staging::DESCRICAO)
    {}

protected:
    void registro() override
    {
        // An item under a code whose product this run did not write would price whatever
        // product holds that code: another line's, or none.
        const auto p = static_cast<std::size_t>(posicao());
        if (p >= ctx().produtosGravados.size() || !ctx().produtosGravados[p]) {
            falharSemEscrita(ProdutoNaoGravado, staging::COD_PRODUTO);
            return;
        }
        db::Query& q = comando();
        q.paramByName("ITL_DATAVIGENCIA").setAsDateTime(menosDias(ctx().hoje(), 30));
        q.paramByName("PRO_CODIGO").setAsInteger(inteiro(staging::COD_PRODUTO));
        q.paramByName("ITL_DATAALTERA").setAsDateTime(ctx().hoje());
        guardaLinha([&] {
            // A price the file gave in a form that is no amount is this record's failure:
            // never an item at 0 or at whatever part of it could be read.
            q.paramByName("ITL_PRECOATUAL").setAsCurrency(dinheiro(staging::VALORVENDA));
            inserir();
        });
    }

    void logar(int posicao, const Recusa& r) override
    {
        erro(ErroPreco + texto(posicao, staging::DESCRICAO) + "\r\n" + r.mensagem);
    }
};

} // namespace

ResumoEtapa ImportaUnidades(ContextoEtapa& ctx)
{
    return Unidades(ctx).executar();
}
ResumoEtapa ImportaNCM(ContextoEtapa& ctx)
{
    return NCM(ctx).executar();
}
ResumoEtapa ImportaProdutos(ContextoEtapa& ctx)
{
    return Produtos(ctx).executar();
}
ResumoEtapa ImportaPrecos(ContextoEtapa& ctx)
{
    return Precos(ctx).executar();
}

} // namespace norvo
