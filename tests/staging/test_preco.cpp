#include <gtest/gtest.h>

#include <cstdint>

#include "staging/Preco.h"

using namespace norvo::staging;

TEST(Preco, FormasLidasERecusadas)
{
    using E = PrecoLido::Estado;
    const struct {
        const char* texto;
        E estado;
        std::int64_t valor;
    } casos[] = {
        {"12.50", E::Valido, 125000},
        {"12,50", E::Valido, 125000},
        {"0,5", E::Valido, 5000},
        {"0.5", E::Valido, 5000},
        {",5", E::Valido, 5000},
        {"5,", E::Valido, 50000},
        {" \t 3 \r", E::Valido, 30000},
        {"1234567.89", E::Valido, 12345678900},
        {"1.234", E::Valido, 12340}, // one mark alone is decimal
        {"1,234", E::Valido, 12340},
        {"1.234,56", E::Valido, 12345600},
        {"1,234.56", E::Valido, 12345600},
        {"1.234.567", E::Valido, 12345670000}, // repeated: thousands
        {"1,234,567", E::Valido, 12345670000},
        {"1.234.567,89", E::Valido, 12345678900},
        {"R$ 29,90", E::Valido, 299000},
        {"r$1.234,5", E::Valido, 12345000},
        {"0.00005", E::Valido, 1}, // halves up
        {"0.000049999", E::Valido, 0},
        {"1.00005", E::Valido, 10001}, // exact, not binary-rounded
        {"922337203685477.5807", E::Valido, INT64_MAX},
        {"", E::Vazio, 0},
        {" \t ", E::Vazio, 0},
        {"922337203685477.5808", E::Invalido, 0}, // beyond the 64-bit range
        {"99999999999999999999", E::Invalido, 0},
        {"-5", E::Invalido, 0},
        {"+5", E::Invalido, 0},
        {"+,5", E::Invalido, 0},
        {"-1.234.567,89", E::Invalido, 0},
        {"-0.00005", E::Invalido, 0},
        {"1E3", E::Invalido, 0},
        {"1,5E2", E::Invalido, 0},
        {"25e-1", E::Invalido, 0},
        {"R$", E::Invalido, 0},
        {"R$ ,", E::Invalido, 0},
        {"12a", E::Invalido, 0},
        {"12.5.0", E::Invalido, 0},
        {"1.23.456", E::Invalido, 0},
        {"12.34,5", E::Invalido, 0},
        {"1.234,56,7", E::Invalido, 0},
        {"1.234,5.6", E::Invalido, 0},
        {"1,2,3", E::Invalido, 0},
        {"1 0", E::Invalido, 0},
        {",", E::Invalido, 0},
        {"12.50;", E::Invalido, 0},
        {"0x10", E::Invalido, 0},
        {"$ 10", E::Invalido, 0},
    };
    for (const auto& c : casos) {
        const PrecoLido p = lerPreco(c.texto);
        EXPECT_EQ(p.estado, c.estado) << c.texto;
        EXPECT_EQ(p.valor, c.valor) << c.texto;
    }
    for (const char* ruim : {"abc", "-", "1e", "1e+", "1e300", "1e-300", "-922337203685477.5808"})
        EXPECT_EQ(lerPreco(ruim).estado, E::Invalido) << ruim;
}
