// The recognisers of the expression language, in the order the language tries them.
#include "expr/Recogniser.h"

#include "expr/MathErrors.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <string_view>

namespace solvane {

namespace {
bool shortcuts = true;
} // namespace

void EnableRecognitionShortcuts(bool enable)
{
    shortcuts = enable;
}

namespace {

constexpr unsigned Bit(int form)
{
    return 1u << form;
}

// Two-operand operators: what each side may be besides a variable, a number or a
// bracketed term. Left sides never hold a sum; right sides of '-', '*' and the
// division family hold nothing looser than themselves.
struct SplitRule {
    Recogniser::Operator op;
    unsigned left, right; // masks over the forms
};

// Work allowed to one compilation: far beyond any expression within the limits of
// depth and width, it stops pathological texts from running for minutes.
constexpr std::uint64_t StepBudget = std::uint64_t(1) << 21;

std::string_view OperatorText(Recogniser::Operator op)
{
    static constexpr std::string_view texts[] = {"+", "-", "*", "/", "^", "DIV", "MOD"};
    return texts[op];
}

char LocaleSeparator()
{
    const char* point = std::localeconv()->decimal_point;
    return point && *point ? *point : '.';
}

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
    minBalance_ = *std::min_element(balance_.begin(), balance_.end());
    const int maxBalance = *std::max_element(balance_.begin(), balance_.end());
    for (auto& byDepth : occurrences_)
        byDepth.resize(static_cast<std::size_t>(maxBalance - minBalance_ + 1));
    for (int op = opPlus; op <= opMod; ++op) {
        const std::string_view symbol = OperatorText(static_cast<Operator>(op));
        for (auto found = text_.find(symbol); found != std::string::npos; found = text_.find(symbol, found + 1))
            occurrences_[op][balance_[found] - minBalance_].push_back(static_cast<int>(found));
    }
    // Characters that no number holds (controls count: they may trail one).
    const char point = pascal_ ? ',' : LocaleSeparator();
    nonNumeric_.resize(text_.size() + 1);
    for (std::size_t i = 0; i < text_.size(); ++i) {
        const char c = text_[i];
        const bool numeric = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' ||
                             c == point || static_cast<unsigned char>(c) <= 32;
        nonNumeric_[i + 1] = nonNumeric_[i] + (numeric ? 0 : 1);
    }
    // The next index at which the bracket balance drops below the balance at i.
    nextDrop_.assign(balance_.size(), static_cast<int>(balance_.size()));
    std::vector<int> open;
    for (int j = 0; j < static_cast<int>(balance_.size()); ++j) {
        while (!open.empty() && balance_[j] < balance_[open.back()]) {
            nextDrop_[open.back()] = j;
            open.pop_back();
        }
        open.push_back(j);
    }
    faultFree_ = NoNumberCanFault();
    memo_.reserve(256);
}

bool Recogniser::WellBracketed(Span s) const
{
    return balance_[s.e] == balance_[s.b] && nextDrop_[s.b] > s.e;
}

namespace {

bool IsMantissaCharacter(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == ',';
}

} // namespace

// Bounds every number a subtext could read: its mantissa digits lie in one run of
// digits, points and commas, its exponent is at most the digits after one "E"
// (an empty mantissa reads 0). A value below 10^300 cannot overflow; an exponent
// of "^" below 10^18 can be truncated.
bool Recogniser::NoNumberCanFault() const
{
    const int n = static_cast<int>(text_.size());
    auto digitsFrom = [this, n](int i) {
        int digits = 0;
        for (; i < n && IsMantissaCharacter(text_[i]); ++i)
            digits += text_[i] != '.' && text_[i] != ',';
        return std::pair{digits, i};
    };
    auto exponentAt = [this, n](int i) { // the largest exponent an "E" at i can give
        if (i >= n || text_[i] != 'E')
            return 0;
        ++i;
        if (i < n && text_[i] == '-')
            return 0;
        if (i < n && text_[i] == '+')
            ++i;
        int value = 0;
        for (; i < n && text_[i] >= '0' && text_[i] <= '9'; ++i)
            value = std::min(value * 10 + (text_[i] - '0'), 1000000);
        return value;
    };
    for (int i = 0; i < n; ++i) {
        if (IsMantissaCharacter(text_[i]) && (i == 0 || !IsMantissaCharacter(text_[i - 1]))) {
            const auto [digits, end] = digitsFrom(i);
            if (digits + exponentAt(end) > 300)
                return false;
        }
        if (text_[i] == '^') {
            int start = i + 1;
            if (start < n && (text_[start] == '+' || text_[start] == '-'))
                ++start;
            const auto [digits, end] = digitsFrom(start);
            if (digits + exponentAt(end) > 18)
                return false;
        }
    }
    return true;
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
    if (++steps_ > StepBudget)
        throw EExpressionTooComplex();
    const Outcome outcome = Run(form, s);
    memo_.emplace(key, outcome);
    return outcome;
}

Recogniser::Outcome Recogniser::Run(Form form, Span s)
{
    Outcome outcome;
    switch (form) {
    case fNumber:
        if (nonNumeric_[s.e] == nonNumeric_[s.b] || s.e - s.b <= 3) // "PI", "-PI"
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

// A quick no that the full test would reach without trying anything nested (so
// without any arithmetic fault): most subtexts are settled here, unremembered.
bool Recogniser::SurelyNot(Form form, Span s) const
{
    const int length = s.e - s.b;
    if (!shortcuts)
        return false;
    // Every accepted term is well bracketed; in a text where no test can fault,
    // the tests of the other subtexts can be skipped as well as run.
    if (faultFree_ && form != fNumber && !WellBracketed(s))
        return true;
    switch (form) {
    case fNumber:
        return length == 0 || (length > 3 && nonNumeric_[s.e] != nonNumeric_[s.b]);
    case fBracketed:
        return length < 2 || text_[s.b] != '(' || text_[s.e - 1] != ')';
    case fTerm:
        return length == 0;
    case fNegation:
        return length == 0 || text_[s.b] != '-';
    case fCall1:
    case fCall2: {
        const int open = length > 0 ? FirstOpenBracket(s) : -1;
        if (open <= s.b || text_[s.e - 1] != ')' || open == s.e - 1)
            return true;
        const std::string_view name = std::string_view(text_).substr(s.b, open - s.b);
        return form == fCall1 ? oneArg_.find(name) == oneArg_.end() : twoArg_.find(name) == twoArg_.end();
    }
    default: {
        static constexpr Operator operators[fFormCount] = {
            opCount, opCount, opCount, opCount, opPlus, opMinus, opTimes, opDiv, opMod, opSlash, opPower};
        const Operator op = operators[form];
        const int width = static_cast<int>(OperatorText(op).size());
        if (width == 1 && length > 0 && text_[s.b] == OperatorText(op)[0] && form != fDifference)
            return true; // an operator in the first place ends the scan
        const std::vector<int>& sameDepth = occurrences_[op][balance_[s.b] - minBalance_];
        const auto it = std::upper_bound(sameDepth.begin(), sameDepth.end(), s.b);
        return it == sameDepth.end() || *it + width > s.e; // every occurrence fails the balance test
    }
    }
}

bool Recogniser::IsNumber(Span s, double* value)
{
    if (SurelyNot(fNumber, s))
        return false;
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
    if (SurelyNot(fBracketed, s))
        return false;
    const Outcome outcome = Test(fBracketed, s);
    if (outcome.accepted && inside)
        *inside = outcome.stripped;
    return outcome.accepted;
}

bool Recogniser::IsTerm(Span s, Span* stripped)
{
    if (SurelyNot(fTerm, s))
        return false;
    const Outcome outcome = Test(fTerm, s);
    if (outcome.accepted && stripped)
        *stripped = outcome.stripped;
    return outcome.accepted;
}

bool Recogniser::IsNegation(Span s, TermRecord* term)
{
    return term ? NegationBody(s, term) : !SurelyNot(fNegation, s) && Test(fNegation, s).accepted;
}

bool Recogniser::IsSplit(Form form, Span s, TermRecord* term)
{
    return term ? SplitBody(form, s, term) : !SurelyNot(form, s) && Test(form, s).accepted;
}

bool Recogniser::IsPower(Span s, TermRecord* term, std::uint8_t* kind)
{
    if (term)
        return PowerBody(s, term, kind);
    if (SurelyNot(fPower, s))
        return false;
    const Outcome outcome = Test(fPower, s);
    if (outcome.accepted && kind)
        *kind = outcome.kind;
    return outcome.accepted;
}

bool Recogniser::IsCall1(Span s, TermRecord* term)
{
    return term ? Call1Body(s, term) : !SurelyNot(fCall1, s) && Call1Body(s, nullptr);
}

bool Recogniser::IsCall2(Span s, TermRecord* term)
{
    return term ? Call2Body(s, term) : !SurelyNot(fCall2, s) && Test(fCall2, s).accepted;
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
    static const SplitRule sum{opPlus, sumLeft, Bit(fSum) | Bit(fDifference) | Bit(fProduct) | tight};
    static const SplitRule difference{opMinus, sumLeft, Bit(fProduct) | tight};
    static const SplitRule product{opTimes, Bit(fNegation) | tight, Bit(fProduct) | tight};
    static const SplitRule quotient{opSlash, Bit(fNegation) | tight, calls};
    static const SplitRule intDivision{opDiv, Bit(fNegation) | tight, calls};
    static const SplitRule modulo{opMod, Bit(fNegation) | tight, calls};
    const SplitRule& rule = form == fSum          ? sum
                            : form == fDifference ? difference
                            : form == fProduct    ? product
                            : form == fQuotient   ? quotient
                            : form == fIntDivision ? intDivision
                                                   : modulo;
    const bool word = rule.op == opDiv || rule.op == opMod;

    return ForEachOccurrence(rule.op, s, term != nullptr, [&](int k) {
        if (k == s.b)
            return form == fDifference || word ? Scan::Next : Scan::Reject; // a leading '-' or word is passed over
        if (k == s.e - 1)
            return Scan::Reject;
        const Span left{s.b, k};
        const Span right{k + (word ? 3 : 1), s.e};
        if (term) {
            term->left = left;
            term->right = right;
        }
        if (!Balanced(left) || !Balanced(right))
            return Scan::Next;
        Span acceptedLeft, acceptedRight;
        if (!SideAccepted(left, rule.left, acceptedLeft))
            return Scan::Next;
        if (term)
            term->left = acceptedLeft;
        if (!SideAccepted(right, rule.right, acceptedRight))
            return Scan::Next;
        if (term)
            term->right = acceptedRight;
        return Scan::Accept;
    });
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
    return ForEachOccurrence(opPower, s, term != nullptr, [&](int k) {
        if (k == s.b || k == s.e - 1)
            return Scan::Reject;
        const Span left{s.b, k};
        const Span right{k + 1, s.e};
        if (term) {
            term->left = left;
            term->right = right;
        }
        if (!Balanced(left) || !Balanced(right))
            return Scan::Next;
        Span base = left;
        const bool baseOk = IsVariable(left) || IsNumber(left) || IsBracketed(left, &base) ||
                            IsCall1(left, nullptr) || IsCall2(left, nullptr);
        if (!baseOk)
            return Scan::Next;
        if (term)
            term->left = base;
        double exponent = 0;
        if (IsNumber(right, &exponent)) {
            const std::uint8_t exponentKind = ExponentKind(exponent);
            if (kind)
                *kind = exponentKind;
            return Scan::Accept;
        }
        Span power = right;
        if (IsVariable(right) || IsBracketed(right, &power) || IsCall1(right, nullptr) ||
            IsCall2(right, nullptr)) {
            if (term)
                term->right = power;
            if (kind)
                *kind = okPower;
            return Scan::Accept;
        }
        return Scan::Next;
    });
}

// Every occurrence of the operator in s, left to right, until the visitor decides.
// A test that records nothing looks only at the occurrences whose left side is
// balanced: the others fail the balance test before any side is tried, and only
// the first and last character can stop a scan early.
template <typename Visitor>
bool Recogniser::ForEachOccurrence(Operator op, Span s, bool everyOccurrence, Visitor&& visit)
{
    const std::string_view symbol = OperatorText(op);
    const int width = static_cast<int>(symbol.size());
    auto decide = [&](int k) {
        if (!everyOccurrence && ++steps_ > StepBudget)
            throw EExpressionTooComplex();
        return visit(k);
    };
    const bool allOccurrences = everyOccurrence || !shortcuts;
    if (allOccurrences || (s.e - s.b >= width && text_.compare(s.b, width, symbol) == 0)) {
        const std::string_view view(text_.data() + s.b, static_cast<std::size_t>(s.e - s.b));
        for (std::size_t found = view.find(symbol); found != std::string_view::npos;
             found = view.find(symbol, found + 1)) {
            const Scan scan = decide(s.b + static_cast<int>(found));
            if (scan != Scan::Next)
                return scan == Scan::Accept;
            if (!allOccurrences)
                break; // the leading occurrence is passed over; the rest go by depth
        }
        if (allOccurrences)
            return false;
    }
    const std::vector<int>& sameDepth = occurrences_[op][balance_[s.b] - minBalance_];
    for (auto it = std::upper_bound(sameDepth.begin(), sameDepth.end(), s.b);
         it != sameDepth.end() && *it + width <= s.e; ++it) {
        const Scan scan = decide(*it);
        if (scan != Scan::Next)
            return scan == Scan::Accept;
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
