#include "model/text.h"

#include <gtest/gtest.h>

#include <string>

namespace zr740 {
namespace {

TEST(Cp1251, EveryByteSurvivesTheRoundTripExceptTheUnassignedOne)
{
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const auto utf8 = cp1251_to_utf8(byte);
        if (b == 0x98) {
            EXPECT_EQ(utf8, "\xEF\xBF\xBD");
            continue;
        }
        EXPECT_EQ(utf8_to_cp1251(utf8), byte) << "byte " << b;
    }
}

TEST(Cp1251, KnownLetters)
{
    EXPECT_EQ(utf8_to_cp1251("ЗР740"), "\xC7\xD0" "740");
    EXPECT_EQ(utf8_to_cp1251("ёЁ№"), "\xB8\xA8\xB9");
    EXPECT_EQ(cp1251_to_utf8("\xCD\xE5\xF2"), "Нет");
    // Characters the code page lacks, and broken UTF-8, become '?', one per character or bad byte.
    EXPECT_EQ(utf8_to_cp1251("a€b"), "a\x88" "b");
    EXPECT_EQ(utf8_to_cp1251("a中b"), "a?b");
    EXPECT_EQ(utf8_to_cp1251("a\xD0"), "a?");
    EXPECT_EQ(utf8_to_cp1251("\xE4\xB8"), "??");
}

TEST(NoCase, LatinAndCyrillicLettersOfTheCodePage)
{
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"APLY", "aply", true},
        {"0x000A", "0X000a", true},
        {"Сетевые_Параметры", "сетевые_параметры", true},
        {"ЁЖИК", "ёжик", true},
        {"ЇЄІЎҐЂЉЊЋЏЌЃЅЈ", "їєіўґђљњћџќѓѕј", true},
        {"abc", "abd", false},
        {"abc", "abcd", false},
        {"ф", "Х", false},
        {"", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(equals_no_case(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(fold_case(c.a) == fold_case(c.b), c.equal) << c.a << " / " << c.b;
    }
    EXPECT_EQ(to_upper("a.b1 ёж"), "A.B1 ЁЖ");
}

TEST(TextSplitting, FieldsAndItems)
{
    const auto fields = split_fields(" \tparameter  0x0001\t1 int  ");
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0], "parameter");
    EXPECT_EQ(fields[3], "int");
    EXPECT_TRUE(split_fields(" \t ").empty());

    EXPECT_EQ(split_items("a:b::c"), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(split_items(""), (std::vector<std::string>{""}));
    EXPECT_EQ(replace_all("COM12COM", "COM", ""), "12");
    EXPECT_EQ(utf8_length("ЗР740"), 5u);
}

} // namespace
} // namespace zr740
