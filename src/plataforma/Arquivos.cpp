#include "plataforma/Arquivos.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace norvo::plataforma {

std::filesystem::path caminho(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string emUtf8(const std::filesystem::path& p)
{
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::FILE* abrirArquivo(const std::string& utf8, const char* modo)
{
#ifdef _WIN32
    const std::wstring m(modo, modo + std::char_traits<char>::length(modo));
    return _wfopen(caminho(utf8).c_str(), m.c_str());
#else
    return std::fopen(utf8.c_str(), modo);
#endif
}

bool terminaEmSeparador(const std::string& pasta)
{
    return !pasta.empty() && (pasta.back() == '/' || pasta.back() == Separador);
}

std::string pastaDoExecutavel()
{
#ifdef _WIN32
    std::wstring buf(MAX_PATH, L'\0');
    DWORD n;
    while ((n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()))) == buf.size())
        buf.resize(buf.size() * 2);
    if (n == 0)
        return ".\\";
    const std::string completo = emUtf8(std::filesystem::path(buf.substr(0, n)));
#else
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "./";
    const std::string completo(buf, static_cast<size_t>(n));
#endif
    return completo.substr(0, completo.rfind(Separador) + 1);
}

} // namespace norvo::plataforma
