#include "app/IniFile.h"

#include "plataforma/Arquivos.h"
#include "texto/Texto.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <vector>

namespace norvo::app {

namespace {

namespace fs = std::filesystem;

using texto::mesmoNome; // Windows compares profile names without regard to case; ours are ASCII

// Names and values are trimmed of the blanks C's isspace knows; any other control
// character belongs to the value.
std::string aparar(std::string_view s)
{
    return texto::Aparar(s, texto::Brancos::IsSpace);
}

// One line of the file as it stands on disk, and what it means.
struct Linha {
    std::string bruta; // the line's bytes, its line break included (none on a last line)
    enum Tipo { Outra, Secao, Chave } tipo = Outra;
    std::string nome;  // section or key name, trimmed
    std::string valor; // key value, trimmed
    std::size_t posIgual = 0;

    bool terminada() const { return !bruta.empty() && bruta.back() == '\n'; }
};

std::optional<std::string> lerBytes(const std::string& caminho)
{
    std::ifstream in(plataforma::caminho(caminho), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string dados((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return dados;
}

std::vector<Linha> analisar(const std::string& dados)
{
    std::vector<Linha> linhas;
    std::size_t pos = 0;
    while (pos < dados.size()) {
        auto fim = dados.find('\n', pos);
        fim = fim == std::string::npos ? dados.size() : fim + 1;
        Linha l;
        l.bruta = dados.substr(pos, fim - pos);
        std::string texto = l.bruta;
        while (!texto.empty() && (texto.back() == '\n' || texto.back() == '\r'))
            texto.pop_back();
        // A UTF-8 mark left by an editor must not hide the first section's name.
        if (pos == 0 && texto.rfind("\xEF\xBB\xBF", 0) == 0)
            texto.erase(0, 3);
        pos = fim;

        const std::string aparado = aparar(texto);
        if (!aparado.empty() && aparado.front() == '[') {
            l.tipo = Linha::Secao;
            const auto fecha = aparado.find(']');
            l.nome = aparar(aparado.substr(1, fecha == std::string::npos ? std::string::npos : fecha - 1));
        } else if (!aparado.empty() && aparado.front() != ';' && aparado.front() != '#') {
            const auto igual = texto.find('=');
            if (igual != std::string::npos) {
                l.tipo = Linha::Chave;
                l.nome = aparar(texto.substr(0, igual));
                l.valor = aparar(texto.substr(igual + 1));
                l.posIgual = igual;
            }
        }
        linhas.push_back(std::move(l));
    }
    return linhas;
}

// The line break the file already uses; a new file gets the one the Windows writer uses.
std::string quebraDoArquivo(const std::string& dados)
{
    const auto lf = dados.find('\n');
    if (lf == std::string::npos)
        return "\r\n";
    return lf > 0 && dados[lf - 1] == '\r' ? "\r\n" : "\n";
}

[[noreturn]] void falhaGravar(const std::string& caminhoCompleto)
{
    throw std::runtime_error("Unable to write to " + caminhoCompleto);
}

std::string caminhoCompleto(const std::string& caminho)
{
    std::error_code ec;
    const auto abs = fs::absolute(plataforma::caminho(caminho), ec);
    return ec ? caminho : plataforma::emUtf8(abs);
}

// Writes dados over destino through a temporary file in the same folder and a rename,
// so that a crash or a full disk never leaves a half-written settings file behind.
void substituirArquivo(const std::string& destino, const std::string& dados, const std::string& nomeNaMensagem)
{
    if (!plataforma::substituirArquivo(destino, dados))
        falhaGravar(nomeNaMensagem);
}

} // namespace

IniFile::IniFile(std::string caminho) : caminho_(std::move(caminho)) {}

std::string IniFile::ler(const std::string& secao, const std::string& chave, const std::string& padrao) const
{
    const auto dados = lerBytes(caminho_);
    if (!dados)
        return padrao;

    bool naSecao = false;
    for (const Linha& l : analisar(*dados)) {
        if (l.tipo == Linha::Secao) {
            naSecao = mesmoNome(l.nome, secao);
        } else if (naSecao && l.tipo == Linha::Chave && mesmoNome(l.nome, chave)) {
            std::string v = l.valor;
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            if (v.size() > MaxValor)
                v.resize(MaxValor);
            return v;
        }
    }
    return padrao;
}

void IniFile::gravar(const std::string& secao, const std::string& chave, const std::string& valor)
{
    const std::string completo = caminhoCompleto(caminho_);

    // Follow a link so that the file it points to is updated and the link itself stays.
    std::string destino = caminho_;
    std::error_code ec;
    if (fs::is_symlink(plataforma::caminho(destino), ec)) {
        const auto real = fs::weakly_canonical(plataforma::caminho(destino), ec);
        if (!ec)
            destino = plataforma::emUtf8(real);
    }

    std::string dados;
    if (fs::exists(plataforma::caminho(destino), ec)) {
        auto lidos = lerBytes(destino);
        if (!lidos)
            falhaGravar(completo);
        dados = std::move(*lidos);
    }
    const std::string quebra = quebraDoArquivo(dados);
    std::vector<Linha> linhas = analisar(dados);

    // Where the key stands, or after which line of its section it has to go.
    std::optional<std::size_t> linhaChave;
    std::optional<std::size_t> ultimaDaSecao;
    bool naSecao = false;
    for (std::size_t i = 0; i < linhas.size() && !linhaChave; ++i) {
        const Linha& l = linhas[i];
        if (l.tipo == Linha::Secao) {
            naSecao = mesmoNome(l.nome, secao);
            if (naSecao && !ultimaDaSecao)
                ultimaDaSecao = i;
            else if (naSecao)
                naSecao = false; // only the first section of that name is extended
            continue;
        }
        if (!naSecao)
            continue;
        if (l.tipo == Linha::Chave && mesmoNome(l.nome, chave)) {
            linhaChave = i;
        } else if (!texto::EhBranco(l.bruta, texto::Brancos::IsSpace)) {
            ultimaDaSecao = i; // blank lines at the section's end stay after the new key
        }
    }

    if (linhaChave) {
        Linha& l = linhas[*linhaChave];
        const std::string fim = l.bruta.substr(l.bruta.find_last_not_of("\r\n") + 1);
        l.bruta = aparar(std::string_view(l.bruta).substr(0, l.posIgual)) + "=" + valor + fim;
    } else {
        Linha nova;
        nova.bruta = chave + "=" + valor + quebra;
        if (!ultimaDaSecao) {
            if (!linhas.empty() && !linhas.back().terminada())
                linhas.back().bruta += quebra;
            Linha cabecalho;
            cabecalho.bruta = "[" + secao + "]" + quebra;
            linhas.push_back(cabecalho);
            ultimaDaSecao = linhas.size() - 1;
        }
        const std::size_t onde = *ultimaDaSecao + 1;
        // The line the key follows may be the file's last one, without a line break yet.
        if (!linhas[onde - 1].terminada())
            linhas[onde - 1].bruta += quebra;
        linhas.insert(linhas.begin() + static_cast<std::ptrdiff_t>(onde), nova);
    }

    std::string saida;
    for (const Linha& l : linhas)
        saida += l.bruta;
    substituirArquivo(destino, saida, completo);
}

} // namespace norvo::app
