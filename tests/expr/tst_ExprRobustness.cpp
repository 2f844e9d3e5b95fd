// Random, truncated, deep, long, unbalanced texts and odd bytes: each compiles to a
// program that evaluates to a value or an arithmetic error, or fails with one of the
// engine's errors. Run under the sanitizers, this also checks for leaks and UB.
#include "ExprTestSupport.h"
#include "expr/Recogniser.h"

#include <gtest/gtest.h>

#include <random>

using namespace solvane;

namespace {

const char* const Pieces[] = {"X", "Y", "T", "SID", "2", "0", "1E-5", "1,5", "-", "+", "*", "/", "^", "DIV",
                              "MOD", "(", ")", ",", "LN(", "SIN(", "MAX(", "RND(", "PI", "-PI", "E", "1E999",
                              "1E19", ".", " ", "\t", "\xC0", "\x01", "\r", "SQRT(", "EXP("};

// Feeds one text; fails the test on anything but a value or an engine error.
void Feed(TParser& parser, const std::string& text)
{
    try {
        parser.SetExpression(text);
    } catch (const EMathParserError&) {
        return;
    } catch (const EMathError&) {
        return;
    }
    try {
        parser.Value();
    } catch (const EMathError&) {
    }
}

} // namespace

TEST(ExprRobustness, RandomTextsEndInAValueOrAnEngineError)
{
    std::mt19937 random(20261209);
    TParser parser;
    parser.SetVariable("SID", 0.25);
    parser.X() = 0.5;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int pieces = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < pieces; ++i)
            text += Pieces[random() % std::size(Pieces)];
        ASSERT_NO_FATAL_FAILURE(Feed(parser, text));
        for (std::size_t cut = 0; cut < text.size(); cut += 1 + random() % 5) {
            ASSERT_NO_FATAL_FAILURE(Feed(parser, text.substr(0, cut)));
            ASSERT_NO_FATAL_FAILURE(Feed(parser, text.substr(cut)));
        }
    }
    for (int round = 0; round < 500; ++round) {
        std::string bytes(1 + random() % 30, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() % 256);
        ASSERT_NO_FATAL_FAILURE(Feed(parser, bytes));
    }
}

TEST(ExprRobustness, DeepAndLongTextsFinish)
{
    TParser parser;
    auto repeat = [](std::size_t count, char c, const char* tail) { return std::string(count, c).append(tail); };
    const std::string shapes[] = {
        repeat(20000, '(', "X").append(20000, ')'),
        repeat(3000, '(', "X").append(2999, ')').append("+"),
        repeat(20000, '-', "X"),
        repeat(5000, '(', ""),
    };
    for (const std::string& text : shapes)
        ASSERT_NO_FATAL_FAILURE(Feed(parser, text));
    std::string sum = "X", difference = "X", mixed = "X";
    for (int i = 0; i < 3000; ++i) {
        sum += "+X";
        difference += "-X";
        mixed += i % 2 ? "*X-" : "/(Y)-";
    }
    for (const std::string& text : {sum, difference, mixed + "X"}) {
        try {
            parser.SetExpression(text);
            ADD_FAILURE() << "a chain of 3000 terms compiled";
        } catch (const ETooManyNestings&) {
        } catch (const EExpressionTooComplex&) {
        }
    }
}

TEST(ExprRobustness, ShortcutsOfRecognitionChangeNoOutcome)
{
    // The quick rejections and depth-indexed scans against the rules run plainly.
    const char* const pieces[] = {"X", "Y", "2", "1E5", "-", "+", "*", "/", "^", "DIV", "MOD", "(", ")",
                                  "(", ")", ",", "MAX(", "LN(", "PI", "E", ".", "1E999", "1E19", "3"};
    std::mt19937 random(7);
    TParser parser;
    auto outcome = [&parser](const std::string& text) {
        const std::string compiled = solvane::test::CompileOutcome(parser, text);
        return compiled + " " + solvane::test::ProgramText(parser);
    };
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int count = 1 + static_cast<int>(random() % 20);
        for (int i = 0; i < count; ++i)
            text += pieces[random() % std::size(pieces)];
        EnableRecognitionShortcuts(false);
        const std::string plain = outcome(text);
        EnableRecognitionShortcuts(true);
        ASSERT_EQ(outcome(text), plain) << text;
    }
}
