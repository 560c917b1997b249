#include "import/LinhaDeComando.h"

#include <algorithm>
#include <stdexcept>

namespace norvo {

bool ArgumentosLidos::tem(std::string_view nome) const
{
    return std::find(dadas.begin(), dadas.end(), nome) != dadas.end();
}

std::optional<std::string> ArgumentosLidos::valor(std::string_view nome) const
{
    const auto it = valores.find(std::string(nome));
    if (it == valores.end())
        return std::nullopt;
    return it->second;
}

ArgumentosLidos lerArgumentos(const std::vector<std::string>& args, std::span<const OpcaoDoPrograma> proprias,
                              bool estrito)
{
    ArgumentosLidos a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string arg = args[i] == "-h" ? "--help" : args[i];
        const DefinicaoOpcao* daRodada = nullptr;
        for (const DefinicaoOpcao& d : opcoesDeExecucao())
            if (arg == d.argumento)
                daRodada = &d;
        const OpcaoDoPrograma* propria = nullptr;
        for (const OpcaoDoPrograma& o : proprias)
            if (arg == o.nome)
                propria = &o;
        if (!daRodada && !propria) {
            if (estrito)
                throw std::invalid_argument("opção desconhecida: " + arg);
            continue;
        }
        if (a.tem(arg))
            throw std::invalid_argument("opção repetida: " + arg);
        a.dadas.push_back(arg);
        if (daRodada) {
            a.opcoes.marcar(daRodada->opcao);
            continue;
        }
        if (!propria->valor)
            continue;
        // A value that is another option is one forgotten, not a file of that name: taken as
        // a path, "--destino --produtos" would go on with a run on the wrong database.
        const std::string espera = propria->espera;
        if (i + 1 >= args.size())
            throw std::invalid_argument(arg + " espera " + espera);
        const std::string& v = args[++i];
        if (!v.empty() && v[0] == '-')
            throw std::invalid_argument(arg + " espera " + espera + ", não " + v);
        a.valores[arg] = v;
    }
    return a;
}

namespace {

void linhaDeAjuda(std::string& t, const std::string& opcao, const char* ajuda)
{
    constexpr std::size_t Coluna = 20;
    std::string esquerda = "  " + opcao;
    esquerda.resize(std::max(Coluna, esquerda.size() + 2), ' ');
    t += esquerda;
    for (const char* c = ajuda; *c; ++c) {
        t += *c;
        if (*c == '\n')
            t += std::string(Coluna, ' ');
    }
    t += '\n';
}

} // namespace

std::string textoDasOpcoes(std::span<const OpcaoDoPrograma> proprias)
{
    std::string t;
    for (const DefinicaoOpcao& d : opcoesDeExecucao())
        linhaDeAjuda(t, d.argumento, d.ajuda);
    for (const OpcaoDoPrograma& o : proprias)
        linhaDeAjuda(t, o.valor ? std::string(o.nome) + " " + o.valor : std::string(o.nome), o.ajuda);
    return t;
}

} // namespace norvo
