#include "import/EscritaEmBlocos.h"

#include "db/Error.h"
#include "texto/Texto.h"

#include <algorithm>

namespace norvo {

namespace {

// Firebird 3 takes at most 255 table references in one statement and 64 KB of parameters;
// a margin under both.
constexpr std::size_t MaisLinhas = 200;
constexpr std::size_t MaisBytes = 60000;
// Blocks of different NULL columns kept prepared for one stage.
constexpr std::size_t MaisFormas = 8;

// The column list of "INSERT INTO tabela (a, b, ...) VALUES ...", or nothing.
std::vector<std::string> colunasDoInsert(const std::string& texto, const std::string& tabela)
{
    const std::string minusculo = texto::minusculas(texto);
    const std::size_t t = minusculo.find(texto::minusculas(tabela));
    const std::size_t abre = t == std::string::npos ? t : texto.find('(', t);
    const std::size_t fecha = abre == std::string::npos ? abre : texto.find(')', abre);
    std::vector<std::string> colunas;
    if (fecha == std::string::npos)
        return colunas;
    std::string atual;
    for (std::size_t i = abre + 1; i <= fecha; ++i) {
        if (i == fecha || texto[i] == ',') {
            colunas.push_back(texto::Aparar(atual));
            atual.clear();
        } else {
            atual += texto[i];
        }
    }
    return colunas;
}

} // namespace

EscritaEmBlocos::EscritaEmBlocos(BancoDestino& destino, db::Query& insercao, const std::string& tabela)
    : destino_(destino), insercao_(insercao), tabela_(tabela)
{
    const std::vector<std::string> colunas = colunasDoInsert(insercao_.text(), tabela);
    const std::vector<db::Param>& params = insercao_.params();
    bool alinhado = !params.empty() && colunas.size() == params.size();
    for (std::size_t i = 0; alinhado && i < params.size(); ++i)
        alinhado = texto::mesmoNome(colunas[i], params[i].name());
    if (!alinhado)
        return;
    porLinha_ = params.size();
    colunas_ = colunas;
    const std::size_t maximo =
        std::clamp<std::size_t>(MaisBytes / std::max<std::size_t>(insercao_.bytesDosParametros(), 1), 1, MaisLinhas);
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
                                  std::size_t linhas, const std::vector<bool>& nulas)
{
    std::string declaracao, corpo;
    std::vector<std::string> nomes;
    for (std::size_t r = 0; r < linhas; ++r) {
        corpo += "INSERT INTO " + tabela + " (";
        std::string valores;
        for (std::size_t i = 0; i < colunas.size(); ++i) {
            corpo += (i ? ", " : "") + colunas[i];
            valores += i ? ", " : "";
            if (nulas[i]) {
                valores += "NULL";
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

db::Query& EscritaEmBlocos::bloco(const std::vector<bool>& nulas)
{
    std::unique_ptr<db::Query>& q = blocos_[nulas];
    if (q)
        return *q;
    q = std::make_unique<db::Query>();
    q->setDatabase(&destino_.banco());
    q->setTransaction(&destino_.transacao());
    BlocoDeInsercoes b = blocoDeInsercoes(tabela_, colunas_, porBloco_, nulas);
    q->redefinirComoNoServidor(std::move(b.texto), std::move(b.nomes));
    return *q;
}

void EscritaEmBlocos::acrescentar(Recusada recusada)
{
    if (porBloco_ < 2) {
        insercao_.execute();
        return;
    }
    linhas_.push_back({insercao_.params(), std::move(recusada)});
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
    // A column NULL in every row of the block is written as NULL in its text: the server spends
    // about as much on each parameter as on the rest of a row. A few such shapes are kept
    // prepared; past them, every column is a parameter.
    std::vector<bool> nulas(porLinha_, true);
    for (const Linha& l : linhas_)
        for (std::size_t i = 0; i < porLinha_; ++i)
            nulas[i] = nulas[i] && l.valores[i].isNull();
    if (!blocos_.count(nulas) && blocos_.size() >= MaisFormas)
        nulas.assign(porLinha_, false);
    db::Query& q = bloco(nulas);
    std::vector<db::Param>& params = q.params();
    std::size_t k = 0;
    for (const Linha& l : linhas_)
        for (std::size_t i = 0; i < porLinha_; ++i)
            if (!nulas[i])
                params[k++].copiarValor(l.valores[i]);
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
    std::vector<db::Param>& params = insercao_.params();
    for (const Linha& l : linhas) {
        for (std::size_t i = 0; i < porLinha_; ++i)
            params[i].copiarValor(l.valores[i]);
        try {
            insercao_.execute();
        } catch (const db::ConnectionLost&) {
            throw;
        } catch (const db::BancoInutilizavel&) {
            throw;
        } catch (const std::exception& e) {
            l.recusada(e);
        }
    }
}

} // namespace norvo
