#pragma once
#include <string>
#include <vector>

namespace norvo::acesso {

// Who the program attaches to both databases as, and the server it reaches the destination
// on; the safety copy and the restore act as the same user.
inline constexpr const char* Usuario = "SYSDBA";
inline constexpr const char* Senha = "kelpdrone";
inline constexpr const char* HostLocal = "localhost";

// The transactions of both databases: read committed, record versions, no waiting for a lock.
inline const std::vector<std::string> ParametrosTransacao = {"read_committed", "rec_version", "nowait"};

} // namespace norvo::acesso
