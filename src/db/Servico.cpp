#include "db/Servico.h"

#include "db/Api.h"

#include "db/Database.h"
#include "db/Error.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include "db/NomesDeArquivo.h"
#include "db/Params.h"

#include <cstddef>
#include <cstdint>

namespace norvo::db {

void soltarServico(FbHandle& h) noexcept
{
    ISC_STATUS_ARRAY st;
    fb().isc_service_detach(st, &h);
}

namespace {

void acrescentarTexto(std::string& pedido, char item, const std::string& valor)
{
    if (valor.size() > 0xFFFF)
        throw Error("Service parameter is too long: " + valor.substr(0, 80) + "...");
    pedido += item;
    pedido += static_cast<char>(valor.size() & 0xFF);
    pedido += static_cast<char>(valor.size() >> 8);
    pedido += valor;
}

void acrescentarNumero(std::string& pedido, char item, std::uint32_t valor)
{
    pedido += item;
    for (int i = 0; i < 4; ++i)
        pedido += static_cast<char>((valor >> (8 * i)) & 0xFF);
}

// gbak ends its lines with a blank, some with a line break.
std::string semBrancoFinal(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\n' || s.back() == '\r' || s.back() == '\t'))
        s.pop_back();
    return s;
}

} // namespace

Servico::Servico(std::string usuario, std::string senha, std::string servidor)
    : usuario_(std::move(usuario)), senha_(std::move(senha)), servidor_(std::move(servidor))
{}

void Servico::copiar(const std::string& banco, const std::string& arquivo,
                     const std::function<void(const std::string&)>& linha)
{
    std::string pedido(1, static_cast<char>(isc_action_svc_backup));
    acrescentarTexto(pedido, isc_spb_dbname, banco);
    acrescentarTexto(pedido, isc_spb_bkp_file, arquivo);
    pedido += static_cast<char>(isc_spb_verbose);
    executar(pedido, {banco, arquivo}, linha, "Backup");
}

void Servico::restaurar(const std::string& arquivo, const std::string& banco,
                        const std::function<void(const std::string&)>& linha)
{
    std::string pedido(1, static_cast<char>(isc_action_svc_restore));
    acrescentarTexto(pedido, isc_spb_bkp_file, arquivo);
    acrescentarTexto(pedido, isc_spb_dbname, banco);
    acrescentarNumero(pedido, isc_spb_options, isc_spb_res_replace);
    pedido += static_cast<char>(isc_spb_verbose);
    const std::string ultima = executar(pedido, {arquivo, banco}, linha, "Restore");
    // A copy that ends early ends the restore there, with a clean status, leaving part of a
    // database shut down for single-user maintenance: a whole restore brings it online.
    int modo = 0;
    {
        Transaction t;
        Database d;
        d.setDatabaseName(servidor_ + ":" + banco);
        d.setParams({"user_name=" + usuario_, "password=" + senha_, "lc_ctype=ISO8859_1"});
        d.setDefaultTransaction(&t);
        d.connect();
        Query q;
        q.setDatabase(&d);
        q.setTransaction(&t);
        q.setSQL("SELECT MON$SHUTDOWN_MODE FROM MON$DATABASE");
        q.open();
        modo = q.fieldByName("MON$SHUTDOWN_MODE").asInteger();
        q.close();
        t.commit();
        d.disconnect();
    }
    if (modo != 0)
        throw ServerError("Restore did not finish: the database it left is shut down (mode " + std::to_string(modo) +
                              "); its last line was \"" + ultima + "\"",
                          {});
}

void Servico::apagar(const std::string& banco)
{
    std::string dpb = montarDpb({"user_name=" + usuario_, "password=" + senha_});
    marcarNomesEmUtf8(dpb, isc_dpb_utf8_filename, {banco});
    const std::string nome = servidor_ + ":" + banco;
    AttachmentHandle anexo;
    {
        const NomesDeArquivoEmUtf8 nomesEmUtf8;
        chamar(nullptr, [&](ISC_STATUS* st) {
            fb().isc_attach_database(st, 0, nome.c_str(), anexo.ptr(), static_cast<short>(dpb.size()), dpb.data());
        });
    }
    chamar(nullptr, [&](ISC_STATUS* st) { fb().isc_drop_database(st, anexo.ptr()); });
    anexo.forget(); // a dropped database has no attachment left to release
}

std::string Servico::executar(const std::string& pedido, std::initializer_list<std::string_view> arquivos,
                              const std::function<void(const std::string&)>& linha, const char* trabalho)
{
    std::string spb;
    spb += static_cast<char>(isc_spb_version);
    spb += static_cast<char>(isc_spb_current_version);
    auto acrescentar = [&](char item, const std::string& valor) {
        if (valor.size() > 255)
            throw Error("Service parameter is too long");
        spb += item;
        spb += static_cast<char>(valor.size());
        spb += valor;
    };
    acrescentar(isc_spb_user_name, usuario_);
    acrescentar(isc_spb_password, senha_);
    // Given at the attachment, the flag covers the file names of the work started on it.
    marcarNomesEmUtf8(spb, isc_spb_utf8_filename, arquivos);
    const std::string nome = servidor_ + ":service_mgr";

    ServiceHandle servico;
    {
        const NomesDeArquivoEmUtf8 nomesEmUtf8;
        chamar(nullptr, [&](ISC_STATUS* st) {
            fb().isc_service_attach(st, static_cast<unsigned short>(nome.size()), nome.c_str(), servico.ptr(),
                                    static_cast<unsigned short>(spb.size()), spb.data());
        });
    }
    // A failure found before the work begins (a copy that cannot be opened) comes back here.
    chamar(nullptr, [&](ISC_STATUS* st) {
        fb().isc_service_start(st, servico.ptr(), nullptr, static_cast<unsigned short>(pedido.size()), pedido.data());
    });

    // One line per query, waiting for it. A failure during the work (no room, a folder it may
    // not write) comes back as the status of the query that would have returned the end of
    // the output, with its codes; the lines are only shown.
    const char itens[] = {isc_info_svc_line};
    std::string ultima;
    char resposta[16384];
    auto naoTerminou = [&](const std::string& motivo) {
        return std::string(trabalho) + " did not finish: " + motivo + "; its last line was \"" + ultima + "\"";
    };
    for (bool fim = false; !fim;) {
        try {
            chamar(nullptr, [&](ISC_STATUS* st) {
                fb().isc_service_query(st, servico.ptr(), nullptr, 0, nullptr, sizeof itens, itens, sizeof resposta,
                                       resposta);
            });
        } catch (const ConnectionLost& e) {
            // The server may drop the service's line when the work ends badly (a copy cut
            // short, at times): the work did not finish all the same.
            throw ConnectionLost(naoTerminou(e.what()), e.codes());
        }
        const char* p = resposta;
        const char* const limite = resposta + sizeof resposta;
        while (p < limite && *p != isc_info_end) {
            const char item = *p++;
            if (item == isc_info_truncated || item == isc_info_svc_timeout || item == isc_info_data_not_ready)
                break; // nothing more in this reply; ask again
            if (item != isc_info_svc_line || limite - p < 2)
                throw Error("Unexpected reply from the services manager (item " + std::to_string(item) + ")");
            const auto tamanho = static_cast<std::ptrdiff_t>(fb().isc_vax_integer(p, 2));
            p += 2;
            if (tamanho > limite - p)
                throw Error("Unexpected reply from the services manager (line too long)");
            if (tamanho == 0) {
                fim = true; // an empty line: the service has finished
                break;
            }
            const std::string texto = semBrancoFinal(std::string(p, tamanho));
            p += tamanho;
            ultima = texto;
            if (linha)
                linha(texto);
        }
    }
    return ultima;
}

} // namespace norvo::db
