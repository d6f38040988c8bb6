#include "common/cp1251.h"

#include <gtest/gtest.h>

namespace korvela {
namespace {

TEST(Cp1251, EveryByteSurvivesARoundTripThroughUnicode) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    const std::string utf8 = cp1251ToUtf8(all);
    EXPECT_TRUE(isValidUtf8(utf8));
    EXPECT_EQ(utf8ToCp1251(utf8), all);
}

TEST(Cp1251, CyrillicAndSignsMapToTheirBytes) {
    EXPECT_EQ(utf8ToCp1251("Имена"), "\xC8\xEC\xE5\xED\xE0");
    EXPECT_EQ(utf8ToCp1251("ЁёЖ"), "\xA8\xB8\xC6");
    EXPECT_EQ(utf8ToCp1251("47° 3'"), "47\xB0 3'");
    EXPECT_EQ(utf8ToCp1251("№"), "\xB9");
    EXPECT_EQ(cp1251ToUtf8("\xD2\xEE\xF7\xEA\xE8"), "Точки");
    EXPECT_EQ(cp1251ToUtf8("plain ASCII"), "plain ASCII");
}

TEST(Cp1251, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(utf8ToCp1251("日本"), "??");
    EXPECT_EQ(utf8ToCp1251("a\xFF"
                           "b"),
              "a?b");                                // not UTF-8
    EXPECT_EQ(utf8ToCp1251("\xD0"), "?");            // cut off sequence
    EXPECT_EQ(utf8ToCp1251("\xC0\xAF"), "??");       // overlong form
    EXPECT_EQ(utf8ToCp1251("\xED\xA0\x80"), "???");  // surrogate
}

TEST(Cp1251, RecognisesValidUtf8) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("ST1"));
    EXPECT_TRUE(isValidUtf8("Пункт 7"));
    EXPECT_FALSE(isValidUtf8("\xCF\xF3\xED\xEA\xF2"));  // Windows-1251 bytes
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));      // beyond U+10FFFF
}

}  // namespace
}  // namespace korvela
