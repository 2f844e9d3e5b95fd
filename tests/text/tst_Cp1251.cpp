#include "text/Cp1251.h"

#include <gtest/gtest.h>

using solvane::Cp1251ToUtf8;
using solvane::Utf8ToCp1251;

TEST(Cp1251, RoundTripsEveryAssignedByte)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98)
            all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, KnownTexts)
{
    // "P = 1 бар, T = 300 K" is exactly 20 bytes in Windows-1251.
    const std::string utf8 = "P = 1 \xD0\xB1\xD0\xB0\xD1\x80, T = 300 K";
    const std::string bytes = Utf8ToCp1251(utf8);
    EXPECT_EQ(bytes.size(), 20u);
    EXPECT_EQ(bytes.substr(6, 3), "\xE1\xE0\xF0");
    EXPECT_EQ(Cp1251ToUtf8(bytes), utf8);
    EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8\xB9"), "\xD0\x81\xD1\x91\xE2\x84\x96"); // Ё ё №
}

TEST(Cp1251, UnmappableAndMalformedInputBecomesQuestionMarks)
{
    EXPECT_EQ(Utf8ToCp1251("\xE4\xB8\xAD"), "?");     // a CJK character
    EXPECT_EQ(Utf8ToCp1251("a\xC3"), "a?");           // truncated sequence
    EXPECT_EQ(Utf8ToCp1251("\xFF" "b"), "?b");        // invalid lead byte
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");  // the unassigned byte
}
