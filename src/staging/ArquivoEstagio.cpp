#include "staging/ArquivoEstagio.h"

#include "plataforma/Arquivos.h"

#include <exception>
#include <filesystem>
#include <string_view>

#include "texto/Arquivo.h"

namespace norvo::staging::detalhe {

namespace {

void escapar(std::string& out, std::string_view v)
{
    for (char c : v) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
}

const char* nomeTipo(TipoCampo t)
{
    switch (t) {
    case TipoCampo::Inteiro:
        return "integer";
    case TipoCampo::Texto:
        return "text";
    case TipoCampo::Dinheiro:
        return "money";
    }
    return "";
}

// The file written a piece at a time, so that a table of a million records does not need its
// whole text at once.
class Saida {
public:
    static constexpr std::size_t Pedaco = 1 << 20;

    explicit Saida(const std::string& caminho) : arquivo_(caminho) { texto.reserve(Pedaco + 4096); }

    // Writes what `texto` holds once it is a piece's worth.
    void talvez()
    {
        if (texto.size() >= Pedaco)
            escrever();
    }
    void fechar()
    {
        escrever();
        arquivo_.fechar();
    }

    std::string texto;

private:
    void escrever()
    {
        arquivo_.escrever(texto);
        texto.clear();
    }

    texto::ArquivoNovo arquivo_;
};

} // namespace

void gravarArquivoEstagio(const std::string& nome, const Registros& registros, const Textos& textos)
{
    std::string caminho = nome;
    try {
        caminho = plataforma::emUtf8(std::filesystem::absolute(plataforma::caminho(nome)));
    } catch (const std::exception&) {
        // No working directory left: the name as given still says which file it was.
    }

    Saida saida(caminho);
    std::string& out = saida.texto;
    out += "NorvoStaging\t1\n";
    out += "FIELDS\t" + std::to_string(int(NumCampos)) + "\n";
    for (int i = 0; i < NumCampos; ++i) {
        const Campo c = static_cast<Campo>(i);
        out += nomeCampo(c);
        out += '\t';
        out += nomeTipo(tipo(c));
        out += '\t';
        out += std::to_string(tamanhoCampo(c));
        out += '\n';
    }
    out += "RECORDS\t" + std::to_string(registros.size()) + "\n";
    for (std::size_t k = 0; k < registros.size(); ++k) {
        const Registro& r = registros[k];
        for (int i = 0; i < NumCampos; ++i) {
            const Campo c = static_cast<Campo>(i);
            if (i)
                out += '\t';
            if (r.nulo(c)) {
                out += "\\N";
            } else if (tipo(c) == TipoCampo::Texto) {
                escapar(out, r.textoGuardado(c, textos));
            } else if (tipo(c) == TipoCampo::Dinheiro && r.precoInvalido) {
                out += '!'; // told apart from any amount and from \N
                escapar(out, r.textoDoPreco(textos));
            } else {
                out += r.texto(c, textos);
            }
        }
        out += '\n';
        saida.talvez();
    }
    saida.fechar();
}

} // namespace norvo::staging::detalhe
