#pragma once
// Recognition of the expression language: each recogniser tests a subtext of the
// prepared expression against one form. Nested tests are pure and remembered per
// (form, subtext), so chains of '-' and '/' cost polynomial, not exponential, time;
// the classification of a term runs the same code once more and records the
// operand texts it tries, which the syntax-error message shows.
#include "expr/P10Build.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace solvane {

// The subtext [b, e) of the prepared expression; b < 0 is the initial " ".
struct Span {
    int b = -1;
    int e = -1;
    bool IsInitial() const { return b < 0; }
};

// Recognition skips tests whose answer is a sure no (on by default). Off, every
// test runs as the plain rules say; only tests compare the two.
void EnableRecognitionShortcuts(bool enable);

// A node of the term tree while it is built.
struct TermRecord {
    Span text;
    Span left;  // first operand text
    Span right; // second operand text
    std::uint8_t kind = okVariable;
    int depth = 0;
    int position = 0;
    int side = 1;
    double* variable = nullptr; // a variable leaf's cell
    double value = 0;           // a constant leaf's value
};

class Recogniser {
public:
    Recogniser(const std::string& text, const TVariableTable& variables, const TOneArgTable& oneArg,
               const TTwoArgTable& twoArg, bool pascalNumberformat);

    // The whole text without the brackets that enclose all of it.
    Span StripBrackets();

    // Sets the term's kind and operand texts, or raises ESyntaxError.
    void Classify(TermRecord& term);

    enum Operator : std::uint8_t { opPlus, opMinus, opTimes, opSlash, opPower, opDiv, opMod, opCount };

private:
    enum class Scan { Next, Accept, Reject };
    template <typename Visitor>
    bool ForEachOccurrence(Operator op, Span s, bool everyOccurrence, Visitor&& visit);

    enum Form : std::uint8_t {
        fNumber, fBracketed, fTerm, fNegation, fSum, fDifference, fProduct, fIntDivision,
        fModulo, fQuotient, fPower, fCall1, fCall2, fFormCount
    };
    // Outcome of a test: accepted, the stripped text (fBracketed, fTerm), the value
    // (fNumber) or the kind (fPower).
    struct Outcome {
        bool accepted = false;
        std::uint8_t kind = 0;
        Span stripped;
        double value = 0;
    };

    bool SurelyNot(Form form, Span s) const;
    bool WellBracketed(Span s) const;
    bool NoNumberCanFault() const;
    Outcome Test(Form form, Span s); // remembered
    Outcome Run(Form form, Span s);

    bool IsNumber(Span s, double* value = nullptr);
    double* IsVariable(Span s) const;
    bool IsBracketed(Span s, Span* inside = nullptr);
    bool IsTerm(Span s, Span* stripped = nullptr);
    bool IsNegation(Span s, TermRecord* term);
    bool IsSplit(Form form, Span s, TermRecord* term);
    bool IsPower(Span s, TermRecord* term, std::uint8_t* kind);
    bool IsCall1(Span s, TermRecord* term);
    bool IsCall2(Span s, TermRecord* term);

    // The forms themselves. With a term they record the operand texts they try.
    bool NegationBody(Span s, TermRecord* term);
    bool SplitBody(Form form, Span s, TermRecord* term);
    bool PowerBody(Span s, TermRecord* term, std::uint8_t* kind);
    bool Call1Body(Span s, TermRecord* term);
    bool Call2Body(Span s, TermRecord* term);

    // A side of a two-operand operator: variable, number, bracketed (stripped), or
    // one of the forms in the mask, in the order of Form.
    bool SideAccepted(Span s, unsigned forms, Span& accepted);

    bool Balanced(Span s) const { return balance_[s.e] == balance_[s.b]; }
    int FirstOpenBracket(Span s) const;
    std::string Text(Span s) const { return text_.substr(s.b, s.e - s.b); }

    const std::string& text_;
    const TVariableTable& variables_;
    const TOneArgTable& oneArg_;
    const TTwoArgTable& twoArg_;
    const bool pascal_;
    std::size_t longestName_ = 0;
    std::vector<int> balance_;  // '(' minus ')' before each index
    std::vector<int> nextOpen_; // the first '(' at or after each index, or -1
    std::vector<int> nonNumeric_; // count of characters no number holds, before each index
    std::vector<int> nextDrop_;   // the first later index with a lower balance
    bool faultFree_ = false;      // no subtext can be a number that faults
    int minBalance_ = 0;
    std::vector<std::vector<int>> occurrences_[opCount]; // positions per operator and balance
    std::uint64_t steps_ = 0;
    std::unordered_map<std::uint64_t, Outcome> memo_;
};

} // namespace solvane
