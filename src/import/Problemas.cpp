#include "import/Problemas.h"

#include "import/Textos.h"
#include "staging/GravadorCSV.h"
#include "texto/Arquivo.h"

namespace norvo {

using textos::L1;

std::string descreverCausa(const CausaDeFalha& c)
{
    using T = db::Causa::Tipo;
    switch (c.tipo) {
    case T::ChaveDuplicada:
        return L1("Código repetido: o destino já tem um registro com esta chave (") + c.qual + ")";
    case T::TextoLongo:
        return L1("Texto maior do que a coluna ") + c.qual + L1(" aceita");
    case T::ConflitoDeTrava:
        return L1("Registro em uso por outro programa no banco de destino");
    case T::ConexaoPerdida:
        return L1("A conexão com o banco de destino caiu durante a gravação");
    case T::BancoInutilizavel:
        return L1("O banco de destino não aceita mais gravações (a importação parou aqui)");
    case T::Outro:
        break;
    }
    return c.causa;
}

std::vector<Problema> listarProblemas(const staging::ResultadoLeitura& leitura, const ResultadoImportacao* rodada)
{
    std::vector<Problema> p;
    for (const staging::NotaLeitura& n : leitura.notas)
        p.push_back(
            {n.linha, n.campo == staging::NumCampos ? "" : staging::nomeCampo(n.campo), n.problema(), n.conteudo});
    if (leitura.naoGuardadas > 0)
        p.push_back(
            {0, "", L1("... e mais ") + std::to_string(leitura.naoGuardadas) + L1(" nota(s), só contadas"), ""});
    if (!rodada)
        return p;
    for (const ResumoEtapa& e : rodada->etapas) {
        if (e.falhou)
            p.push_back({0, "", e.titulo + L1(": a etapa parou: ") + e.motivo, ""});
        for (const CausaDeFalha& c : e.causas) {
            const std::string causa = e.titulo + ": " + descreverCausa(c);
            for (const CausaDeFalha::Registro& r : c.registros)
                p.push_back({r.linha, r.campo >= 0 ? staging::nomeCampo(static_cast<staging::Campo>(r.campo)) : "",
                             causa, r.nome});
            if (const long fora = c.vezes - static_cast<long>(c.registros.size()); fora > 0)
                p.push_back({0, "", causa + L1(" (e mais ") + std::to_string(fora) + L1(" no log)"), ""});
        }
        if (e.semCidade > 0)
            p.push_back({0, "",
                         e.titulo + ": " + std::to_string(e.semCidade) +
                             L1(" registro(s) com cidade 0 (nome não encontrado em CIDADE)"),
                         ""});
    }
    return p;
}

std::string textoDosProblemas(const std::vector<Problema>& problemas)
{
    std::string out = "linha;campo;problema;o que a linha tinha\r\n";
    for (const Problema& p : problemas) {
        if (p.linha > 0)
            out += std::to_string(p.linha);
        for (const std::string* v : {&p.campo, &p.problema, &p.conteudo}) {
            out += ';';
            staging::acrescentarCampoCSV(out, *v);
        }
        out += "\r\n";
    }
    return out;
}

void gravarProblemas(const std::vector<Problema>& problemas, const std::string& arquivo)
{
    texto::salvarArquivo(arquivo, textoDosProblemas(problemas));
}

} // namespace norvo
