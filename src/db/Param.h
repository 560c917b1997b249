#pragma once
#include "db/Values.h"

#include <cstdint>
#include <memory>
#include <string>

namespace norvo::db {

// One named parameter of a statement: its type is the kind of value last assigned.
class Param {
public:
    enum class Tipo { Nulo, Texto, Inteiro, Moeda, Real, DataHora };
    explicit Param(std::string name) : name_(std::make_shared<const std::string>(std::move(name))) {}

    const std::string& name() const { return *name_; }
    Tipo tipo() const { return tipo_; }
    bool isNull() const { return tipo_ == Tipo::Nulo; }

    void setAsString(std::string v)
    {
        tipo_ = Tipo::Texto;
        texto_ = std::move(v);
    }
    void setAsInteger(std::int32_t v)
    {
        tipo_ = Tipo::Inteiro;
        inteiro_ = v;
    }
    // Ten-thousandths: 12.3456 is 123456.
    void setAsCurrency(std::int64_t v)
    {
        tipo_ = Tipo::Moeda;
        inteiro_ = v;
    }
    void setAsFloat(double v)
    {
        tipo_ = Tipo::Real;
        real_ = v;
    }
    void setAsDateTime(const DateTime& v)
    {
        tipo_ = Tipo::DataHora;
        dataHora_ = v;
    }
    void clear() { tipo_ = Tipo::Nulo; }
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
    // Shared by a statement's parameters and every copy of them (the rows a batch keeps).
    std::shared_ptr<const std::string> name_;
    Tipo tipo_ = Tipo::Nulo;
    std::string texto_;
    std::int64_t inteiro_ = 0;
    double real_ = 0;
    DateTime dataHora_;
};

} // namespace norvo::db
