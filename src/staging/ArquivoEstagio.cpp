#include "staging/ArquivoEstagio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string_view>
#include <utility>

#include "texto/Error.h"
#include "texto/Latin1.h"

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
// whole text at once; fails as texto::salvarArquivo does.
class Saida {
public:
    static constexpr std::size_t Pedaco = 1 << 20;

    explicit Saida(const std::string& caminho) : caminho_(caminho), f_(std::fopen(caminho.c_str(), "wb"))
    {
        if (!f_)
            throw falha(errno);
        texto.reserve(Pedaco + 4096);
    }
    ~Saida()
    {
        if (f_)
            std::fclose(f_);
    }
    Saida(const Saida&) = delete;
    Saida& operator=(const Saida&) = delete;

    // Writes what `texto` holds once it is a piece's worth.
    void talvez()
    {
        if (texto.size() >= Pedaco)
            escrever();
    }
    void fechar()
    {
        escrever();
        std::FILE* f = std::exchange(f_, nullptr);
        // fclose may change errno: the write's own reason is the one to report.
        if (std::fclose(f) != 0 && erro_ == 0)
            erro_ = errno;
        if (erro_ != 0)
            throw falha(erro_);
    }

    std::string texto;

private:
    void escrever()
    {
        if (erro_ == 0 && std::fwrite(texto.data(), 1, texto.size(), f_) != texto.size())
            erro_ = errno;
        texto.clear();
    }
    norvo::Error falha(int erro) const
    {
        return norvo::Error("Cannot create file \"" + texto::CaminhoEmTexto(caminho_) + "\". " + std::strerror(erro));
    }

    const std::string& caminho_;
    std::FILE* f_;
    int erro_ = 0;
};

} // namespace

void gravarArquivoEstagio(const std::string& nome, const Registros& registros, const Textos& textos)
{
    std::string caminho = nome;
    try {
        caminho = std::filesystem::absolute(nome).string();
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
