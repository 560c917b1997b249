#include "import/ResumoDasCausas.h"

namespace norvo {

std::string ResumoDasCausas::textoDaCausa(const Recusa& recusa)
{
    const std::string& m = recusa.mensagem;
    const std::string linha = m.substr(0, m.find_first_of("\r\n"));
    std::string r = recusa.causa.codigo == 0 ? std::string() : "[" + std::to_string(recusa.causa.codigo) + "] ";
    for (std::size_t i = 0; i < linha.size(); ++i) {
        const char c = linha[i];
        if (c == '\'') {
            const std::size_t fim = linha.find('\'', i + 1);
            r += "'...'";
            if (fim == std::string::npos)
                break;
            i = fim;
        } else if (c >= '0' && c <= '9') {
            r += '#';
            while (i + 1 < linha.size() && linha[i + 1] >= '0' && linha[i + 1] <= '9')
                ++i;
        } else {
            r += c;
        }
    }
    return r;
}

void ResumoDasCausas::contar(const CausaDeFalha::Registro& registro, const Recusa& recusa)
{
    const std::string texto = textoDaCausa(recusa);
    // What names the cause: the constraint or the column when the layer gives one, else the
    // message as shown.
    std::string qual = texto;
    const db::Causa& causa = recusa.causa;
    if (causa.tipo == db::Causa::Tipo::ChaveDuplicada && !causa.restricao.empty())
        qual = causa.restricao;
    else if (causa.tipo == db::Causa::Tipo::TextoLongo && !causa.coluna.empty())
        qual = causa.coluna;
    CausaDeFalha& c = causas_[{causa.tipo, causa.codigo, qual}];
    if (c.vezes == 0) {
        c.causa = texto;
        c.tipo = causa.tipo;
        c.qual = qual == texto ? std::string() : qual;
    }
    ++c.vezes;
    if (c.registros.size() < 5)
        c.registros.push_back(registro);
}

std::vector<CausaDeFalha> ResumoDasCausas::causas() const
{
    std::vector<CausaDeFalha> r;
    for (const auto& [chave, c] : causas_)
        r.push_back(c);
    maisFrequentes(r, [](const CausaDeFalha& c) { return c.vezes; });
    return r;
}

} // namespace norvo
