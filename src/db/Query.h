#pragma once
#include "db/Handles.h"
#include "db/Values.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace norvo::db {

class Database;
class Transaction;

// One named parameter of a statement: its type is the kind of value last assigned.
class Param {
public:
    enum class Tipo { Unassigned, Text, Integer, Currency, Float, DateTime };
    explicit Param(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    Tipo tipo() const { return tipo_; }
    bool isNull() const { return tipo_ == Tipo::Unassigned; }

    void setAsString(std::string v)
    {
        tipo_ = Tipo::Text;
        texto_ = std::move(v);
    }
    void setAsInteger(std::int32_t v)
    {
        tipo_ = Tipo::Integer;
        inteiro_ = v;
    }
    // Ten-thousandths: 12.3456 is 123456.
    void setAsCurrency(std::int64_t v)
    {
        tipo_ = Tipo::Currency;
        inteiro_ = v;
    }
    void setAsFloat(double v)
    {
        tipo_ = Tipo::Float;
        real_ = v;
    }
    void setAsDateTime(const DateTime& v)
    {
        tipo_ = Tipo::DateTime;
        dataHora_ = v;
    }
    void clear() { tipo_ = Tipo::Unassigned; }
    // Takes over another parameter's type and value, keeping this one's name.
    void copiarValor(const Param& o)
    {
        tipo_ = o.tipo_, texto_ = o.texto_, inteiro_ = o.inteiro_, real_ = o.real_, dataHora_ = o.dataHora_;
    }

    const std::string& texto() const { return texto_; }
    std::int64_t inteiro() const { return inteiro_; }
    double real() const { return real_; }
    const DateTime& dataHora() const { return dataHora_; }

private:
    std::string name_;
    Tipo tipo_ = Tipo::Unassigned;
    std::string texto_;
    std::int64_t inteiro_ = 0;
    double real_ = 0;
    DateTime dataHora_;
};

class Query;

// A column of the current row.
class Field {
public:
    Field(const Query* q, size_t index) : q_(q), index_(index) {}
    const std::string& name() const;
    std::string asString() const { return valor().asString(); }
    std::int32_t asInteger() const { return valor().asInteger(); }
    DateTime asDateTime() const { return valor().asDateTime(); }
    bool isNull() const { return valor().isNull(); }
    const Valor& valor() const;

private:
    const Query* q_;
    size_t index_;
};

// One SQL statement with named parameters, executed or opened and walked.
class Query {
public:
    explicit Query(std::string objectName = {});
    virtual ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    const std::string& objectName() const { return objectName_; }
    virtual void setDatabase(Database* db);
    virtual void setTransaction(Transaction* t);
    Database* database() const { return database_; }
    Transaction* transaction() const { return transaction_; }

    // The statement text as lines; every change closes the query, releases its prepared
    // statement and rebuilds the parameters, carrying values over by name.
    void clearSQL();
    void addLine(std::string_view linha);
    void setSQL(std::string_view texto);
    const std::vector<std::string>& sql() const { return linhas_; }
    std::string text() const; // each line followed by CR LF

    Param& paramByName(std::string_view nome);
    std::vector<Param>& params() { return params_; }
    void clearParams();

    void execute();
    void open();
    void close();
    bool isOpen() const { return aberta_; }
    bool prepared() const { return static_cast<bool>(stmt_); }

    void first();
    void next();
    bool eof() const { return eof_; }
    bool isEmpty() const { return linhasLidas_.empty(); }
    int recordCount() const { return static_cast<int>(linhasLidas_.size()); }

    Field fieldByName(std::string_view nome) const;
    size_t fieldCount() const { return colunas_.size(); }

    // Called by the transaction's commit and the database's disconnect.
    void fecharEDespreparar() noexcept;

protected:
    friend class Field;
    struct Coluna {
        std::string nome;
        short tipo;
        short escala;
        short tamanho;
        short subtipo;
    };
    // Fields of the current row, for the data set's editing.
    std::vector<Valor>& linhaAtual() { return linhasLidas_[atual_]; }
    const std::vector<Coluna>& colunas() const { return colunas_; }
    std::vector<std::vector<Valor>>& linhasLidas() { return linhasLidas_; }
    size_t indiceAtual() const { return atual_; }
    void setIndiceAtual(size_t i) { atual_ = i; }
    int indiceCampo(std::string_view nome) const; // -1 when none
    void alterarTexto(std::vector<std::string> novas);
    void exigirLigacoes() const;
    void garantirPreparada();

private:
    void buscar();
    void vincular();
    Valor decodificar(size_t i);
    void lerBlob(ISC_QUAD id, std::string& out);

    std::string objectName_;
    Database* database_ = nullptr;
    Transaction* transaction_ = nullptr;
    std::vector<std::string> linhas_;
    std::string textoServidor_;
    std::vector<Param> params_;

    StatementHandle stmt_;
    int tipoComando_ = 0;
    std::vector<char> entrada_; // XSQLDA of the parameters
    std::vector<char> saida_;   // XSQLDA of the columns
    struct BufferEntrada;
    std::vector<std::unique_ptr<BufferEntrada>> buffersEntrada_;
    std::vector<std::vector<char>> buffersSaida_;
    std::vector<short> indSaida_;
    std::vector<Coluna> colunas_;

    bool aberta_ = false;
    bool eof_ = true;
    bool cursorAberto_ = false;
    std::vector<std::vector<Valor>> linhasLidas_;
    size_t atual_ = 0;
};

} // namespace norvo::db
