#include "cli/OperadorTerminal.h"

#include "plataforma/Sinais.h"
#include "plataforma/Sistema.h"
#include "import/Textos.h"
#include "texto/Latin1.h"

#include <algorithm>
#include <cstdio>

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
    : sim_(sim), saida_(saida), entrada_(entrada), terminal_(plataforma::ehTerminal(saida))
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
    if (!barraAberta_)
        return;
    // The line ends with what the stage did last, even a count the percentage hid.
    if (desenhado_ != gauge_)
        desenhar();
    std::fputc('\n', saida_);
    barraAberta_ = false;
    larguraDesenhada_ = 0;
}

namespace {

// Columns a UTF-8 text takes on a terminal: its characters (continuation bytes take none).
std::size_t colunas(const std::string& utf8)
{
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

void OperadorTerminal::desenhar()
{
    std::string linha = "\r" + paraUtf8(etapa_);
    if (gauge_.progresso > 0 || gauge_.maximo == 0) {
        const int pct = gauge_.maximo > 0 ? static_cast<int>(100LL * gauge_.progresso / gauge_.maximo) : 100;
        const int largura = 30, cheio = pct * largura / 100;
        char numeros[64];
        std::snprintf(numeros, sizeof numeros, "] %3d%% %d/%d", pct, gauge_.progresso, gauge_.maximo);
        if (const std::size_t c = colunas(linha) - 1; c < 32)
            linha += std::string(32 - c, ' ');
        linha += " [" + std::string(cheio, '#') + std::string(largura - cheio, ' ') + numeros;
        percentual_ = pct;
    }
    // No character of a longer earlier text may stay behind.
    const std::size_t largura = colunas(linha) - 1;
    if (largura < larguraDesenhada_)
        linha += std::string(larguraDesenhada_ - largura, ' ');
    larguraDesenhada_ = largura;
    std::fputs(linha.c_str(), saida_);
    std::fflush(saida_);
    desenhado_ = gauge_;
    barraAberta_ = true;
}

void OperadorTerminal::gauge(int, int maximo, int progresso)
{
    // A gauge set back to 0 is a stage starting (the next one, before it names itself) or the
    // run ending: the line of the stage that was running keeps its last count.
    if (progresso == 0)
        return;
    gauge_ = {progresso, maximo};
    if (!terminal_ || etapa_.empty())
        return;
    const int pct = maximo > 0 ? static_cast<int>(100LL * progresso / maximo) : 100;
    if (pct != percentual_ || !barraAberta_)
        desenhar();
}

void OperadorTerminal::status(const std::string& texto)
{
    terminarBarra();
    etapa_ = texto;
    gauge_ = desenhado_ = {};
    percentual_ = -1;
    if (!terminal_)
        imprimir(texto);
    else
        desenhar(); // the stage's name until its gauge moves
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
    if (!entrada_ || !plataforma::ehTerminal(entrada_)) {
        imprimir("No terminal to answer on: run again with --sim to confirm.");
        return false;
    }
    std::fprintf(saida_, "[s/N] ");
    std::fflush(saida_);
    // Ctrl+C at the question, or the terminal closing under it (SIGHUP), is a No: wait for the
    // answer or for a signal, whichever comes.
    if (!sinais::esperarEntrada(entrada_) || paradaPedida() != 0) {
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

std::string linhaDoResumo(const ResumoEtapa& r, bool simulada)
{
    std::string linha = r.titulo + ": ";
    if (!r.iniciada)
        return linha +
               (r.interrompida ? textos::L1("não iniciada, interrompida pelo operador") : textos::L1("não iniciada"));
    linha += std::to_string(r.gravados) + (simulada ? " seriam gravados, " : " gravados, ") + std::to_string(r.falhas) +
             (simulada ? " falhariam" : " falhas");
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
