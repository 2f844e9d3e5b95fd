#include "text/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace solvane {
namespace {

// The decimal digits of |value| (no leading zeros) and the power of ten of the
// first one: |value| = 0.d1d2d3... * 10^(pointPos). Zero has no digits.
struct Decimal {
    std::string digits;
    int pointPos = 0;
};

Decimal ToDecimal(double value)
{
    Decimal d;
    if (value == 0)
        return d;
    // 41 correctly rounded digits: enough to round any double half away from zero exactly.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.40e", std::fabs(value));
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits += *p;
    d.pointPos = std::atoi(p + 1) + 1;
    return d;
}

// Keeps the digits before the decimal position `keepTo` (relative to the point:
// keepTo = pointPos + decimals) and rounds half away from zero.
void RoundAt(Decimal& d, int keep)
{
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9')
            d.digits[i--] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.pointPos;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

char DigitAt(const Decimal& d, int index) // index 0 = first digit
{
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
}

std::string NonFinite(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value > 0 ? "INF" : "-INF";
}

struct Picture {
    int intZeros = 0;      // '0' placeholders before the point
    int intPlaces = 0;     // '0' and '#' before the point
    int fracMin = 0;       // '0' after the point
    int fracMax = 0;       // '0' and '#' after the point
    bool grouping = false; // ',' before the point
    bool scientific = false;
    char expLetter = 'e';
    bool expAlwaysSign = false;
    int expDigits = 0;
};

Picture ParsePicture(const std::string& pattern)
{
    Picture pic;
    bool afterPoint = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if ((c == 'e' || c == 'E') && i + 1 < pattern.size() && (pattern[i + 1] == '-' || pattern[i + 1] == '+')) {
            pic.scientific = true;
            pic.expLetter = c;
            pic.expAlwaysSign = pattern[i + 1] == '+';
            for (std::size_t k = i + 2; k < pattern.size() && pattern[k] == '0'; ++k)
                ++pic.expDigits;
            break;
        }
        if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            pic.grouping = !afterPoint || pic.grouping;
        } else if (c == '0' || c == '#') {
            if (afterPoint) {
                ++pic.fracMax;
                if (c == '0')
                    pic.fracMin = pic.fracMax;
            } else {
                ++pic.intPlaces;
                if (c == '0')
                    ++pic.intZeros;
            }
        }
    }
    return pic;
}

std::string Group(const std::string& intDigits, char thousands)
{
    std::string out;
    const int n = static_cast<int>(intDigits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += thousands;
        out += intDigits[i];
    }
    return out;
}

std::string Fraction(const Decimal& d, int firstIndex, int fracMin, int fracMax)
{
    std::string frac;
    for (int k = 0; k < fracMax; ++k)
        frac += DigitAt(d, firstIndex + k);
    while (static_cast<int>(frac.size()) > fracMin && frac.back() == '0')
        frac.pop_back();
    return frac;
}

} // namespace

std::string FormatGeneral(double value, char decimalSeparator, int precision)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    Decimal d = ToDecimal(value);
    RoundAt(d, precision);
    if (d.digits.empty())
        return "0";
    std::string out = value < 0 ? "-" : "";
    if (d.pointPos > precision || d.pointPos < -3) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += decimalSeparator;
            out.append(d.digits, 1);
        }
        out += 'E';
        out += std::to_string(d.pointPos - 1);
        return out;
    }
    if (d.pointPos <= 0) {
        out += '0';
        out += decimalSeparator;
        out.append(-d.pointPos, '0');
        out += d.digits;
        return out;
    }
    for (int i = 0; i < d.pointPos; ++i)
        out += DigitAt(d, i);
    if (static_cast<int>(d.digits.size()) > d.pointPos) {
        out += decimalSeparator;
        out.append(d.digits, d.pointPos);
    }
    return out;
}

std::string FormatFloat(const std::string& pattern, double value, NumberSeparators seps)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    const Picture pic = ParsePicture(pattern);
    Decimal d = ToDecimal(value);
    std::string body;

    if (pic.scientific) {
        const int intPlaces = pic.intPlaces > 0 ? pic.intPlaces : 1;
        RoundAt(d, intPlaces + pic.fracMax);
        int exponent = d.digits.empty() ? 0 : d.pointPos - intPlaces;
        std::string intPart;
        for (int i = 0; i < intPlaces; ++i)
            intPart += DigitAt(d, i);
        const auto firstNonZero = intPart.find_first_not_of('0');
        intPart = firstNonZero == std::string::npos ? "" : intPart.substr(firstNonZero);
        if (static_cast<int>(intPart.size()) < std::max(pic.intZeros, 1))
            intPart.insert(0, std::max(pic.intZeros, 1) - intPart.size(), '0');
        body = intPart;
        const std::string frac = Fraction(d, intPlaces, pic.fracMin, pic.fracMax);
        if (!frac.empty())
            body += seps.decimal + frac;
        body += pic.expLetter;
        if (exponent < 0)
            body += '-';
        else if (pic.expAlwaysSign)
            body += '+';
        std::string expText = std::to_string(std::abs(exponent));
        if (static_cast<int>(expText.size()) < pic.expDigits)
            expText.insert(0, pic.expDigits - expText.size(), '0');
        body += expText;
    } else {
        if (std::fabs(value) >= 1e18)
            return FormatGeneral(value, seps.decimal);
        RoundAt(d, d.pointPos + pic.fracMax);
        std::string intPart;
        for (int i = 0; i < d.pointPos; ++i)
            intPart += DigitAt(d, i);
        if (static_cast<int>(intPart.size()) < pic.intZeros)
            intPart.insert(0, pic.intZeros - intPart.size(), '0');
        body = pic.grouping ? Group(intPart, seps.thousands) : intPart;
        const std::string frac = Fraction(d, d.pointPos, pic.fracMin, pic.fracMax);
        if (!frac.empty())
            body += seps.decimal + frac;
        if (body.empty()) {
// GCC 12 sees an overlap in assigning a literal to a std::string where there is none (GCC bug 105651).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
            body = "0";
#pragma GCC diagnostic pop
        }
    }
    if (value < 0 && !d.digits.empty())
        body.insert(body.begin(), '-');
    return body;
}

std::string FormatReadout(double value, char decimalSeparator)
{
    char buffer[64];
    std::string text;
    if (!std::isfinite(value)) {
        text = NonFinite(value);
    } else if (std::fabs(value) >= 1) {
        std::snprintf(buffer, sizeof buffer, "%.3f", value);
        text = buffer;
    } else {
        // C writes at least two exponent digits; the read-out wants three.
        std::snprintf(buffer, sizeof buffer, "%.4E", value);
        text = buffer;
        const std::size_t e = text.find('E');
        std::string digits = text.substr(e + 2);
        while (digits.size() < 3)
            digits.insert(0, 1, '0');
        text = text.substr(0, e + 2) + digits;
    }
    if (const std::size_t point = text.find('.'); point != std::string::npos)
        text[point] = decimalSeparator;
    if (text.size() < 12)
        text.append(12 - text.size(), ' ');
    return text;
}

} // namespace solvane
