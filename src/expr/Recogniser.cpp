// The recognisers of the expression language, in the order the language tries them.
#include "Recogniser.h"

#include "MathErrors.h"

#include <cmath>
#include <string_view>

namespace solvane {

namespace {

constexpr unsigned Bit(int form)
{
    return 1u << form;
}

// Two-operand operators: what each side may be besides a variable, a number or a
// bracketed term. Left sides never hold a sum; right sides of '-', '*' and the
// division family hold nothing looser than themselves.
struct SplitRule {
    char symbol;            // '+', '-', '*', '/', or 0 for a word
    const char* word;       // "DIV", "MOD"
    unsigned left, right;   // masks over the forms
};

} // namespace

Recogniser::Recogniser(const std::string& text, const TVariableTable& variables,
                       const TOneArgTable& oneArg, const TTwoArgTable& twoArg, bool pascalNumberformat)
    : text_(text), variables_(variables), oneArg_(oneArg), twoArg_(twoArg), pascal_(pascalNumberformat)
{
    for (const auto& entry : variables_)
        longestName_ = std::max(longestName_, entry.first.size());
    balance_.resize(text_.size() + 1);
    nextOpen_.resize(text_.size() + 1);
    int balance = 0;
    for (std::size_t i = 0; i < text_.size(); ++i) {
        balance_[i] = balance;
        balance += text_[i] == '(' ? 1 : text_[i] == ')' ? -1 : 0;
    }
    balance_[text_.size()] = balance;
    int next = -1;
    for (std::size_t i = text_.size() + 1; i-- > 0;) {
        if (i < text_.size() && text_[i] == '(')
            next = static_cast<int>(i);
        nextOpen_[i] = next;
    }
    memo_.reserve(256);
}

Span Recogniser::StripBrackets()
{
    Span root{0, static_cast<int>(text_.size())};
    Span inside;
    while (IsBracketed(root, &inside))
        root = inside;
    return root;
}

void Recogniser::Classify(TermRecord& term)
{
    const Span s = term.text;
    if (double* cell = IsVariable(s)) {
        term.kind = okVariable;
        term.variable = cell;
        return;
    }
    if (IsNumber(s, &term.value)) {
        term.kind = okConstant;
        return;
    }
    if (IsNegation(s, &term)) {
        term.kind = okNegate;
        return;
    }
    static constexpr std::pair<std::uint8_t, std::uint8_t> splits[] = {
        {fSum, okAdd}, {fDifference, okSubtract}, {fProduct, okMultiply},
        {fIntDivision, okIntDivide}, {fModulo, okModulo}, {fQuotient, okDivide}};
    for (auto [form, kind] : splits) {
        if (IsSplit(static_cast<Form>(form), s, &term)) {
            term.kind = kind;
            return;
        }
    }
    if (IsPower(s, &term, &term.kind))
        return;
    if (IsCall1(s, &term)) {
        term.kind = okCall1;
        return;
    }
    if (IsCall2(s, &term)) {
        term.kind = okCall2;
        return;
    }
    // The message shows the last split tried, or the term when none was.
    std::string message = "Error parsing expression:\r";
    if (term.left.IsInitial() && term.right.IsInitial()) {
        message += Text(s);
    } else {
        message += term.left.IsInitial() ? std::string(" ") : Text(term.left);
        message += '\r';
        message += term.right.IsInitial() ? std::string(" ") : Text(term.right);
    }
    throw ESyntaxError(message);
}

Recogniser::Outcome Recogniser::Test(Form form, Span s)
{
    const std::uint64_t key = (std::uint64_t(form) << 50) | (std::uint64_t(s.b) << 25) | std::uint64_t(s.e);
    if (auto found = memo_.find(key); found != memo_.end())
        return found->second;
    const Outcome outcome = Run(form, s);
    memo_.emplace(key, outcome);
    return outcome;
}

Recogniser::Outcome Recogniser::Run(Form form, Span s)
{
    Outcome outcome;
    switch (form) {
    case fNumber:
        outcome.accepted = ReadNumber(Text(s), pascal_, outcome.value);
        break;
    case fBracketed:
        if (s.e - s.b >= 2 && text_[s.b] == '(' && text_[s.e - 1] == ')')
            outcome.accepted = IsTerm({s.b + 1, s.e - 1}, &outcome.stripped);
        break;
    case fTerm:
        outcome.stripped = s;
        if (s.e == s.b)
            break;
        outcome.accepted = IsNumber(s) || IsVariable(s) || IsNegation(s, nullptr) ||
                           IsSplit(fSum, s, nullptr) || IsSplit(fDifference, s, nullptr) ||
                           IsSplit(fProduct, s, nullptr) || IsSplit(fIntDivision, s, nullptr) ||
                           IsSplit(fModulo, s, nullptr) || IsSplit(fQuotient, s, nullptr) ||
                           IsPower(s, nullptr, nullptr) || IsCall2(s, nullptr) || IsCall1(s, nullptr) ||
                           IsBracketed(s, &outcome.stripped);
        break;
    case fNegation:
        outcome.accepted = NegationBody(s, nullptr);
        break;
    case fPower:
        outcome.accepted = PowerBody(s, nullptr, &outcome.kind);
        break;
    case fCall1:
        outcome.accepted = Call1Body(s, nullptr);
        break;
    case fCall2:
        outcome.accepted = Call2Body(s, nullptr);
        break;
    default:
        outcome.accepted = SplitBody(form, s, nullptr);
        break;
    }
    return outcome;
}

bool Recogniser::IsNumber(Span s, double* value)
{
    const Outcome outcome = Test(fNumber, s);
    if (outcome.accepted && value)
        *value = outcome.value;
    return outcome.accepted;
}

double* Recogniser::IsVariable(Span s) const
{
    const auto length = static_cast<std::size_t>(s.e - s.b);
    if (length == 0 || length > longestName_)
        return nullptr;
    const auto found = variables_.find(std::string_view(text_).substr(s.b, length));
    return found == variables_.end() ? nullptr : found->second;
}

bool Recogniser::IsBracketed(Span s, Span* inside)
{
    const Outcome outcome = Test(fBracketed, s);
    if (outcome.accepted && inside)
        *inside = outcome.stripped;
    return outcome.accepted;
}

bool Recogniser::IsTerm(Span s, Span* stripped)
{
    const Outcome outcome = Test(fTerm, s);
    if (outcome.accepted && stripped)
        *stripped = outcome.stripped;
    return outcome.accepted;
}

bool Recogniser::IsNegation(Span s, TermRecord* term)
{
    return term ? NegationBody(s, term) : Test(fNegation, s).accepted;
}

bool Recogniser::IsSplit(Form form, Span s, TermRecord* term)
{
    return term ? SplitBody(form, s, term) : Test(form, s).accepted;
}

bool Recogniser::IsPower(Span s, TermRecord* term, std::uint8_t* kind)
{
    if (term)
        return PowerBody(s, term, kind);
    const Outcome outcome = Test(fPower, s);
    if (outcome.accepted && kind)
        *kind = outcome.kind;
    return outcome.accepted;
}

bool Recogniser::IsCall1(Span s, TermRecord* term)
{
    return term ? Call1Body(s, term) : Test(fCall1, s).accepted;
}

bool Recogniser::IsCall2(Span s, TermRecord* term)
{
    return term ? Call2Body(s, term) : Test(fCall2, s).accepted;
}

bool Recogniser::NegationBody(Span s, TermRecord* term)
{
    if (s.e == s.b || text_[s.b] != '-')
        return false;
    const Span rest{s.b + 1, s.e};
    if (term)
        term->left = rest;
    Span inside;
    if (IsBracketed(rest, &inside)) {
        if (term)
            term->left = inside;
        return true;
    }
    return IsNumber(rest) || IsVariable(rest) || IsPower(rest, nullptr, nullptr) ||
           IsCall1(rest, nullptr) || IsCall2(rest, nullptr);
}

bool Recogniser::SplitBody(Form form, Span s, TermRecord* term)
{
    constexpr unsigned tight = Bit(fIntDivision) | Bit(fModulo) | Bit(fQuotient) | Bit(fPower) |
                               Bit(fCall1) | Bit(fCall2);
    constexpr unsigned calls = Bit(fPower) | Bit(fCall1) | Bit(fCall2);
    constexpr unsigned sumLeft = Bit(fNegation) | Bit(fDifference) | Bit(fProduct) | tight;
    static const SplitRule sum{'+', nullptr, sumLeft, Bit(fSum) | Bit(fDifference) | Bit(fProduct) | tight};
    static const SplitRule difference{'-', nullptr, sumLeft, Bit(fProduct) | tight};
    static const SplitRule product{'*', nullptr, Bit(fNegation) | tight, Bit(fProduct) | tight};
    static const SplitRule quotient{'/', nullptr, Bit(fNegation) | tight, calls};
    static const SplitRule intDivision{0, "DIV", Bit(fNegation) | tight, calls};
    static const SplitRule modulo{0, "MOD", Bit(fNegation) | tight, calls};
    const SplitRule& rule = form == fSum          ? sum
                            : form == fDifference ? difference
                            : form == fProduct    ? product
                            : form == fQuotient   ? quotient
                            : form == fIntDivision ? intDivision
                                                   : modulo;

    const std::string_view view(text_.data() + s.b, static_cast<std::size_t>(s.e - s.b));
    const std::size_t width = rule.symbol ? 1 : 3;
    for (std::size_t found = rule.symbol ? view.find(rule.symbol) : view.find(rule.word);
         found != std::string_view::npos;
         found = rule.symbol ? view.find(rule.symbol, found + 1) : view.find(rule.word, found + 1)) {
        const int k = s.b + static_cast<int>(found);
        if (k == s.b) {
            if (form == fDifference || !rule.symbol)
                continue; // a leading '-' or word is passed over
            return false;
        }
        if (k == s.e - 1)
            return false;
        const Span left{s.b, k};
        const Span right{k + static_cast<int>(width), s.e};
        if (term) {
            term->left = left;
            term->right = right;
        }
        if (!Balanced(left) || !Balanced(right))
            continue;
        Span acceptedLeft, acceptedRight;
        if (!SideAccepted(left, rule.left, acceptedLeft))
            continue;
        if (term)
            term->left = acceptedLeft;
        if (!SideAccepted(right, rule.right, acceptedRight))
            continue;
        if (term)
            term->right = acceptedRight;
        return true;
    }
    return false;
}

bool Recogniser::SideAccepted(Span s, unsigned forms, Span& accepted)
{
    accepted = s;
    if (IsVariable(s) || IsNumber(s))
        return true;
    if (IsBracketed(s, &accepted))
        return true;
    for (int form = fNegation; form <= fCall2; ++form) {
        if (!(forms & Bit(form)))
            continue;
        const bool ok = form == fNegation ? IsNegation(s, nullptr)
                        : form == fPower  ? IsPower(s, nullptr, nullptr)
                        : form == fCall1  ? IsCall1(s, nullptr)
                        : form == fCall2  ? IsCall2(s, nullptr)
                                          : IsSplit(static_cast<Form>(form), s, nullptr);
        if (ok)
            return true;
    }
    return false;
}

namespace {

// The kind of "a^v" for a number v: square, cube and fourth power for 2, 3, 4, an
// integer power for other integral values in the 32-bit range, else a general power.
std::uint8_t ExponentKind(double v)
{
    if (!(std::fabs(v) < 9223372036854775808.0))
        throw EInvalidOp(); // cannot be truncated to a 64-bit integer
    const auto wide = static_cast<std::int64_t>(v);
    const auto t = static_cast<std::int32_t>(wide); // keeps the low 32 bits
    if (static_cast<double>(t) != v)
        return okPower;
    switch (t) {
    case 2: return okSquare;
    case 3: return okCube;
    case 4: return okFourthPower;
    default: return okIntPower;
    }
}

} // namespace

bool Recogniser::PowerBody(Span s, TermRecord* term, std::uint8_t* kind)
{
    for (int k = s.b; k < s.e; ++k) {
        if (text_[k] != '^')
            continue;
        if (k == s.b || k == s.e - 1)
            return false;
        const Span left{s.b, k};
        const Span right{k + 1, s.e};
        if (term) {
            term->left = left;
            term->right = right;
        }
        if (!Balanced(left) || !Balanced(right))
            continue;
        Span base = left;
        const bool baseOk = IsVariable(left) || IsNumber(left) || IsBracketed(left, &base) ||
                            IsCall1(left, nullptr) || IsCall2(left, nullptr);
        if (!baseOk)
            continue;
        if (term)
            term->left = base;
        double exponent = 0;
        if (IsNumber(right, &exponent)) {
            const std::uint8_t exponentKind = ExponentKind(exponent);
            if (kind)
                *kind = exponentKind;
            return true;
        }
        Span power = right;
        if (IsVariable(right) || IsBracketed(right, &power) || IsCall1(right, nullptr) ||
            IsCall2(right, nullptr)) {
            if (term)
                term->right = power;
            if (kind)
                *kind = okPower;
            return true;
        }
    }
    return false;
}

int Recogniser::FirstOpenBracket(Span s) const
{
    const int open = nextOpen_[s.b];
    return open >= 0 && open < s.e ? open : -1;
}

bool Recogniser::Call1Body(Span s, TermRecord* term)
{
    const int open = s.b < s.e ? FirstOpenBracket(s) : -1;
    if (open <= s.b)
        return false;
    if (oneArg_.find(std::string_view(text_).substr(s.b, open - s.b)) == oneArg_.end())
        return false;
    if (text_[s.e - 1] != ')' || open == s.e - 1)
        return false;
    if (term)
        term->left = {open + 1, s.e - 1};
    Span inside;
    if (!IsBracketed({open, s.e}, &inside))
        return false;
    if (term)
        term->left = inside;
    return true;
}

bool Recogniser::Call2Body(Span s, TermRecord* term)
{
    const int open = s.b < s.e ? FirstOpenBracket(s) : -1;
    if (open <= s.b || text_[s.e - 1] != ')' || open == s.e - 1)
        return false;
    if (twoArg_.find(std::string_view(text_).substr(s.b, open - s.b)) == twoArg_.end())
        return false;
    const Span args{open + 1, s.e - 1};
    for (int k = args.b; k < args.e; ++k) {
        if (text_[k] != ',')
            continue;
        if (k == args.b || k == args.e - 1)
            return false;
        const Span first{args.b, k};
        const Span second{k + 1, args.e};
        Span stripped;
        if (term)
            term->left = first;
        if (!IsTerm(first, &stripped))
            continue;
        if (term) {
            term->left = stripped;
            term->right = second;
        }
        if (!IsTerm(second, &stripped))
            continue;
        if (term)
            term->right = stripped;
        return true;
    }
    return false;
}

} // namespace solvane
