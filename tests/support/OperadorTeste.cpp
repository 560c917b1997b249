#include "OperadorTeste.h"

#include <utility>

namespace norvo::teste {

void OperadorTeste::gauge(int, int max, int prog)
{
    maximo = max;
    progresso = prog;
    progressos.push_back(prog);
}

void OperadorTeste::mostraMensagem(const std::string& texto, bool aviso)
{
    dialogos.push_back(std::string(aviso ? "aviso: " : "atencao: ") + texto);
}

bool OperadorTeste::confirma(const std::string& texto, Pergunta)
{
    dialogos.push_back("confirma: " + texto);
    if (aoConfirmar)
        std::exchange(aoConfirmar, nullptr)();
    if (respostas.empty())
        return true;
    const bool r = respostas.front();
    respostas.pop_front();
    return r;
}

void OperadorTeste::abrirArquivo(const std::string& nome, const std::string& pasta)
{
    dialogos.push_back("abrir: " + pasta + nome);
}

std::vector<std::string> OperadorTeste::dialogosDo(const std::string& tipo) const
{
    std::vector<std::string> r;
    const std::string prefixo = tipo + ": ";
    for (const std::string& d : dialogos)
        if (d.compare(0, prefixo.size(), prefixo) == 0)
            r.push_back(d.substr(prefixo.size()));
    return r;
}

} // namespace norvo::teste
