#include "script/ExpressionNames.h"

#include "expr/P10Build.h"
#include "expr/Parser10.h"
#include "expr/AsciiText.h"

#include <algorithm>
#include <exception>

namespace solvane {
namespace {

// Bytes above 127 (Cyrillic letters in Windows-1251) are taken as letters, so
// that a name written with them is found as a name, which the evaluator refuses.
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) > 127; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumberText(const std::string& text)
{
    double value = 0;
    try {
        return ReadNumber(text, true, value);
    } catch (const std::exception&) {
        return true; // a number beyond the double range is still a number
    }
}

// Whether a call of `name` with one (or two) arguments compiles on a fresh evaluator.
bool IsFunction(const std::string& name)
{
    for (const char* arguments : {"(0)", "(0,0)"}) {
        try {
            TParser probe;
            probe.SetExpression(name + arguments);
            return true;
        } catch (const std::exception&) {
        }
    }
    return false;
}

void AddOnce(std::vector<std::string>& names, const std::string& name)
{
    if (std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(name);
}

// The pieces of a word cut at every "DIV" and "MOD" after its first letter.
std::vector<std::string> OperatorPieces(const std::string& word)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t k = 1; k + 3 <= word.size(); ++k) {
        const std::string_view three(word.data() + k, 3);
        if (three == "DIV" || three == "MOD") {
            pieces.push_back(word.substr(start, k - start));
            start = k + 3;
            k += 2;
        }
    }
    pieces.push_back(word.substr(start));
    return pieces;
}

} // namespace

TNameUse FindNames(const std::string& expression, const TParser& evaluator)
{
    const std::string text = AsciiUpper(expression);
    TNameUse use;
    auto known = [&](const std::string& name) { return evaluator.FindVariable(name) != nullptr; };
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsDigit(text[i]) || text[i] == '.') {
            // A number with its exponent letter, perhaps followed by 'DIV' or 'MOD' and a name.
            const std::size_t start = i;
            while (i < text.size() && (IsLetter(text[i]) || IsDigit(text[i]) || text[i] == '.'))
                ++i;
            const std::vector<std::string> pieces = OperatorPieces(text.substr(start, i - start));
            for (std::size_t k = 1; k < pieces.size(); ++k)
                if (known(pieces[k]))
                    AddOnce(use.Variables, pieces[k]);
            continue;
        }
        if (!IsLetter(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && (IsLetter(text[i]) || IsDigit(text[i])))
            ++i;
        const std::string word = text.substr(start, i - start);
        const bool called = i < text.size() && text[i] == '(';
        if (known(word)) {
            AddOnce(use.Variables, word);
            continue;
        }
        if (called && IsFunction(word))
            continue;
        if (word == "PI")
            continue;
        // 'XDIVY', 'AMOD2': operators between names or numbers.
        const std::vector<std::string> pieces = OperatorPieces(word);
        const bool split = pieces.size() > 1 && std::all_of(pieces.begin(), pieces.end(), [&](const std::string& p) {
                               return known(p) || IsNumberText(p) || (&p == &pieces.back() && called && IsFunction(p));
                           });
        if (split) {
            for (const std::string& piece : pieces)
                if (known(piece))
                    AddOnce(use.Variables, piece);
            continue;
        }
        AddOnce(called ? use.UnknownFunctions : use.Unknown, word);
    }
    return use;
}

} // namespace solvane
