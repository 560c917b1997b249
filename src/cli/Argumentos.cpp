#include "cli/Argumentos.h"

#include "import/LinhaDeComando.h"

#include <stdexcept>

namespace norvo::cli {

namespace {

// The command line's own options; the run's come from import/Opcoes.cpp.
const OpcaoDoPrograma kProprias[] = {
    {"--csv", "ARQUIVO", "um arquivo", "arquivo de produtos a ler para a tabela de estágio (com --produtos)"},
    {"--destino", "CAMINHO", "um caminho", "arquivo do banco de destino (Norvo) no servidor Firebird local"},
    {"--origem", "CAMINHO", "um caminho", "arquivo do banco de origem (Tarvex); padrão C:\\Bantuva\\MORELIA.FDB"},
    {"--logs", "PASTA", "uma pasta",
     "pasta de vantor.log e vantor2.log (padrão: a do executável; instalado,\n~/.local/share/importa-norvo)"},
    {"--problemas", "ARQUIVO", "um arquivo",
     "grava ali os problemas da leitura e da rodada, como a página \"Problemas\"\nda janela: CSV com linha; campo; "
     "problema; o que a linha tinha"},
    {"--sim", nullptr, nullptr, "responde Sim à confirmação (necessário sem terminal)"},
    {"--restaurar", "ARQUIVO", "um arquivo",
     "em vez de importar: põe a cópia ARQUIVO de volta sobre --destino,\nsubstituindo tudo o que ele tem; recusado "
     "enquanto outra conexão\nestiver aberta com ele; a cópia é restaurada antes ao lado, então\numa cópia danificada "
     "não muda nada. Só com --destino e --sim"},
    {"--help", nullptr, nullptr, "este texto"},
};

const char* const kInicio = "Uso: importa-norvo-cli [opções]\n"
                            "     importa-norvo-cli --restaurar ARQUIVO --destino CAMINHO [--sim]\n"
                            "Importa um arquivo de produtos do Tarvex (e, se pedido, os clientes e fornecedores de um\n"
                            "banco Tarvex) para um banco Firebird do Norvo, como faz o botão \"Importar\" da janela.\n"
                            "Antes de esvaziar qualquer tabela, a importação pede ao servidor uma cópia de segurança\n"
                            "do destino ao lado dele, NOME-AAAAMMDD-HHMMSS.fbk; se a cópia falhar, ela para ali.\n"
                            "\n";

const char* const kFim = "\n"
                         "Cada opção é dada uma vez; uma opção no lugar de um valor é uso errado.\n"
                         "\n"
                         "Código de saída: 0 nada falhou; 1 uma linha, uma etapa ou outro passo falhou; 2 uso\n"
                         "errado, conexão que falhou, destino em uso, pasta de logs sem escrita, arquivo de\n"
                         "produtos ilegível ou importação não confirmada; 129 / 130 / 143 interrompida por\n"
                         "SIGHUP / SIGINT / SIGTERM depois de gravar o registro em andamento.\n"
                         "Com --restaurar: 0 restaurado; 1 a restauração falhou; 2 uso errado, recusada (outra\n"
                         "conexão aberta, ou não foi possível verificar o destino) ou não confirmada;\n"
                         "129 / 130 / 143 interrompida por um sinal antes de tocar no destino.\n";

} // namespace

std::string textoDeAjuda()
{
    return kInicio + textoDasOpcoes(kProprias) + kFim;
}

Argumentos lerArgumentos(const std::vector<std::string>& args)
{
    const ArgumentosLidos lidos = norvo::lerArgumentos(args, kProprias);
    Argumentos a;
    a.opcoes = lidos.opcoes;
    a.csv = lidos.valor("--csv").value_or("");
    a.destino = lidos.valor("--destino").value_or("");
    a.origem = lidos.valor("--origem");
    a.pastaLogs = lidos.valor("--logs");
    a.problemas = lidos.valor("--problemas");
    a.restaurar = lidos.valor("--restaurar");
    a.sim = lidos.tem("--sim");
    a.ajuda = lidos.tem("--help");
    if (a.ajuda)
        return a;
    if (a.destino.empty())
        throw std::invalid_argument("falta --destino CAMINHO");
    if (a.restaurar) {
        for (const std::string& v : lidos.dadas)
            if (v != "--restaurar" && v != "--destino" && v != "--sim")
                throw std::invalid_argument("--restaurar não se combina com " + v);
        return a;
    }
    if (!a.opcoes.algumaTabela()) {
        std::string quais;
        for (const DefinicaoOpcao& d : opcoesDeExecucao())
            if (d.tabelas)
                quais += (quais.empty() ? "" : ", ") + std::string(d.argumento);
        throw std::invalid_argument("escolha ao menos uma de " + quais);
    }
    if (a.opcoes.produtos && a.csv.empty())
        throw std::invalid_argument("--produtos precisa de --csv ARQUIVO");
    return a;
}

} // namespace norvo::cli
