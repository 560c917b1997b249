#include "db/Cliente.h"

#include "db/Api.h"
#include "db/Error.h"

#include <atomic>

namespace norvo::db {

namespace {

// Every function found in `b`, or nothing.
std::unique_ptr<FuncoesDoCliente> funcoesDe(const plataforma::Biblioteca& b)
{
    auto f = std::make_unique<FuncoesDoCliente>();
    bool todas = true;
#define NORVO_BUSCAR(nome)                                                                                             \
    f->nome = reinterpret_cast<decltype(f->nome)>(b.simbolo(#nome));                                                   \
    todas = todas && f->nome != nullptr;
    NORVO_FUNCOES_DO_CLIENTE(NORVO_BUSCAR)
#undef NORVO_BUSCAR
    return todas ? std::move(f) : nullptr;
}

std::atomic<bool> g_sinaisAoPrograma{false};
std::atomic<bool> g_carregado{false};

int recusarEncerramentoPorSinal(const int motivo, const int, void*)
{
    return motivo == fb_shutrsn_signal ? 1 : 0; // non-zero: the library ignores the signal
}

void registrarSinais(const FuncoesDoCliente& f)
{
    Status st;
    f.fb_shutdown_callback(st.v, recusarEncerramentoPorSinal, fb_shut_confirmation, nullptr);
    // Not through falhar: its interpretation would ask for the library being loaded here.
    if (st.failed())
        throw Error("The Firebird client library refused to leave SIGINT and SIGTERM to the program");
}

// Never unloaded: the library's own threads and exit handlers may still run while the
// program's static objects go.
const Cliente& carregarDoPrograma()
{
    auto c = std::make_unique<Cliente>(plataforma::lugaresDoClienteFirebird(), plataforma::nomeDoClienteFirebird());
    if (g_sinaisAoPrograma)
        registrarSinais(c->funcoes());
    g_carregado = true;
    return *c.release();
}

} // namespace

Cliente::Cliente(const std::vector<std::string>& lugares, const std::string& nome)
{
    for (const std::string& lugar : lugares) {
        plataforma::Biblioteca b = plataforma::Biblioteca::abrir(lugar);
        if (!b)
            continue;
        funcoes_ = funcoesDe(b);
        if (funcoes_) {
            biblioteca_ = std::move(b);
            return;
        }
    }
    throw ClienteAusente(nome);
}

Cliente::~Cliente() = default;
Cliente::Cliente(Cliente&&) noexcept = default;
Cliente& Cliente::operator=(Cliente&&) noexcept = default;

const FuncoesDoCliente& fb()
{
    // Kept for the program's life; a throw leaves it unmade, to be tried again.
    static const Cliente& cliente = carregarDoPrograma();
    return cliente.funcoes();
}

void deixarSinaisAoPrograma()
{
    if (g_sinaisAoPrograma.exchange(true))
        return;
    if (g_carregado)
        registrarSinais(fb());
}

} // namespace norvo::db
