#include "plataforma/Sistema.h"

#include "plataforma/Arquivos.h"

#include <cstdlib>
#include <cwctype>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace norvo::plataforma {

std::tm horaLocal(std::time_t quando)
{
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &quando);
#else
    localtime_r(&quando, &local);
#endif
    return local;
}

std::string variavel(const char* nome)
{
#ifdef _WIN32
    const std::wstring w(nome, nome + std::char_traits<char>::length(nome));
    const wchar_t* valor = _wgetenv(w.c_str());
    return valor ? emUtf8(std::filesystem::path(valor)) : std::string();
#else
    const char* valor = std::getenv(nome);
    return valor ? valor : "";
#endif
}

std::vector<std::string> argumentos(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc, (void)argv; // the ANSI copies
    std::vector<std::string> r;
    int n = 0;
    if (wchar_t** w = CommandLineToArgvW(GetCommandLineW(), &n)) {
        for (int i = 1; i < n; ++i)
            r.push_back(emUtf8(std::filesystem::path(w[i])));
        LocalFree(w);
    }
    return r;
#else
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
#endif
}

void prepararConsole()
{
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
#endif
}

bool ehTerminal(std::FILE* arquivo)
{
#ifdef _WIN32
    return _isatty(_fileno(arquivo)) != 0;
#else
    return isatty(fileno(arquivo)) != 0;
#endif
}

namespace {

#ifdef _WIN32
constexpr const char* kNome = "ImportaNorvo";

// A folder the system names in `nomeVariavel`, with the program's folder in it.
std::string pastaDoSistema(const char* nomeVariavel)
{
    const std::string base = variavel(nomeVariavel);
    return base.empty() ? std::string() : base + (terminaEmSeparador(base) ? "" : "\\") + kNome + "\\";
}
#else
constexpr const char* kNome = "importa-norvo";

std::string comBarra(std::string pasta)
{
    if (!pasta.empty() && pasta.back() != '/')
        pasta += '/';
    return pasta;
}

// Empty when the user has none the system knows of.
std::string pastaPessoal()
{
    if (std::string home = variavel("HOME"); !home.empty())
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

// The folder an XDG variable names when it is absolute (a relative one does not count),
// else its default under the home folder; empty with neither.
std::string pastaXdg(const char* nomeVariavel, const char* padrao)
{
    const std::string valor = variavel(nomeVariavel);
    if (!valor.empty() && valor[0] == '/')
        return comBarra(valor) + kNome + "/";
    const std::string pessoal = pastaPessoal();
    if (pessoal.empty())
        return {};
    return comBarra(pessoal) + padrao + kNome + "/";
}
#endif

} // namespace

std::string pastaDeConfiguracao()
{
#ifdef _WIN32
    return pastaDoSistema("APPDATA");
#else
    return pastaXdg("XDG_CONFIG_HOME", ".config/");
#endif
}

std::string pastaDeDados()
{
#ifdef _WIN32
    return pastaDoSistema("LOCALAPPDATA");
#else
    return pastaXdg("XDG_DATA_HOME", ".local/share/");
#endif
}

bool executavelInstalado(const std::string& pastaExecutavel, const std::string& pastaInstalada)
{
    std::error_code erro; // a folder that does not exist is simply not the installed one
#ifdef _WIN32
    (void)pastaInstalada;
    // Folders compare without regard to case on Windows.
    const auto normal = [&erro](const std::string& p) {
        std::wstring s = std::filesystem::weakly_canonical(caminho(p), erro).lexically_normal().wstring();
        for (wchar_t& c : s)
            c = static_cast<wchar_t>(towlower(c));
        return s.empty() || s.back() == L'\\' ? s : s + L'\\';
    };
    const std::wstring aqui = normal(pastaExecutavel);
    for (const char* nome : {"ProgramW6432", "ProgramFiles", "ProgramFiles(x86)"}) {
        const std::string raiz = variavel(nome);
        if (!raiz.empty() && aqui.rfind(normal(raiz), 0) == 0)
            return true;
    }
    return false;
#else
    const auto barra = [](std::string p) { return p.empty() || p.back() == '/' ? p : p + '/'; };
    return barra(pastaExecutavel) == barra(pastaInstalada) ||
           std::filesystem::equivalent(pastaExecutavel, pastaInstalada, erro);
#endif
}

} // namespace norvo::plataforma
