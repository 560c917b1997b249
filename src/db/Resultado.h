#pragma once
#include "db/Handles.h"
#include "db/Values.h"

#include <string>
#include <string_view>
#include <vector>

// A blob's id as the client library declares it (ISC_QUAD).
struct GDS_QUAD_t;

namespace norvo::db {

class Database;
class Preparacao;
class Transaction;

// The rows a select gives: the buffers the server fetches into, their decoding, and the rows
// read so far. The server's cursor only goes forward; the rows read can be walked again.
class Resultado {
public:
    struct Coluna {
        std::string nome;
        short tipo;
        short escala;
        short tamanho;
        short subtipo;
    };

    // The columns as the server described them at preparation: each gets a buffer in its own type.
    void descrever(Sqlda* saida);
    const std::vector<Coluna>& colunas() const { return colunas_; }
    int indiceCampo(std::string_view nome) const; // -1 when none

    // The cursor of `comando`, just executed: reads its first row.
    void abrir(Preparacao& comando, Database* db, Transaction* t);
    void primeira();
    // The next row read, or the next the cursor gives; at the end, the last row stays current.
    void proxima();
    bool eof() const { return eof_; }
    // Drops the cursor, if still open, and the rows read.
    void fechar() noexcept;
    void liberar() noexcept;

    std::vector<std::vector<Valor>>& linhas() { return linhas_; }
    const std::vector<std::vector<Valor>>& linhas() const { return linhas_; }
    std::vector<Valor>& linhaAtual() { return linhas_[atual_]; }
    size_t atual() const { return atual_; }
    void setAtual(size_t i) { atual_ = i; }

private:
    void buscar();
    Valor decodificar(size_t i);
    void lerBlob(GDS_QUAD_t id, std::string& out);

    Preparacao* comando_ = nullptr; // with its cursor open
    Database* db_ = nullptr;
    Transaction* transacao_ = nullptr;
    std::vector<std::vector<char>> buffers_;
    std::vector<short> ind_;
    std::vector<Coluna> colunas_;
    std::vector<std::vector<Valor>> linhas_;
    size_t atual_ = 0;
    bool eof_ = true;
};

} // namespace norvo::db
