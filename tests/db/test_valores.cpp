// The text rule of a column read as an integer: no server needed.
#include "db/Error.h"
#include "db/Values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

using namespace norvo::db;

namespace {

// What a text value reads as an integer: its value, or the failure's message.
std::string comoInteiro(const std::string& texto)
{
    Valor v;
    v.tipo = Valor::Tipo::Texto;
    v.texto = texto;
    try {
        return std::to_string(v.asInteger());
    } catch (const Error& e) {
        return e.what();
    }
}

} // namespace

TEST(Valores, TextoLidoComoInteiro)
{
    EXPECT_EQ(comoInteiro("  -12"), "-12");
    EXPECT_EQ(comoInteiro("2147483647"), "2147483647");
    // Only spaces may lead, and nothing may follow.
    EXPECT_EQ(comoInteiro("\t12"), "'\t12' is not a valid integer value");
    EXPECT_EQ(comoInteiro("12 "), "'12 ' is not a valid integer value");
    EXPECT_EQ(comoInteiro("$1F"), "'$1F' is not a valid integer value");
    EXPECT_EQ(comoInteiro(""), "'' is not a valid integer value");
    // Read in 64 bits, then held to 32.
    EXPECT_EQ(comoInteiro("3000000000"), "Integer overflow: 3000000000");
    EXPECT_EQ(comoInteiro("-9223372036854775808"), "Integer overflow: -9223372036854775808");
    EXPECT_EQ(comoInteiro("9223372036854775808"), "'9223372036854775808' is not a valid integer value");
}
