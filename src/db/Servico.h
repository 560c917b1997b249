#pragma once
#include "db/Handles.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace norvo::db {

void soltarServico(FbHandle& h) noexcept;
using ServiceHandle = Handle<soltarServico>;

// The services manager of one server: backups and restores that the server itself reads and
// writes, so database and copy are paths on the server's machine. Every line of the
// server's verbose output goes to `linha` as it comes, only to be shown; a failure, which the
// server reports with its codes when the work starts or at its end, is thrown as ServerError
// (or ConnectionLost) with the server's text; so is a restore that left its database shut
// down (a copy cut short ends the restore quietly where the file ends).
class Servico {
public:
    Servico(std::string usuario, std::string senha, std::string servidor = "localhost");

    // Backs `banco` up into `arquivo`.
    void copiar(const std::string& banco, const std::string& arquivo,
                const std::function<void(const std::string&)>& linha);
    // Restores `arquivo` over `banco`, replacing it. The server drops the old database before
    // it has read the copy: a copy it cannot read leaves no database at all.
    void restaurar(const std::string& arquivo, const std::string& banco,
                   const std::function<void(const std::string&)>& linha);
    // Drops `banco` through an attachment with the same user (no service does that).
    void apagar(const std::string& banco);

private:
    // Runs one service to its end; `arquivos` are the paths `pedido` names. Its last line.
    std::string executar(const std::string& pedido, std::initializer_list<std::string_view> arquivos,
                         const std::function<void(const std::string&)>& linha, const char* trabalho);

    std::string usuario_;
    std::string senha_;
    std::string servidor_;
};

} // namespace norvo::db
