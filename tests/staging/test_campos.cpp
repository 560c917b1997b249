#include <gtest/gtest.h>

#include <cstdint>

#include "staging/Campos.h"

using namespace norvo::staging;

TEST(Campos, RegraDosInteiros)
{
    EXPECT_EQ(lerInteiro("07"), 7);
    EXPECT_EQ(lerInteiro("  \t-12"), -12);
    EXPECT_EQ(lerInteiro("+5"), 5);
    EXPECT_EQ(lerInteiro("$1F"), 31);
    EXPECT_EQ(lerInteiro("x1f"), 31);
    EXPECT_EQ(lerInteiro("0X10"), 16);
    EXPECT_EQ(lerInteiro("-$10"), -16);
    EXPECT_EQ(lerInteiro("2147483647"), 2147483647);
    EXPECT_EQ(lerInteiro("-2147483648"), INT32_MIN);
    EXPECT_EQ(lerInteiro("00000000000000000009"), 9);
    for (const char* ruim : {"", "   ", "7 ", "2147483648", "-2147483649", "12345678901", "$FFFFFFFF", "1A", "$", "0x",
                             "+", "- 1", "1.0", "P1", "$G"})
        EXPECT_FALSE(lerInteiro(ruim).has_value()) << ruim;
}
