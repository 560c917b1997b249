#include "import/Logs.h"

#include "texto/Arquivo.h"

namespace norvo {

void salvarLista(const std::vector<std::string>& entradas, const std::string& caminho)
{
    std::string conteudo;
    for (const std::string& e : entradas) {
        conteudo += e;
        conteudo += "\r\n";
    }
    texto::salvarArquivo(caminho, conteudo);
}

} // namespace norvo
