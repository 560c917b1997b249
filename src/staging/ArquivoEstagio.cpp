#include "staging/ArquivoEstagio.h"

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

} // namespace

void gravarArquivoEstagio(const std::string& nome, const std::vector<Registro>& registros)
{
    std::string caminho = nome;
    try {
        caminho = std::filesystem::absolute(nome).string();
    } catch (const std::exception&) {
        // No working directory left: the name as given still says which file it was.
    }

    std::string out;
    out.reserve(256 + registros.size() * 64);
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
    for (const Registro& r : registros) {
        for (int i = 0; i < NumCampos; ++i) {
            const Campo c = static_cast<Campo>(i);
            if (i)
                out += '\t';
            if (r.nulo(c)) {
                out += "\\N";
            } else if (tipo(c) == TipoCampo::Texto) {
                escapar(out, r.textoGuardado(c));
            } else if (tipo(c) == TipoCampo::Dinheiro && r.precoInvalido) {
                out += '!'; // told apart from any amount and from \N
                escapar(out, *r.precoInvalido);
            } else {
                out += r.texto(c);
            }
        }
        out += '\n';
    }

    texto::salvarArquivo(caminho, out);
}

} // namespace norvo::staging::detalhe
