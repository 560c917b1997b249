// The text helpers every layer shares: blanks, names, integers and decimals.
#include "texto/Texto.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

using namespace norvo::texto;

TEST(Texto, BrancosEAparar)
{
    // Codes 0..32, the default.
    EXPECT_TRUE(EhBranco(""));
    EXPECT_TRUE(EhBranco(std::string(" \t\r\n\0\x20", 6)));
    EXPECT_FALSE(EhBranco(" \xA0 ")); // no-break space (160) is not a blank
    EXPECT_FALSE(EhBranco("  x"));
    EXPECT_TRUE(EhBranco('\x1f'));
    EXPECT_FALSE(EhBranco('!'));
    EXPECT_EQ(Aparar(std::string("\0 \tab c\r\n ", 10)), "ab c");
    EXPECT_EQ(Aparar("   "), "");
    EXPECT_EQ(Aparar("\xA0x\xA0"), "\xA0x\xA0");

    // C's isspace: the other control characters are kept.
    EXPECT_TRUE(EhBranco(" \t\v\f\r\n", Brancos::IsSpace));
    EXPECT_FALSE(EhBranco(std::string(1, '\0'), Brancos::IsSpace));
    EXPECT_FALSE(EhBranco("\x1f", Brancos::IsSpace));
    EXPECT_EQ(Aparar(" \t\v\f\x01valor\x01\r\n", Brancos::IsSpace), "\x01valor\x01");
    EXPECT_EQ(Aparar(std::string("\0 a \0", 5), Brancos::IsSpace), std::string("\0 a \0", 5));
    EXPECT_EQ(Aparar("\v\f", Brancos::IsSpace), "");

    // The space alone.
    EXPECT_TRUE(EhBranco("   ", Brancos::Espaco));
    EXPECT_FALSE(EhBranco(" \t ", Brancos::Espaco));
    EXPECT_EQ(Aparar("  a b  ", Brancos::Espaco), "a b");
    EXPECT_EQ(Aparar("\t a \r", Brancos::Espaco), "\t a \r");
}

TEST(Texto, NomesSemCaixa)
{
    EXPECT_TRUE(mesmoNome("pro_codigo", "PRO_CODIGO"));
    EXPECT_TRUE(mesmoNome("", ""));
    EXPECT_FALSE(mesmoNome("OLD_", "OLD"));
    EXPECT_FALSE(mesmoNome("A", "B"));
    // Only ASCII letters fold: not the Latin-1 ones, nor the punctuation 32 codes apart.
    EXPECT_FALSE(mesmoNome("\xE7", "\xC7"));
    EXPECT_FALSE(mesmoNome("@[", "`{"));

    EXPECT_EQ(minusculas("ISC_DPB_User_Name1"), "isc_dpb_user_name1");
    EXPECT_EQ(minusculas("\xC7\xC3O@["), "\xC7\xC3o@[");
}

TEST(Texto, InteirosPelaRegra)
{
    using Lido = std::optional<std::int64_t>;
    // The default: blanks 0..32 before, a sign, decimal digits, 64 bits.
    EXPECT_EQ(textoParaInteiro("42"), Lido(42));
    EXPECT_EQ(textoParaInteiro(" \t\r-007"), Lido(-7));
    EXPECT_EQ(textoParaInteiro("+0"), Lido(0));
    EXPECT_EQ(textoParaInteiro("9223372036854775807"), Lido(INT64_MAX));
    EXPECT_EQ(textoParaInteiro("-9223372036854775808"), Lido(INT64_MIN));
    EXPECT_EQ(textoParaInteiro("00000000000000000000000000001"), Lido(1));
    for (const char* ruim : {"", "   ", "-", "+", "7 ", "- 7", "1e3", "1.0", "0x10", "$1F", "x1", "9223372036854775808",
                             "-9223372036854775809", "99999999999999999999"})
        EXPECT_FALSE(textoParaInteiro(ruim).has_value()) << ruim;

    // Spaces alone before the number.
    const RegraInteiro espacos{.brancos = Brancos::Espaco};
    EXPECT_EQ(textoParaInteiro("   12", espacos), Lido(12));
    EXPECT_FALSE(textoParaInteiro("\t12", espacos).has_value());

    // Hexadecimal in 32 bits: the staging table's rule, never wrapping.
    const RegraInteiro hex32{.hexadecimal = true, .bits = 32};
    EXPECT_EQ(textoParaInteiro("$7FFFFFFF", hex32), Lido(INT32_MAX));
    EXPECT_EQ(textoParaInteiro("-$80000000", hex32), Lido(INT32_MIN));
    EXPECT_EQ(textoParaInteiro("0xff", hex32), Lido(255));
    EXPECT_EQ(textoParaInteiro("X1a", hex32), Lido(26));
    EXPECT_EQ(textoParaInteiro("0", hex32), Lido(0));
    EXPECT_EQ(textoParaInteiro("2147483647", hex32), Lido(INT32_MAX));
    for (const char* ruim : {"$80000000", "$FFFFFFFF", "-$80000001", "2147483648", "$", "0x", "$-1", "$G", "0x 1"})
        EXPECT_FALSE(textoParaInteiro(ruim, hex32).has_value()) << ruim;
}

TEST(Texto, DecimaisSemZerosNoFim)
{
    // Money in ten-thousandths.
    EXPECT_EQ(decimal(123456, -4), "12.3456");
    EXPECT_EQ(decimal(125000, -4), "12.5");
    EXPECT_EQ(decimal(-5, -4), "-0.0005");
    EXPECT_EQ(decimal(70000, -4), "7");
    EXPECT_EQ(decimal(0, -4), "0");
    EXPECT_EQ(decimal(INT64_MIN, -4), "-922337203685477.5808");
    // Other scales of NUMERIC columns.
    EXPECT_EQ(decimal(123450, -2), "1234.5");
    EXPECT_EQ(decimal(-100, -2), "-1");
    EXPECT_EQ(decimal(7, -1), "0.7");
    EXPECT_EQ(decimal(INT64_MAX, 0), "9223372036854775807");
    EXPECT_EQ(decimal(5, 2), "500");
    EXPECT_EQ(decimal(0, 3), "0");
}
