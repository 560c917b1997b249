#pragma once
// CdsProdutos: the in-memory table that holds the products read from the CSV file until
// an import run walks them. Written whole to its staging file when a changed table is
// closed; never read back.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "texto/Error.h"

namespace norvo::staging {

enum Campo { COD_PRODUTO = 0, DESCRICAO, UNIDADE, ICMS, PIS, COFINS, NCM, VALORVENDA, NumCampos };

enum class TipoCampo { Inteiro, Texto, Dinheiro };

const char* nomeCampo(Campo); // "COD_PRODUTO", ...
TipoCampo tipoCampo(Campo);
int tamanhoCampo(Campo); // characters of a text field, 0 for the others

// A failure of the staging table or of the reading that fills it.
class Error : public norvo::Error {
public:
    using norvo::Error::Error;
};

// The integer rule of the table, texto::textoParaInteiro with hexadecimal digits in 32 bits:
// blanks (codes 0..32) before the number, an optional sign, then decimal digits or
// hexadecimal digits after "$", "x" or "0x" (x in either case). Nothing may follow, and
// the value must fit 32 bits: "$FFFFFFFF" fails rather than wrapping to -1. Empty when
// the text is not such an integer.
std::optional<std::int32_t> lerInteiro(std::string_view texto);

// A price as shops write it, read for the file and for the grid alike. Blanks (codes
// 0..32) at both ends are trimmed; an optional "R$" (either case of R) and blanks may lead.
// Then digits with one decimal mark, "," or "." ("12,50", "12.50", ",5", "5,"); thousands
// are grouped by threes with the other mark ("1.234,56", "1,234.56"), or by one mark that
// appears more than once ("1.234.567"); a single mark alone is decimal ("1.234" is 1.234).
// Beyond four decimals it rounds to the nearest, halves up. No sign and no exponent: a
// negative price is refused and "+" would only hide typos.
struct PrecoLido {
    enum class Estado { Vazio, Valido, Invalido };
    Estado estado = Estado::Vazio;
    std::int64_t valor = 0; // ten-thousandths; 0 unless Valido
};
PrecoLido lerPreco(std::string_view texto);

// What a text field keeps of a text, its storage rule: a NUL ends it; an NCM code written in
// groups of digits ("3402.20.00", "3402 20 00", "3402-20-00") is its digits; the field's size
// cuts it; trailing blanks go. `cortado` when the size took characters that were not blanks.
struct TextoGuardado {
    std::string texto;
    bool cortado = false;
};
TextoGuardado guardarTexto(Campo, std::string_view);

// Money is held in ten-thousandths: texto::decimal(valor, EscalaDinheiro) is its text, with
// no trailing zeros and no decimal point for whole amounts ("12.5", "-0.0001", "7").
constexpr int EscalaDinheiro = -4;

namespace detalhe {

template <std::size_t N>
struct TextoFixo {
    char c[N] = {};
    std::uint8_t n = 0;
    std::string_view vista() const { return {c, n}; }
};
// One record, compact on purpose: a whole product file is held at once.
struct Registro {
    std::string descricao;
    double valor = 0;
    // The text of a price that could not be read, kept to be shown and fixed; null for
    // every readable price, so it costs one pointer.
    std::unique_ptr<const std::string> precoInvalido;
    std::int32_t inteiro[3] = {0, 0, 0}; // COD_PRODUTO, PIS, COFINS
    std::int32_t linha = 0;              // in the product file; 0 for a record typed in the grid
    TextoFixo<3> unidade;
    TextoFixo<3> icms;
    TextoFixo<8> ncm;
    std::uint8_t nulos = 0xFF; // bit per field, set while null
    std::uint8_t marcas = 0;   // bit per field the reading changed or could not read
};

} // namespace detalhe

class StagingTable {
public:
    // The staging file's name; relative, so it lands in the current folder unless placed.
    static constexpr const char* NomeArquivo = "ProdutosTARVEX.cds";
    explicit StagingTable(std::string fileName = NomeArquivo);
    ~StagingTable(); // closes (writes the file when changed); never throws out
    StagingTable(const StagingTable&) = delete;
    StagingTable& operator=(const StagingTable&) = delete;

