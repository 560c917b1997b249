#include "staging/GravadorCSV.h"

#include <algorithm>
#include <cstdint>

#include "plataforma/Arquivos.h"
#include "staging/Error.h"
#include "staging/Preco.h"
#include "texto/Latin1.h"
#include "texto/Texto.h"

namespace norvo::staging {

namespace {

class Linha {
public:
    Linha(int registro, int linha, std::vector<ValorInexato>& inexatos)
        : registro_(registro), linha_(linha), inexatos_(inexatos)
    {}

    // One field, after the ones already there.
    void campo(std::string_view v, Campo c = NumCampos)
    {
        if (campos_++ > 0)
            texto += ';';
        if (v.find_first_of("\r\n") != std::string_view::npos) {
            inexato(c, v, "a quebra de linha vira espaço");
            std::string s(v);
            std::replace(s.begin(), s.end(), '\r', ' ');
            std::replace(s.begin(), s.end(), '\n', ' ');
            return acrescentarCampoCSV(texto, s);
        }
        acrescentarCampoCSV(texto, v);
    }

    void inexato(Campo c, std::string_view valor, const char* motivo)
    {
        inexatos_.push_back({registro_, linha_, c, std::string(valor), texto::Utf8ParaLatin1(motivo)});
    }

    std::string texto;

private:
    int registro_, linha_;
    std::vector<ValorInexato>& inexatos_;
    int campos_ = 0;
};

} // namespace

void acrescentarCampoCSV(std::string& out, std::string_view v)
{
    if (v.find_first_of(";\"") == std::string_view::npos) {
        out += v;
        return;
    }
    out += '"';
    for (const char ch : v) {
        if (ch == '"')
            out += '"';
        out += ch;
    }
    out += '"';
}

std::string textoCSV(const StagingTable& t, std::vector<ValorInexato>& inexatos)
{
    std::string out;
    const int n = t.recordCount();
    for (int r = 0; r < n; ++r) {
        Linha l(r, r + 1, inexatos);
        const auto texto = [&](Campo c) { return t.cellText(r, c); };

        // The reading keeps only the code's digits: a sign would be lost.
        const std::string codigo = texto(COD_PRODUTO);
        if (!codigo.empty() && codigo[0] == '-')
            l.inexato(COD_PRODUTO, codigo, "o sinal se perde: o código seria lido sem ele");
        l.campo(codigo, COD_PRODUTO);
        l.campo(texto(DESCRICAO), DESCRICAO);
        l.campo(texto(UNIDADE), UNIDADE);
        const std::string icms = texto(ICMS);
        l.campo(icms.empty() ? icms : "00" + icms, ICMS);
        l.campo("");
        // Two characters from the fourth: the tax situations as two digits.
        for (const Campo c : {PIS, COFINS}) {
            if (t.cellNull(r, c)) {
                l.campo("", c);
                continue;
            }
            const std::int32_t v = t.cellInteger(r, c);
            if (v < -9 || v > 99)
                l.inexato(c, texto(c), "o arquivo guarda só dois caracteres deste campo");
            l.campo("000" + std::string(v >= 0 && v < 10 ? "0" : "") + std::to_string(v), c);
        }
        l.campo(texto(NCM), NCM);
        if (t.cellNull(r, VALORVENDA)) {
            l.inexato(VALORVENDA, "", "sem preço, a leitura dá 0");
            l.campo("", VALORVENDA);
        } else if (const std::string preco = texto(VALORVENDA); lerPreco(preco).estado == PrecoLido::Estado::Valido) {
            std::string decimal = preco;
            std::replace(decimal.begin(), decimal.end(), '.', ',');
            l.campo(decimal, VALORVENDA);
        } else if (!preco.empty()) {
            l.campo(preco, VALORVENDA); // read back as the same unreadable price
        }                               // else the line had no price: eight fields, as it had
        out += l.texto;
        out += "\r\n";
    }
    // The reading takes a file that is valid UTF-8 as UTF-8: Latin-1 letters that happen to
    // form UTF-8 sequences (and no other) would be read as other letters.
    if (texto::EhUtf8(out))
        inexatos.push_back({-1,
                            0,
                            NumCampos,
                            {},
                            texto::Utf8ParaLatin1("o arquivo todo forma UTF-8 válido e seria lido como UTF-8: acentos "
                                                  "mudariam")});
    return out;
}

std::vector<ValorInexato> gravarCSV(const StagingTable& tabela, const std::string& arquivo)
{
    std::vector<ValorInexato> inexatos;
    const std::string texto = textoCSV(tabela, inexatos);
    if (!plataforma::substituirArquivo(arquivo, texto)) {
        const std::filesystem::path p = plataforma::caminho(arquivo);
        std::string pasta = p.has_parent_path() ? plataforma::emUtf8(p.parent_path()) : std::string();
        if (!pasta.empty() && !plataforma::terminaEmSeparador(pasta))
            pasta += plataforma::Separador;
        const std::string motivo = plataforma::semEscritaEm(pasta);
        throw Error(texto::Utf8ParaLatin1("Não foi possível gravar o arquivo \"") + texto::Utf8ParaLatin1(arquivo) +
                    "\"" + (motivo.empty() ? std::string() : ". " + motivo));
    }
    return inexatos;
}

} // namespace norvo::staging
