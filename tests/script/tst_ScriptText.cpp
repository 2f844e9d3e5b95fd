#include "text/NumberFormat.h"
#include "script/ScriptText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace solvane;

namespace {

struct Recorder : TMessageSink {
    std::vector<std::string> texts;
    bool Show(TMessageKind kind, const std::string& text) override
    {
        EXPECT_EQ(kind, TMessageKind::Information);
        texts.push_back(text);
        return false;
    }
};

} // namespace

TEST(StrToNumber, ReadsPlainDecimalsAndReportsTheRest)
{
    struct Case {
        const char* text;
        double value;
        bool valid;
    };
    const Case cases[] = {
        {"0.5", 0.5, true},        {"0,8", 0.8, true},     {"  -12", -12, true},   {"+3", 3, true},
        {"1e3", 1000, true},       {"2.5E-2", 0.025, true}, {".5", 0.5, true},      {"5.", 5, true},
        {"1,5,0", 0, false},       {"abc", 0, false},      {"", 0, false},         {"1e", 0, false},
        {"1 ", 0, false},          {"0x10", 0, false},     {".", 0, false},        {"-", 0, false},
        {"1.2.3", 0, false},       {"inf", 0, false},      {"1e+4", 1e4, true},    {"0,25", 0.25, true},
        {"1e400", 0, false},       {"1e-400", 0, true},    {"-0", -0.0, true},     {"00012", 12, true},
    };
    for (const Case& c : cases) {
        Recorder messages;
        EXPECT_EQ(StrToNumber(c.text, &messages), c.value) << c.text;
        if (c.valid)
            EXPECT_TRUE(messages.texts.empty()) << c.text;
        else
            EXPECT_EQ(messages.texts, std::vector<std::string>{std::string("Invalid number: ") + c.text});
    }
}

TEST(ScriptText, BlanksCaseAndLines)
{
    EXPECT_EQ(StripBlanks(" G L =\t1 *X\x01 "), "GL=1*X");
    EXPECT_EQ(TrimBlanks("\t a b \r"), "a b");
    EXPECT_EQ(AsciiUpper("gl=ln(x)\xe0"), "GL=LN(X)\xe0"); // Cyrillic bytes stay
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(ScriptText, ParameterValuesAreWhatTheirDecimalTextReadsBack)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-40, 40);
    std::vector<double> values{1.0 / 3, 2.0 / 3, -8.31441 * 300, 0.1 + 0.2, 1e15 - 1, 999999999999999.5,
                               0.5e-300, 1.7e308, 123456789012345678.0, 0.000123456789012345678};
    for (int i = 0; i < 20000; ++i)
        values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
    // 16-digit integers ending in 5 are exact halves at the 15th digit.
    std::uniform_int_distribution<long long> sixteenDigits(100000000000000LL, 900719925474099LL);
    for (int i = 0; i < 2000; ++i) {
        const double tie = static_cast<double>(sixteenDigits(random) * 10 + 5);
        values.push_back(tie);
        values.push_back(-tie);
        values.push_back(tie / 1024); // still exact, a half further down
    }
    for (double v : values)
        EXPECT_EQ(RoundToParameterText(v), StrToNumber(FormatGeneral(v), nullptr)) << FormatGeneral(v, '.', 17);
    EXPECT_EQ(RoundToParameterText(0.0), 0.0);
}