    const std::string& fileName() const { return fileName_; }
    bool active() const { return aberta_; }

    // Drops a pending record, writes the staging file when the table holds changes and
    // closes. When the file cannot be written the table stays open as it was (minus the
    // pending record), so nothing staged is lost.
    void close();
    void createDataSet(); // closed -> open, 8 fields, no records
    void emptyDataSet();  // remove all; marks changed
    void insert();        // settles a pending record, starts a new one
    void setFieldText(Campo, std::string_view);
    void setFieldMoney(Campo, std::int64_t tenThousandths);
    // A price that could not be read: not null, its text is what asText gives, and reading
    // it as money fails with "Preço inválido: '<texto>'", or for the empty text (a line
    // without the price's field) "Preço ausente: ...". Money fields only.
    void setFieldInvalid(Campo, std::string_view texto);
    // The pending record's line in the product file, and a field the reading changed or
    // could not read (the grid shows it marked until it is edited).
    void setLinha(int linha);
    void marcar(Campo);
    void post();   // store pending; it becomes current
    void cancel(); // drop pending

    void first();
    void next();
    bool eof() const;

    int recordCount() const;
    int recNo() const; // index of the current record, -1 when none
    bool pending() const;

    // Fields of the current record, or of the pending record while there is one.
    std::string asText(Campo) const;
    std::int32_t asInteger(Campo) const;
    std::int64_t asMoney(Campo) const;
    bool isNull(Campo) const;
    bool changed() const; // false while closed

    // Fields of a stored record by its index in walk order, whatever the current record
    // is: an import walks its own position, so moving the grid cannot steer it.
    std::string cellText(int row, Campo) const;
    std::int32_t cellInteger(int row, Campo) const;
    std::int64_t cellMoney(int row, Campo) const;
    int cellLinha(int row) const; // 0 when the record was not read from a file
    bool cellMarcada(int row, Campo) const;

    // For the grid. Its rows are the stored records plus, after "new record", one pending
    // row at the end: that row is stored by the first value assigned to it, and dropped
    // when the grid leaves it, it is deleted or the table closes.
    int gridRowCount() const;
    void setCellText(int row, Campo, std::string_view);
    void appendRecord();
    void deleteRecord(int row);
    void setCurrent(int row);

    // While locked (an import run is walking the table) every change of its records fails;
    // moving the current record is still allowed. Locking settles a pending record first.
    void lock();
    void unlock();
    bool locked() const { return travas_ > 0; }

    // Observer so a Qt model can follow without Qt in this library.
    struct Listener {
        virtual ~Listener() = default;
        virtual void tableReset() = 0;            // rows added, removed, table opened or closed
        virtual void currentChanged(int row) = 0; // -1 when there is no current record
    };
    void setListener(Listener*);
    // While bulk (nestable): no per-record notifications; tableReset at begin and at end.
    void beginBulk();
    void endBulk();

private:
    using Registro = detalhe::Registro;

    void exigirAberta() const;
    void exigirLinha(int row) const;
    void exigirEditavel() const;
    Registro& pendenteEditavel(); // the record being edited or inserted
    static void exigirDinheiro(Campo c);
    void assentar(); // stores the pending record when assigned, drops it otherwise
    const Registro* registroAtual() const;
    static std::int32_t inteiroDe(const Registro*, Campo);
    static std::int64_t dinheiroDe(const Registro*, Campo);
    static std::string_view texto(const Registro&, Campo);
    static void gravarValor(Registro&, Campo, std::string_view); // storage rules, may throw
    static std::string textoCampo(const Registro&, Campo);
    void gravarArquivo() const;
    void avisarReset();
    void avisarAtual();

    std::string fileName_;
    bool aberta_ = false;
    bool alterada_ = false;
    bool fim_ = true;
    int atual_ = -1;
    std::vector<Registro> registros_;
    std::optional<Registro> pendente_;
    bool pendenteAtribuido_ = false;
    bool pendenteNoFim_ = false; // the grid's new row, not the reader's insert
    int travas_ = 0;
    Listener* ouvinte_ = nullptr;
    int emLote_ = 0;
};

} // namespace norvo::staging
