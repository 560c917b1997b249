#include "db/Causa.h"

#include "db/Error.h"

namespace norvo::db {

Causa causaDe(const std::exception& e)
{
    Causa c;
    if (const auto* t = dynamic_cast<const TextoLongo*>(&e)) {
        c.tipo = Causa::Tipo::TextoLongo;
        c.coluna = t->coluna();
        c.parametro = t->posicao();
        c.capacidade = t->capacidade();
        return c;
    }
    const auto* s = dynamic_cast<const ServerError*>(&e);
    if (!s)
        return c;
    if (!s->codes().empty())
        c.codigo = s->codes().front();
    if (dynamic_cast<const ConnectionLost*>(s)) {
        c.tipo = Causa::Tipo::ConexaoPerdida;
    } else if (dynamic_cast<const LockConflict*>(s)) {
        c.tipo = Causa::Tipo::ConflitoDeTrava;
    } else if (const auto* b = dynamic_cast<const BancoInutilizavel*>(s)) {
        c.tipo = Causa::Tipo::BancoInutilizavel;
        c.motivo = b->motivo();
    } else if (const auto* u = dynamic_cast<const UniqueViolation*>(s)) {
        c.tipo = Causa::Tipo::ChaveDuplicada;
        c.restricao = u->restricao();
        c.tabela = u->tabela();
    }
    return c;
}

} // namespace norvo::db
