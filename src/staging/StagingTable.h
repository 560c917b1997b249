#pragma once
// CdsProdutos: the in-memory table that holds the products read from the CSV file until
// an import run walks them. Written whole to its staging file when a changed table is
// closed; never read back. The fields, the price reader and the failure come with it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "staging/Campos.h"
#include "staging/Error.h"
#include "staging/Preco.h"
#include "staging/Registro.h"

namespace norvo::staging {

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
    bool cellNull(int row, Campo) const;
    // Marks a stored record's field (what the reading found once every line was read).
    void marcarCelula(int row, Campo);

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

    void esvaziar(); // drops the records and gives their memory back
    void exigirAberta() const;
    void exigirLinha(int row) const;
    void exigirEditavel() const;
    Registro& pendenteEditavel();          // the record being edited or inserted
    void assentar();                       // stores the pending record when assigned, drops it otherwise
    const Registro& registroAtual() const; // an empty record when there is none
    void avisarReset();
    void avisarAtual();

    std::string fileName_;
    bool aberta_ = false;
    bool alterada_ = false;
    bool fim_ = true;
    int atual_ = -1;
    detalhe::Registros registros_;
    detalhe::Textos textos_; // the records' descriptions and unreadable prices, the pending one's too
    std::optional<Registro> pendente_;
    bool pendenteAtribuido_ = false;
    bool pendenteNoFim_ = false; // the grid's new row, not the reader's insert
    int travas_ = 0;
    Listener* ouvinte_ = nullptr;
    int emLote_ = 0;
};

} // namespace norvo::staging
