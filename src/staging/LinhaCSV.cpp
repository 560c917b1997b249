#include "staging/LinhaCSV.h"

#include <algorithm>
#include <iterator>

#include "texto/Latin1.h"
#include "texto/Texto.h"

namespace norvo::staging {

using texto::Aparar;
using texto::SoNumeros;
using texto::Utf8ParaLatin1;

namespace {

// The fields of a line that the reader looks at: the first eight, each closed by ";", and
// the ninth up to the next ";" or the end, which holds the price.
constexpr std::size_t CamposUsados = 9;

class Campos {
public:
    explicit Campos(std::string_view linha)
    {
        if (linha.find('"') == std::string_view::npos) {
            dividir(linha);
        } else if (!dividirComAspas(linha)) {
            // An unclosed quote: every quote goes and every ";" separates.
            dono_.clear();
            std::remove_copy(linha.begin(), linha.end(), std::back_inserter(dono_), '"');
            dividir(dono_);
        }
    }
    // Views into the line or into dono_: neither copied nor moved.
    Campos(const Campos&) = delete;
    Campos& operator=(const Campos&) = delete;

    // Field k (from 1), empty when the line does not have it.
    std::string_view campo(std::size_t k) const { return k <= n_ ? f_[k - 1] : std::string_view(); }
    bool tem(std::size_t k) const { return k <= n_; }
    std::size_t quantos() const { return n_; }

private:
    void guardar(std::string_view f)
    {
        if (n_ < CamposUsados)
            f_[n_] = f;
        ++n_;
    }

    void dividir(std::string_view s)
    {
        n_ = 0;
        for (;;) {
            const std::size_t p = s.find(';');
            guardar(s.substr(0, p));
            if (p == std::string_view::npos || n_ >= CamposUsados)
                return;
            s.remove_prefix(p + 1);
        }
    }

    // False when a quoted field is not closed.
    bool dividirComAspas(std::string_view linha)
    {
        dono_.clear();
        dono_.reserve(linha.size());
        // Offsets into dono_, which grows meanwhile; the views are taken at the end.
        std::size_t ini[CamposUsados], fim[CamposUsados];
        std::size_t n = 0, i = 0;
        for (;;) {
            const std::size_t comeco = dono_.size();
            if (i < linha.size() && linha[i] == '"') {
                for (++i;;) {
                    const std::size_t q = linha.find('"', i);
                    if (q == std::string_view::npos)
                        return false;
                    dono_.append(linha.substr(i, q - i));
                    i = q + 1;
                    if (i == linha.size() || linha[i] != '"')
                        break;
                    dono_ += '"';
                    ++i;
                }
            }
            for (; i < linha.size() && linha[i] != ';'; ++i)
                if (linha[i] != '"')
                    dono_ += linha[i];
            if (n < CamposUsados) {
                ini[n] = comeco;
                fim[n] = dono_.size();
            }
            ++n;
            if (i == linha.size())
                break;
            ++i;
        }
        n_ = n;
        for (std::size_t k = 0; k < std::min(n, CamposUsados); ++k)
            f_[k] = std::string_view(dono_).substr(ini[k], fim[k] - ini[k]);
        return true;
    }

    std::string_view f_[CamposUsados];
    std::size_t n_ = 0; // fields seen, closed or not; counted past CamposUsados
    std::string dono_;
};

} // namespace

CamposLinha lerLinha(std::string_view linha, bool utf8)
{
    const Campos f(linha);
    CamposLinha c;
    c.campos = f.quantos();
    auto campo = [&](std::size_t k, Campo destino) {
        const std::string_view v = f.campo(k);
        if (!utf8)
            return std::string(v);
        return Utf8ParaLatin1(v, &c.semForma[destino]);
    };
    auto parte = [](const std::string& v, std::size_t ini, std::size_t n) {
        return v.size() > ini ? v.substr(ini, n) : std::string();
    };
    c.codigoLido = campo(1, COD_PRODUTO);
    c.codigo = SoNumeros(c.codigoLido);
    c.descricao = campo(2, DESCRICAO);
    c.unidade = campo(3, UNIDADE);
    c.icms = parte(campo(4, ICMS), 2, 3);
    c.pis = parte(campo(6, PIS), 3, 2);
    c.cofins = parte(campo(7, COFINS), 3, 2);
    c.ncm = campo(8, NCM);
    c.temPreco = f.tem(9);
    c.precoTexto = Aparar(campo(9, VALORVENDA));
    c.preco = lerPreco(c.precoTexto);
    return c;
}

} // namespace norvo::staging
