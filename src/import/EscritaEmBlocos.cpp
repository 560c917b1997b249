#include "import/EscritaEmBlocos.h"

#include "db/Error.h"
#include "texto/Latin1.h"
#include "texto/Texto.h"

#include <algorithm>
#include <stdexcept>

namespace norvo {

namespace {

// Firebird 3 takes at most 255 table references in one statement and 64 KB of parameters;
// a margin under both.
constexpr std::size_t MaisLinhas = 200;
constexpr std::size_t MaisBytes = 60000;
// Blocks of different literals kept prepared for one stage.
constexpr std::size_t MaisFormas = 8;

bool mesmoValor(const db::Param& a, const db::Param& b)
{
    using T = db::Param::Tipo;
    if (a.tipo() != b.tipo())
        return false;
    switch (a.tipo()) {
    case T::Nulo:
        return true;
    case T::Texto:
        return a.texto() == b.texto();
    case T::Inteiro:
    case T::Moeda:
        return a.inteiro() == b.inteiro();
    case T::Real:
        return a.real() == b.real();
    case T::DataHora:
        return a.dataHora() == b.dataHora();
    }
    return false;
}

} // namespace

EscritaEmBlocos::EscritaEmBlocos(BancoDestino& destino, db::Query& insercao, const InsercaoDeclarada& declarada)
    : destino_(destino), insercao_(insercao), declarada_(declarada), tabela_(declarada.tabela)
{
    const std::vector<db::Param>& params = insercao_.params();
    bool alinhado = params.size() == declarada.colunas.size();
    for (std::size_t i = 0; alinhado && i < params.size(); ++i)
        alinhado = texto::mesmoNome(declarada.colunas[i].nomeDoParametro(), params[i].name());
    if (!alinhado)
        throw std::logic_error(std::string("the insert into ") + declarada.tabela +
                               " does not bind the columns its declaration names, in their order");
    porLinha_ = params.size();
    std::vector<bool> variaveis;
    for (const ColunaInsercao& c : declarada.colunas) {
        colunas_.push_back(c.nome);
        constantes_.push_back(c.mesmoEmTodas());
        variaveis.push_back(!c.mesmoEmTodas());
    }
    // Only what varies travels as parameters: the constants are the block's text.
    const std::size_t maximo = std::clamp<std::size_t>(
        MaisBytes / std::max<std::size_t>(insercao_.bytesDosParametros(variaveis), 1), 1, MaisLinhas);
    // A size the batch's commit falls on, so that every block but a stage's last is full:
    // each other size would be one more statement to prepare.
    const std::size_t lote = static_cast<std::size_t>(std::max(destino.modo().lote, 1));
    porBloco_ = 1;
    for (std::size_t k = std::min(maximo, lote); k > 1; --k)
        if (lote % k == 0) {
            porBloco_ = k;
            break;
        }
}

BlocoDeInsercoes blocoDeInsercoes(const std::string& tabela, const std::vector<std::string>& colunas,
                                  std::size_t linhas, const std::vector<std::string>& literais)
{
    std::string declaracao, corpo;
    std::vector<std::string> nomes;
    for (std::size_t r = 0; r < linhas; ++r) {
        corpo += "INSERT INTO " + tabela + " (";
        std::string valores;
        for (std::size_t i = 0; i < colunas.size(); ++i) {
            corpo += (i ? ", " : "") + colunas[i];
            valores += i ? ", " : "";
            if (!literais[i].empty()) {
                valores += literais[i];
                continue;
            }
            const std::string nome = "P" + std::to_string(r) + "_" + std::to_string(i);
            declaracao += (nomes.empty() ? "" : ", ") + nome + " TYPE OF COLUMN " + tabela + "." + colunas[i] + " = ?";
            valores += ":" + nome;
            nomes.push_back(nome);
        }
        corpo += ") VALUES (" + valores + ");\r\n";
    }
    const std::string entrada = declaracao.empty() ? "" : " (" + declaracao + ")";
    return {"EXECUTE BLOCK" + entrada + "\r\nAS BEGIN\r\n" + corpo + "END", std::move(nomes)};
}

db::Query& EscritaEmBlocos::bloco(const std::vector<std::string>& literais)
{
    std::unique_ptr<db::Query>& q = blocos_[literais];
    if (q)
        return *q;
    q = std::make_unique<db::Query>();
    q->setDatabase(&destino_.banco());
    q->setTransaction(&destino_.transacao());
    BlocoDeInsercoes b = blocoDeInsercoes(tabela_, colunas_, porBloco_, literais);
    q->redefinirComoNoServidor(std::move(b.texto), std::move(b.nomes));
    return *q;
}

void EscritaEmBlocos::acrescentar(Recusada recusada, std::shared_ptr<LinhaPendente> pendente)
{
    ++acrescentadas_;
    if (porBloco_ < 2) {
        enviarSozinha(insercao_.params());
        return;
    }
    // The run's record of the row already holds its values: one copy serves both.
    if (pendente)
        linhas_.push_back({{}, std::move(recusada), std::move(pendente)});
    else
        linhas_.push_back({insercao_.params(), std::move(recusada), {}});
    if (linhas_.size() == porBloco_)
        enviar();
}

void EscritaEmBlocos::enviar()
{
    if (linhas_.empty())
        return;
    // A stage's last rows, fewer than a block: one by one costs less than preparing another.
    if (linhas_.size() < porBloco_) {
        linhaALinha();
        return;
    }
    // A declared constant, and a column NULL in every row of the block, is written as a
    // literal in its text: the server spends about as much on each parameter as on the rest
    // of a row. A constant that changed within the block (the date, at midnight) is a
    // parameter there. A few such shapes are kept prepared; past them, every column is a
    // parameter.
    std::vector<std::string> literais(porLinha_);
    for (std::size_t i = 0; i < porLinha_; ++i) {
        const db::Param& primeiro = linhas_.front().valores()[i];
        if (!constantes_[i] && !primeiro.isNull())
            continue;
        const bool igual = std::all_of(linhas_.begin(), linhas_.end(),
                                       [&](const Linha& l) { return mesmoValor(l.valores()[i], primeiro); });
        if (igual)
            literais[i] = literalSql(primeiro);
    }
    if (!blocos_.count(literais) && blocos_.size() >= MaisFormas)
        literais.assign(porLinha_, std::string());
    db::Query& q = bloco(literais);
    std::vector<db::Param>& params = q.params();
    std::size_t k = 0;
    for (const Linha& l : linhas_)
        for (std::size_t i = 0; i < porLinha_; ++i)
            if (literais[i].empty())
                params[k++].copiarValor(l.valores()[i]);
    try {
        q.execute();
    } catch (const db::ConnectionLost&) {
        linhas_.clear();
        throw;
    } catch (const db::BancoInutilizavel&) {
        linhas_.clear(); // every row would meet it: none is tried again
        throw;
    } catch (const std::exception&) {
        // Undone whole by the server: each row again on its own finds the ones at fault.
        linhaALinha();
        return;
    }
    linhas_.clear();
}

void EscritaEmBlocos::linhaALinha()
{
    std::vector<Linha> linhas;
    linhas.swap(linhas_);
    const int numerada = declarada_.codigoDevolvido;
    for (std::size_t k = 0; k < linhas.size(); ++k) {
        Linha& l = linhas[k];
        try {
            enviarSozinha(l.valores());
        } catch (const db::ConnectionLost&) {
            throw;
        } catch (const db::BancoInutilizavel&) {
            throw;
        } catch (const std::exception& e) {
            if (l.recusada)
                l.recusada(e);
            else if (l.pendente)
                l.pendente->perda(e);
            if (numerada < 0)
                continue;
            // Its code goes to the rows after it, at once: a lost line before they are sent
            // leaves each with the code it is found or written again under.
            ++devolvidos_;
            for (std::size_t j = k + 1; j < linhas.size(); ++j) {
                db::Param& codigo = linhas[j].valores()[static_cast<std::size_t>(numerada)];
                codigo.setAsInteger(static_cast<std::int32_t>(codigo.inteiro() - 1));
            }
        }
    }
}

void EscritaEmBlocos::enviarSozinha(const std::vector<db::Param>& valores)
{
    std::vector<db::Param>& params = insercao_.params();
    if (&valores != &params)
        for (std::size_t i = 0; i < porLinha_; ++i)
            params[i].copiarValor(valores[i]);
    try {
        insercao_.execute();
    } catch (const db::ConnectionLost&) {
        throw;
    } catch (const db::BancoInutilizavel&) {
        throw;
    } catch (const std::exception&) {
        if (!declarada_.textoDaLinha)
            throw;
        // Refused as bound: the row as the default run writes it, so that what the server
        // says of it (or that it takes it) is what it says there. Nothing of the refused
        // statement stayed.
        if (!sozinha_) {
            sozinha_ = std::make_unique<db::Query>();
            sozinha_->setDatabase(&destino_.banco());
            sozinha_->setTransaction(&destino_.transacao());
        }
        sozinha_->redefinir(declarada_.textoDaLinha(valores));
        sozinha_->execute();
    }
}

} // namespace norvo
