#include "common/TestSupport.h"
#include "platform/Codec1251.h"
#include "platform/ConvertError.h"

#include <gtest/gtest.h>

TEST(Codec1251, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(cp1251::FromUtf8(cp1251::ToUtf8(all)), all);
}

TEST(Codec1251, KnownCharacters) {
    struct TCase {
        unsigned char Byte;
        const char* Utf8;
    };
    const TCase cases[] = {{0xC0, "А"}, {0xFF, "я"}, {0xA8, "Ё"}, {0xB8, "ё"}, {0xB9, "№"},
                           {0x96, "–"}, {0x97, "—"}, {0xAB, "«"}, {0xBB, "»"}, {0x88, "€"},
                           {0xA0, "\u00A0"}, {0x85, "…"}, {0xB2, "І"}, {0xA5, "Ґ"}};
    for (const auto& c : cases) {
        EXPECT_EQ(cp1251::ToUtf8(std::string(1, static_cast<char>(c.Byte))), c.Utf8) << int(c.Byte);
        EXPECT_EQ(cp1251::FromUtf8(c.Utf8), std::string(1, static_cast<char>(c.Byte)));
    }
}

TEST(Codec1251, UnrepresentableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(cp1251::FromUtf8("a\xE4\xB8\xAD" "b"), "a?b"); // a Chinese character
    EXPECT_EQ(cp1251::FromUtf8("a\xFF" "b"), "a?b");           // not UTF-8 at all
    EXPECT_EQ(cp1251::FromUtf8("a\xD0"), "a?");                // cut short
    EXPECT_FALSE(cp1251::Utf8Representable("中"));
    EXPECT_TRUE(cp1251::Utf8Representable("Привет, мир — №1"));
}

TEST(Codec1251, CaseMapsCoverCyrillicAndYo) {
    EXPECT_EQ(cp1251::Lower(W("ПРИВЕТ Ёлка ЇЄІЎ STRUCT_Main.TXT")),
              W("привет ёлка їєіў struct_main.txt"));
    EXPECT_EQ(cp1251::Upper(W("ёжик")), W("ЁЖИК"));
    EXPECT_TRUE(cp1251::EqualNoCase(W("Дерево"), W("дЕРЕВО")));
    EXPECT_FALSE(cp1251::EqualNoCase(W("дерево"), W("дерев")));
    // Signs that only look like letters do not change.
    EXPECT_EQ(cp1251::Lower(W("№«»—")), W("№«»—"));
}

TEST(StrToInt, AcceptsDecimalAndHexRejectsTheRest) {
    struct TCase {
        const char* Text;
        bool Ok;
        int Value;
    };
    const TCase cases[] = {{"0", true, 0},          {"-12", true, -12},
                           {" 42 ", true, 42},       {"$FF", true, 255},
                           {"0x10", true, 16},       {"$FFFFFFFF", true, -1},
                           {"2147483647", true, 2147483647},
                           {"-2147483648", true, -2147483647 - 1},
                           {"2147483648", false, 0}, {"", false, 0},
                           {"12x", false, 0},        {"abc", false, 0},
                           {"$", false, 0},          {"$123456789", false, 0},
                           {"-", false, 0},          {"1 2", false, 0}};
    for (const auto& c : cases) {
        if (c.Ok) {
            EXPECT_EQ(StrToInt(c.Text), c.Value) << c.Text;
        } else {
            EXPECT_THROW(StrToInt(c.Text), EConvertError) << c.Text;
            EXPECT_EQ(StrToIntDef(c.Text, 7), 7) << c.Text;
        }
    }
}
