#include "text/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using solvane::FormatFloat;
using solvane::FormatGeneral;

TEST(NumberFormat, Patterns)
{
    struct Case {
        const char* pattern;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"0.########", 0.0, "0"},
        {"0.########", 0.01, "0.01"},
        {"0.########", 0.3, "0.3"},
        {"0.########", 1.0 / 3.0, "0.33333333"},
        {"0.########", 0.999999999, "1"},
        {"0.##", 0.125, "0.13"},              // an exact tie rounds away from zero
        {"0.########", 0.123456785, "0.12345678"}, // the double lies just below the tie
        {"0.######", 1000.0, "1000"},
        {"0.######", -12.5, "-12.5"},
        {"0.######", -0.0000001, "0"}, // no sign on a value that rounds to zero
        {"0.####", 0.00005, "0.0001"},
        {"0.###", 2.0005, "2.001"},
        {"0.###", 0.125, "0.125"},
        {"#,##0.##", 1234567.891, "1,234,567.89"},
        {"#,##0.##", 0.5, "0.5"},
        {"#,##0.##", 999.999, "1,000"},
        {"0.####e-0", 1e-6, "1e-6"},
        {"0.####e-0", 1.23456e-7, "1.2346e-7"},
        {"0.####e-0", 12345.0, "1.2345e4"},
        {"0.####e-0", 0.0, "0e0"},
        {"0.####e-00", 1e-6, "1e-06"},
        {"0.####e-00", -9.99996e-6, "-1e-05"},
        {"0.####e-00", 1e100, "1e100"},
        {"0.######", 1e20, "1E20"}, // too large for a fixed pattern: general format
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected) << c.pattern << " " << c.value;
}

TEST(NumberFormat, DecimalSeparatorIsAParameter)
{
    EXPECT_EQ(FormatFloat("0.######", 0.25, {',', ' '}), "0,25");
    EXPECT_EQ(FormatFloat("#,##0.##", 12345.5, {',', ' '}), "12 345,5");
    EXPECT_EQ(FormatGeneral(0.5, ','), "0,5");
}

TEST(NumberFormat, General)
{
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {0.0, "0"},
        {800.0, "800"},
        {0.5, "0.5"},
        {-8.31441, "-8.31441"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1.5e-10, "1.5E-10"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {1e20, "1E20"},
        {2.0 / 3.0 * 1e5, "66666.6666666667"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::nan(""), "NAN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral(c.value), c.expected) << c.value;
}

TEST(NumberFormat, ReadoutOfTheDiagram)
{
    struct Case {
        double value;
        char separator;
        const char* text;
    };
    const Case cases[] = {
        {0.5, '.', "5.0000E-001 "},  {1, '.', "1.000       "},   {1500, '.', "1500.000    "},
        {-0.25, '.', "-2.5000E-001"}, {0, '.', "0.0000E+000 "},  {0.000123456, ',', "1,2346E-004 "},
        {-1, ',', "-1,000      "},   {1e-120, '.', "1.0000E-120 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(solvane::FormatReadout(c.value, c.separator), c.text) << c.value;
}
