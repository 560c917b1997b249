#include "cli/OperadorTerminal.h"

#include "import/Sinais.h"
#include "import/Textos.h"
#include "texto/Latin1.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace norvo::cli {

std::string paraUtf8(const std::string& latin1)
{
    std::string r;
    r.reserve(latin1.size());
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            r += static_cast<char>(c);
        } else {
            r += static_cast<char>(0xC0 | (c >> 6));
            r += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return r;
}

OperadorTerminal::OperadorTerminal(bool sim, std::FILE* saida, std::FILE* entrada)
    : sim_(sim), saida_(saida), entrada_(entrada), terminal_(isatty(fileno(saida)) != 0)
{}

void OperadorTerminal::imprimir(const std::string& latin1)
{
    terminarBarra();
    std::string texto = paraUtf8(latin1);
    // Texts carry Windows line breaks; a terminal wants plain ones.
    std::string limpo;
    for (size_t i = 0; i < texto.size(); ++i)
        if (!(texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n'))
            limpo += texto[i];
    std::fprintf(saida_, "%s\n", limpo.c_str());

    std::fflush(saida_);
}

void OperadorTerminal::terminarBarra()
{
    if (barraAberta_) {
        std::fputc('\n', saida_);
        barraAberta_ = false;
    }
}

void OperadorTerminal::gauge(int, int maximo, int progresso)
{
    if (!terminal_ || etapa_.empty())
        return;
    const int pct = maximo > 0 ? static_cast<int>(100LL * progresso / maximo) : 0;
    if (pct == ultimoPercentual_ && barraAberta_)
        return;
    ultimoPercentual_ = pct;
    const int largura = 30, cheio = pct * largura / 100;
    std::fprintf(saida_, "\r%-32s [%s%s] %3d%% %d/%d", paraUtf8(etapa_).c_str(), std::string(cheio, '#').c_str(),
                 std::string(largura - cheio, ' ').c_str(), pct, progresso, maximo);
    std::fflush(saida_);
    barraAberta_ = true;
}

void OperadorTerminal::status(const std::string& texto)
{
    terminarBarra();
    etapa_ = texto;
    ultimoPercentual_ = -1;
    if (!terminal_)
        imprimir(texto);
}

void OperadorTerminal::mostraMensagem(const std::string& texto, bool aviso)
{
    imprimir(aviso ? texto : textos::L1("ATENÇÃO: ") + texto);
}

bool OperadorTerminal::confirma(const std::string& texto, Pergunta qual)
{
    // Instead of offering to open a log, the command line prints its path (abrirArquivo).
    if (qual == Pergunta::VerErros)
        return true;
    imprimir(texto);
    if (sim_) {
        imprimir("Sim (--sim)");
        return true;
    }
    if (!entrada_ || !isatty(fileno(entrada_))) {
        imprimir("No terminal to answer on: run again with --sim to confirm.");
        return false;
    }
    std::fprintf(saida_, "[s/N] ");
    std::fflush(saida_);
    // Ctrl+C at the question, or the terminal closing under it (SIGHUP), is a No: wait for the
    // answer or for a signal, whichever comes.
    pollfd espera[2] = {{fileno(entrada_), POLLIN, 0}, {sinais::descritor(), POLLIN, 0}};
    while (::poll(espera, sinais::descritor() >= 0 ? 2 : 1, -1) < 0 && errno == EINTR) {}
    if (paradaPedida() != 0) {
        terminarBarra();
        std::fputc('\n', saida_);
        return false;
    }
    char linha[64] = {};
    if (!std::fgets(linha, sizeof linha, entrada_))
        return false;
    return linha[0] == 's' || linha[0] == 'S' || linha[0] == 'y' || linha[0] == 'Y';
}

void OperadorTerminal::desfecho(const std::string& aviso, const std::string&, const std::string&)
{
    // The failures by cause come with each stage's summary line (linhaDoResumo).
    etapa_.clear();
    mostraMensagem(aviso, true);
}

void OperadorTerminal::mensagem(const std::string& texto)
{
    imprimir(texto);
}

void OperadorTerminal::abrirArquivo(const std::string& nome, const std::string& pasta)
{
    imprimir("Log: " + texto::CaminhoEmTexto(pasta + nome));
}

void OperadorTerminal::ocupado(bool sim)
{
    if (!sim)
        etapa_.clear();
    terminarBarra();
}

int OperadorTerminal::paradaPedida()
{
    return sinais::recebido();
}

std::string linhaDoResumo(const ResumoEtapa& r)
{
    std::string linha = r.nome + ": ";
    if (!r.iniciada)
        return linha +
               (r.interrompida ? textos::L1("não iniciada, interrompida pelo operador") : textos::L1("não iniciada"));
    linha += std::to_string(r.gravados) + " gravados, " + std::to_string(r.falhas) + " falhas";
    if (r.ignorados > 0)
        linha += ", " + std::to_string(r.ignorados) + textos::L1(" já existentes ou vazios");
    if (r.falhou || r.interrompida)
        linha += ", " + std::to_string(r.naoTentados) + textos::L1(" não tentados");
    if (r.reconexoes > 0)
        linha += ", " + std::to_string(r.reconexoes) + textos::L1(" reconexões");
    if (r.falhou)
        linha += ", etapa interrompida";
    if (r.interrompida)
        linha += ", interrompida pelo operador";
    char tempo[32];
    std::snprintf(tempo, sizeof tempo, " (%.2f s)", r.segundos);
    linha += tempo;
    // What to fix: each cause once, with how many records it hit and the first of them.
    linha += textoDasCausas(r);
    return linha;
}

} // namespace norvo::cli
