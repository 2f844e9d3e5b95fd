// The number rules of the expression language.
#include "expr/MathErrors.h"
#include "expr/P10Build.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace solvane {

namespace {

constexpr double Pi = 3.141592653589793;

// strtod in the "C" locale, whatever locale the program runs under.
double ParseCanonical(const std::string& canonical)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(canonical.c_str(), nullptr, cLocale);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads [sign] digits [separator digits] [E [sign] digits] over the whole of text and
// writes it as a canonical C-locale text. requireMantissaDigit rejects '.', 'E5'.
bool Canonicalise(const std::string& text, char separator, bool requireMantissaDigit,
                  std::string& canonical)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    canonical.clear();
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            canonical += '-';
        ++i;
        if (i == n)
            return false; // a sign alone
    }
    canonical += '0';
    bool mantissaDigit = false;
    while (i < n && IsDigit(text[i])) {
        canonical += text[i++];
        mantissaDigit = true;
    }
    canonical += '.';
    if (i < n && text[i] == separator) {
        ++i;
        while (i < n && IsDigit(text[i])) {
            canonical += text[i++];
            mantissaDigit = true;
        }
    }
    canonical += '0';
    if (requireMantissaDigit && !mantissaDigit)
        return false;
    if (i < n && text[i] == 'E') {
        ++i;
        canonical += 'e';
        if (i < n && (text[i] == '+' || text[i] == '-'))
            canonical += text[i++];
        if (i == n || !IsDigit(text[i]))
            return false;
        while (i < n && IsDigit(text[i]))
            canonical += text[i++];
    }
    return i == n;
}

} // namespace

bool ReadNumber(const std::string& text, bool pascalNumberformat, double& value)
{
    if (text == "PI") {
        value = Pi;
        return true;
    }
    if (text == "-PI") {
        value = -Pi;
        return true;
    }
    std::string canonical;
    if (pascalNumberformat) {
        std::string s = text;
        while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32)
            s.pop_back();
        if (s.empty())
            return false;
        if (auto comma = s.find(','); comma != std::string::npos)
            s[comma] = '.';
        if (!Canonicalise(s, '.', false, canonical))
            return false;
        value = ParseCanonical(canonical);
        if (std::isinf(value))
            throw EOverflow();
        return true;
    }
    // The locale's conversion: its decimal separator, at least one mantissa digit,
    // and a failure (overflow included) only means "not a number".
    const char* point = std::localeconv()->decimal_point;
    const char separator = (point && *point) ? *point : '.';
    if (!Canonicalise(text, separator, true, canonical))
        return false;
    value = ParseCanonical(canonical);
    return !std::isinf(value);
}

} // namespace solvane
