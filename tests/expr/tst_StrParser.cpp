#include <gtest/gtest.h>

#include "expr/StrParser.h"

using solvane::TStrParser;

TEST(StrParser, SplitsAtEverySeparator)
{
    struct Case {
        std::string separator;
        bool caseSensitive;
        std::string text;
        std::vector<std::string> parts;
    };
    const std::vector<Case> cases = {
        {";", false, "a;b;c", {"a", "b", "c"}},
        {";", false, "a;;b", {"a", "", "b"}},
        {";", false, ";a", {"", "a"}},
        {";", false, "a;", {"a"}},
        {";", false, ";", {""}},
        {";", false, ";;", {"", ""}},
        {";", false, "", {}},
        {";", false, "a ; b", {"a ", " b"}},
        {";", false, "no separator", {"no separator"}},
        {"x", false, "1X2x3", {"1", "2", "3"}},
        {"x", true, "1X2x3", {"1X2", "3"}},
        {"ab", false, "1AB2aB3ab", {"1", "2", "3"}},
        {"ab", false, "aab", {"a"}},
        {"ab", false, "xAbYab", {"x", "Y"}},
        // letters of a part keep their case whatever the search compares
        {"-", false, "Liq-Sol", {"Liq", "Sol"}},
        {"", false, "a;b", {"a;b"}},
        {"", false, "", {}},
        // Cyrillic bytes are not folded: only ASCII letters match across case
        {"\xE0", false, "1\xC0" "2\xE0" "3", {"1\xC0" "2", "3"}},
    };
    TStrParser parser;
    for (const Case& c : cases) {
        parser.DividingString = c.separator;
        parser.CaseSensitive = c.caseSensitive;
        parser.Parts = {"stale"};
        parser.Split(c.text);
        EXPECT_EQ(parser.Parts, c.parts) << "'" << c.text << "' at '" << c.separator << "'";
    }
}

TEST(StrParser, StartsWithEmptySeparatorAndCaseInsensitive)
{
    TStrParser parser;
    EXPECT_EQ(parser.DividingString, "");
    EXPECT_FALSE(parser.CaseSensitive);
    EXPECT_TRUE(parser.Parts.empty());
}
