#include "plataforma/Arquivos.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
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
    std::FILE* f = _wfopen(caminho(utf8).c_str(), m.c_str());
    // Windows says a folder in the way is "Permission denied"; it is not a matter of rights.
    std::error_code e;
    if (!f && errno == EACCES && std::filesystem::is_directory(caminho(utf8), e))
        errno = EISDIR;
    return f;
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

namespace norvo::plataforma {

ArquivoDeLeitura::ArquivoDeLeitura(const std::string& utf8)
{
#ifdef _WIN32
    fd_ = _wopen(caminho(utf8).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd_ < 0) {
        std::error_code e;
        erro_ = std::filesystem::is_directory(caminho(utf8), e) ? EISDIR : errno;
        return;
    }
    struct _stat64 st {};
    if (_fstat64(fd_, &st) != 0) {
        erro_ = errno;
        return;
    }
    comum_ = (st.st_mode & _S_IFMT) == _S_IFREG;
#else
    // Without O_NONBLOCK a named pipe with no writer, or a device, blocks the open for good,
    // beyond the reach of a stop request.
    fd_ = ::open(utf8.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) {
        erro_ = errno;
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        erro_ = errno;
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        erro_ = EISDIR;
        return;
    }
    comum_ = S_ISREG(st.st_mode);
    const int modo = ::fcntl(fd_, F_GETFL);
    if (modo >= 0)
        ::fcntl(fd_, F_SETFL, modo & ~O_NONBLOCK);
#endif
    tamanho_ = static_cast<std::uint64_t>(st.st_size);
}

ArquivoDeLeitura::~ArquivoDeLeitura()
{
    if (fd_ >= 0)
        ::close(fd_);
}

long long ArquivoDeLeitura::ler(char* p, std::size_t n, std::uint64_t onde) const
{
#ifdef _WIN32
    if (_lseeki64(fd_, static_cast<long long>(onde), SEEK_SET) < 0)
        return -1;
    return _read(fd_, p, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
#else
    for (;;) {
        const ssize_t r = ::pread(fd_, p, n, static_cast<off_t>(onde));
        if (r >= 0 || errno != EINTR)
            return r;
    }
#endif
}

bool substituirArquivo(const std::string& utf8, std::string_view dados)
{
    namespace fs = std::filesystem;
    const fs::path alvo = caminho(utf8);
    const fs::path pasta = alvo.has_parent_path() ? alvo.parent_path() : fs::path(".");
#ifdef _WIN32
    std::error_code e;
    const fs::file_status atual = fs::status(alvo, e);
    if (fs::exists(atual) && (!fs::is_regular_file(atual) || _waccess(alvo.c_str(), 2) != 0))
        return false;
    // The program's own name for it, unique to this process.
    const fs::path novo = pasta / (L"." + alvo.filename().wstring() + L"." + std::to_wstring(_getpid()));
    HANDLE h = CreateFileW(novo.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    for (std::size_t escrito = 0; ok && escrito < dados.size();) {
        DWORD n = 0;
        const DWORD pedaco = static_cast<DWORD>(std::min<std::size_t>(dados.size() - escrito, 1u << 30));
        ok = WriteFile(h, dados.data() + escrito, pedaco, &n, nullptr) && n > 0;
        escrito += n;
    }
    ok = FlushFileBuffers(h) && ok;
    ok = CloseHandle(h) && ok;
    if (ok)
        ok = MoveFileExW(novo.c_str(), alvo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok)
        DeleteFileW(novo.c_str());
    return ok;
#else
    std::string modelo = (pasta / ("." + alvo.filename().string() + ".XXXXXX")).string();
    struct stat atual {};
    const bool existe = ::stat(utf8.c_str(), &atual) == 0;
    if (existe && (!S_ISREG(atual.st_mode) || ::access(utf8.c_str(), W_OK) != 0))
        return false;
    const int fd = ::mkstemp(modelo.data());
    if (fd < 0)
        return false;
    bool ok = true;
    std::size_t escrito = 0;
    while (ok && escrito < dados.size()) {
        const auto n = ::write(fd, dados.data() + escrito, dados.size() - escrito);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            escrito += static_cast<std::size_t>(n);
    }
    if (ok) {
        // The file keeps its permissions; a new one gets the usual ones.
        mode_t modo;
        if (existe) {
            modo = atual.st_mode & 07777;
        } else {
            const mode_t mascara = ::umask(0);
            ::umask(mascara);
            modo = 0666 & ~mascara;
        }
        ok = ::fchmod(fd, modo) == 0 && ::fsync(fd) == 0;
    }
    if (::close(fd) != 0)
        ok = false;
    if (ok)
        ok = ::rename(modelo.c_str(), utf8.c_str()) == 0;
    if (!ok)
        ::unlink(modelo.c_str());
    return ok;
#endif
}

std::string semEscritaEm(const std::string& pasta)
{
#ifdef _WIN32
    // A name of this process's own, made and removed at once.
    const std::filesystem::path p = caminho(pasta) / (L".importa-norvo-" + std::to_wstring(_getpid()));
    const int fd = _wopen(p.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return std::strerror(errno);
    _close(fd);
    _wunlink(p.c_str());
#else
    std::string modelo = pasta + ".importa-norvo-XXXXXX";
    const int fd = ::mkstemp(modelo.data());
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    ::unlink(modelo.c_str());
#endif
    return {};
}

} // namespace norvo::plataforma
