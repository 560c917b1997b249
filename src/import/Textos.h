#pragma once
// The texts the import shows and logs, as Latin-1 bytes. Written here in UTF-8 for
// legibility and converted once at start-up.
#include "texto/Latin1.h"

#include <string>

namespace norvo::textos {

inline std::string L1(const char* utf8)
{
    return texto::Utf8ParaLatin1(utf8);
}

inline const std::string SelecioneDestino = L1("Selecione o banco de dados de destino!");
inline const std::string ConectadoSucesso = L1("Base de dados Destino conectado com sucesso");
inline const std::string FalhaConnectar = L1("Falha na função: \"Connectar\"\r\nFalha: ");
inline const std::string MarqueTabela = L1("Marque uma ou mais de uma tabela para ser importado!!");
inline const std::string ConfirmaImportacao =
    L1("Atenção os registros das tabelas marcadas serão apagadas e importadas: \r\nConfirma ?");
inline const std::string VisualizarErros = L1("Ocorreu erro durante a importação.\r\nDeseja visualiazar os erros?");
inline const std::string FinalizadaSucesso = L1("Importação finalizada com sucesso");
inline const std::string FinalizadaErros = L1("Importação finalizada com erros");
inline const std::string InterrompidaOperador = L1("Importação interrompida pelo operador");
inline const std::string SimulacaoSucesso = L1("Simulação finalizada com sucesso");
inline const std::string SimulacaoErros = L1("Simulação finalizada com erros");
inline const std::string SimulacaoInterrompida = L1("Simulação interrompida pelo operador");
inline const std::string NadaGravado = L1(" (nada foi gravado no banco de destino): ");
inline const std::string SeriamGravados = L1(" registros seriam gravados, ");
inline const std::string Falhariam = L1(" falhariam");
inline const std::string NaoRealizada =
    L1("Importação não realizada, nada foi alterado: não foi possível esvaziar a tabela ");
inline const std::string SimulacaoNaoRealizada = L1("Simulação não realizada: não foi possível esvaziar a tabela ");
inline const std::string NaoEsvaziada = L1("Não foi possível esvaziar a tabela ");
inline const std::string SimulacaoPerdida =
    L1("Simulação não concluída: a conexão com o banco de destino foi perdida e o servidor desfez tudo o que ela "
       "havia feito; nada foi previsto para o restante.\r\nFalha: ");
inline const std::string PastaDeLogsInvalida = L1("Os logs não podem ser gravados na pasta ");
inline const std::string EntradasPerdidas = L1(" entradas do log não foram gravadas");
inline const std::string DestinoEmUso = L1("O banco de destino ");
inline const std::string DestinoEmUsoMotivo =
    L1(" está em uso por outra importação ou por um programa que grava nas tabelas que ela refaz; nada foi "
       "alterado. Tente de novo quando ele terminar.\r\nFalha: ");
// A failure every row would meet: what it is and what to do, after "Importação interrompida: ".
inline const std::string ImportacaoInterrompida = L1("Importação interrompida: ");
inline const std::string SimulacaoInterrompidaPor = L1("Simulação interrompida: ");
inline const std::string DiscoCheio = L1("o disco do banco de destino está cheio: libere espaço e importe de novo");
inline const std::string ErroDeDisco =
    L1("o disco do banco de destino falhou ao ler ou gravar o arquivo: verifique o disco e importe de novo");
inline const std::string BancoDesligado =
    L1("o banco de destino foi desligado (shutdown): coloque-o de novo em uso (gfix -online) e importe de novo");
inline const std::string SomenteLeitura =
    L1("o banco de destino está somente para leitura: permita a gravação (gfix -mode read_write) e importe de novo");
inline const std::string BancoCorrompido =
    L1("o banco de destino está danificado: restaure a cópia de segurança ou repare-o (gfix) antes de importar");
inline const std::string SemRecursos =
    L1("o servidor do banco de destino ficou sem memória ou recursos: reinicie o servidor e importe de novo");
inline const std::string OferecerCopia = L1("Restaurar a cópia de segurança?");
inline const std::string AguardandoServidor = L1("Aguardando o servidor do banco de destino... (tentativa ");
inline const std::string CopiaFeita = L1("\r\nCópia de segurança do destino: ");
inline const std::string CopiaFalhou =
    L1("Importação não realizada, nada foi alterado: não foi possível fazer a cópia de segurança do destino em ");
inline const std::string CidadesNaoEncontradas = L1(" registros com cidade 0 (nome não encontrado em CIDADE): ");
inline const std::string FalhaSequencial = L1("Falha na gravação do código sequencial\r\nFalha: ");
inline const std::string ErroCidade = L1("Erro no retorno do CÓDIGO DE CIDADE Cód. IBGE  ");

} // namespace norvo::textos
