// Settings file: any bytes become the INI file; the window's one setting is read, written
// and read again. The value written must come back, and every line that is not the
// setting's own must stay byte for byte. Any exception, a sanitizer report or a broken
// invariant below is a bug: writing into a fresh private folder has no reason to fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "app/IniFile.h"
#include "texto/Texto.h"

using norvo::app::IniFile;
using norvo::texto::mesmoNome;
namespace fs = std::filesystem;

namespace {

#define EXIGIR(cond)                                                                                                   \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            __builtin_trap();                                                                                          \
    } while (0)

const std::string Secao = "Bancos";
const std::string Chave = "Destino";

fs::path pasta;

// A private folder, in memory when /dev/shm is there: every write is fsync'ed. A crash
// skips the clean-up, so scripts/fuzz points NORVO_FUZZ_TMP into its own work folder.
void criarPasta()
{
    std::string base = "/tmp";
    if (const char* t = std::getenv("NORVO_FUZZ_TMP"); t && *t)
        base = t;
    else if (::access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    std::string modelo = base + "/norvo-fuzz-ini-XXXXXX";
    if (!::mkdtemp(modelo.data()))
        std::abort();
    pasta = modelo;
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(pasta, ec);
    });
}

std::string lerTudo(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void gravarTudo(const fs::path& p, std::string_view dados)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(dados.data(), static_cast<std::streamsize>(dados.size()));
    if (!out)
        std::abort();
}

// Lines with their own line breaks; a last line without one is kept as it is.
std::vector<std::string> linhas(const std::string& d)
{
    std::vector<std::string> r;
    std::size_t ini = 0;
    while (ini < d.size()) {
        auto fim = d.find('\n', ini);
        fim = fim == std::string::npos ? d.size() : fim + 1;
        r.push_back(d.substr(ini, fim - ini));
        ini = fim;
    }
    return r;
}

bool terminada(const std::string& l)
{
    return !l.empty() && l.back() == '\n';
}

// The break a new line gets: the file's first one, CR LF for a file without any.
std::string quebraDe(const std::string& d)
{
    const auto lf = d.find('\n');
    if (lf == std::string::npos)
        return "\r\n";
    return lf > 0 && d[lf - 1] == '\r' ? "\r\n" : "\n";
}

// The old lines, byte for byte, except that the old last line may have gained the file's
// line break so that something can follow it.
bool mesmasLinhas(const std::vector<std::string>& novas, const std::vector<std::string>& velhas,
                  const std::string& quebra)
{
    if (novas.size() != velhas.size())
        return false;
    for (std::size_t i = 0; i < velhas.size(); ++i) {
        if (novas[i] == velhas[i])
            continue;
        if (i + 1 == velhas.size() && !terminada(velhas[i]) && novas[i] == velhas[i] + quebra)
            continue;
        return false;
    }
    return true;
}

// The key's line rewritten in place: its name as it was spelt, "=", the value, and the
// old line's own ending.
bool linhaReescrita(const std::string& nova, const std::string& velha, const std::string& valor)
{
    const auto ultimo = velha.find_last_not_of("\r\n");
    const std::string fim = ultimo == std::string::npos ? velha : velha.substr(ultimo + 1);
    return nova.size() > Chave.size() && mesmoNome(std::string_view(nova).substr(0, Chave.size()), Chave) &&
           nova.substr(Chave.size()) == "=" + valor + fim;
}

void conferirMudanca(const std::string& antes, const std::string& depois, const std::string& valor)
{
    const auto velhas = linhas(antes);
    const auto novas = linhas(depois);
    const std::string quebra = quebraDe(antes);
    const std::string linhaNova = Chave + "=" + valor + quebra;

    if (novas.size() == velhas.size()) {
        // The key was there: at most its own line differs.
        int diferentes = 0;
        for (std::size_t i = 0; i < velhas.size(); ++i) {
            if (novas[i] == velhas[i])
                continue;
            ++diferentes;
            EXIGIR(linhaReescrita(novas[i], velhas[i], valor));
        }
        EXIGIR(diferentes <= 1);
    } else if (novas.size() == velhas.size() + 1) {
        // The key was added to an existing section.
        bool achou = false;
        for (std::size_t k = 0; k < novas.size() && !achou; ++k) {
            if (novas[k] != linhaNova)
                continue;
            std::vector<std::string> resto = novas;
            resto.erase(resto.begin() + static_cast<std::ptrdiff_t>(k));
            achou = mesmasLinhas(resto, velhas, quebra);
        }
        EXIGIR(achou);
    } else {
        // The section and the key were added at the end.
        EXIGIR(novas.size() == velhas.size() + 2);
        EXIGIR(novas[novas.size() - 2] == "[" + Secao + "]" + quebra);
        EXIGIR(novas.back() == linhaNova);
        EXIGIR(mesmasLinhas(std::vector<std::string>(novas.begin(), novas.end() - 2), velhas, quebra));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho)
{
    if (pasta.empty())
        criarPasta();
    const fs::path arquivo = pasta / "norvo.ini";
    const std::string antes(reinterpret_cast<const char*>(dados), tamanho);
    gravarTudo(arquivo, antes);

    IniFile ini(arquivo.string());
    const std::string lido = ini.ler(Secao, Chave, "<none>");
    EXIGIR(lido.size() <= IniFile::MaxValor || lido == "<none>");
    EXIGIR(lido.find('\n') == std::string::npos);

    // No blanks at the ends, no quotes, no line breaks: a value that reads back as written.
    std::string valor = "/srv/norvo/D" + std::to_string(tamanho);
    for (std::size_t i = 0; i < tamanho && i < 6; ++i)
        valor += "abcdefghijklmnopqrstuvwxyz0123456789._-/"[dados[i] % 40];
    valor += ".FDB";

    ini.gravar(Secao, Chave, valor);
    const std::string depois = lerTudo(arquivo);
    EXIGIR(ini.ler(Secao, Chave) == valor);
    conferirMudanca(antes, depois, valor);

    // Writing the same value again changes nothing, and no temporary file is left.
    ini.gravar(Secao, Chave, valor);
    EXIGIR(lerTudo(arquivo) == depois);
    int entradas = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(pasta))
        ++entradas;
    EXIGIR(entradas == 1);
    return 0;
}
