#include <gtest/gtest.h>

#include "texto/Latin1.h"

using namespace norvo::texto;

TEST(Texto, DigitosEAspas)
{
    EXPECT_EQ(SoNumeros("A-00.123"), "00123");
    EXPECT_EQ(SoNumeros("sem"), "");
    EXPECT_EQ(SoNumeros("\xB2\xB3"
                        "1"),
              "1"); // superscripts are not digits

    EXPECT_EQ(Citar(""), "''");
    EXPECT_EQ(Citar("D'AGUA"), "'D''AGUA'");
    EXPECT_EQ(Citar("''"), "''''''");
}

TEST(Texto, Maiusculas)
{
    // à..þ up, ÷ (247) and ÿ (255) unchanged, capitals and ß (223) untouched.
    EXPECT_EQ(MaiusculasLatin1("a\xE0\xE7\xE3\xF6\xF7\xF8\xFE\xFF\xC7\xDF"),
              "A\xC0\xC7\xC3\xD6\xF7\xD8\xDE\xFF\xC7\xDF");
}

TEST(Texto, ReconheceEConverteUtf8)
{
    EXPECT_TRUE(EhUtf8("\xEF\xBB\xBF"
                       "abc"));
    EXPECT_TRUE(EhUtf8("A\xC3\xA7\xC3\xA3o")); // "Ação"
    EXPECT_FALSE(EhUtf8("plain ascii"));
    EXPECT_FALSE(EhUtf8("A\xE7\xE3o"));         // the same word in Latin-1
    EXPECT_FALSE(EhUtf8("\xC3\xA7 then \xE7")); // one invalid byte is enough
    EXPECT_FALSE(EhUtf8("\xC0\x80"));           // overlong NUL
    EXPECT_FALSE(EhUtf8("\xED\xA0\x80"));       // surrogate
    EXPECT_FALSE(EhUtf8("\xF4\x90\x80\x80"));   // above U+10FFFF
    EXPECT_FALSE(EhUtf8("ab\xC3"));             // cut short

    EXPECT_EQ(Utf8ParaLatin1("\xEF\xBB\xBF"
                             "A\xC3\xA7\xC3\xA3o"),
              "A\xE7\xE3o");
    EXPECT_EQ(Utf8ParaLatin1("\xC3\xBF\xC2\xA0"), "\xFF\xA0"); // U+00FF, U+00A0
    EXPECT_EQ(Utf8ParaLatin1("\xE2\x82\xAC"
                             "5 \xF0\x9F\x98\x80"),
              "?5 ?"); // euro, emoji
    EXPECT_EQ(Utf8ParaLatin1("\xEF\xBB\xBF"
                             "a\xE7"
                             "b"),
              "a?b"); // stray byte
    // Each typographic character a word processor puts in, and its neighbours that stay "?".
    for (char32_t c = 0x200F; c <= 0x2027; ++c) {
        const std::string esperado = c >= 0x2010 && c <= 0x2015   ? "-"
                                     : c >= 0x2018 && c <= 0x201B ? "'"
                                     : c >= 0x201C && c <= 0x201F ? "\""
                                     : c == 0x2026                ? "..."
                                                                  : "?";
        const std::string utf8 = {char(0xE2), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        EXPECT_EQ(Utf8ParaLatin1(utf8), esperado) << std::hex << int(c);
    }
    EXPECT_EQ(Utf8ParaLatin1("\xE2\x88\x92"), "-"); // minus sign

    EXPECT_EQ(ParaLatin1("A\xE7\xE3o"), "A\xE7\xE3o");
    EXPECT_EQ(ParaLatin1("A\xC3\xA7\xC3\xA3o"), "A\xE7\xE3o");
    EXPECT_EQ(ParaLatin1("\xEF\xBB\xBF"), "");
}
