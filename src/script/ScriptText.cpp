#include "script/ScriptText.h"

#include "text/NumberFormat.h"

#include <charconv>
#include <cmath>

namespace solvane {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the plain decimal syntax and reads the number; false when it is not one.
bool ReadPlainDecimal(const std::string& text, double& value)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const std::size_t signPos = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t numberStart = i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return false;
    }
    if (i != text.size())
        return false;
    // from_chars takes neither a '+' nor a point without digits before it.
    std::string plain;
    plain.reserve(text.size() + 2);
    if (text[signPos] == '-')
        plain += '-';
    if (text[numberStart] == '.')
        plain += '0';
    plain.append(text, numberStart, std::string::npos);
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero (or a subnormal); too large is no number.
        value = std::strtod(plain.c_str(), nullptr);
        return std::isfinite(value);
    }
    return result.ec == std::errc() && result.ptr == plain.data() + plain.size();
}

} // namespace

double StrToNumber(const std::string& text, TMessageSink* messages)
{
    std::string decimal = text;
    if (const auto comma = decimal.find(','); comma != std::string::npos)
        decimal[comma] = '.';
    double value = 0;
    if (ReadPlainDecimal(decimal, value))
        return value;
    if (messages)
        messages->Show(TMessageKind::Information, "Invalid number: " + text);
    return 0;
}

std::string StripBlanks(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) > 32)
            result += c;
    return result;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

double RoundToParameterText(double value)
{
    if (value == 0 || !std::isfinite(value))
        return value;
    static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const double magnitude = std::fabs(value);
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    // The magnitude scaled by an exactly held power of ten to 15 integer
    // digits, with the exact residual of that scaling: enough to round the
    // way the decimal text does (halves away from zero), and dividing back
    // gives the double nearest to that text.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int shift = 14 - exponent;
        if (shift < -22 || shift > 22)
            break;
        const double power = kPow10[shift >= 0 ? shift : -shift];
        const double scaled = shift >= 0 ? magnitude * power : magnitude / power;
        if (scaled < 1e14) { // the logarithm missed by one
            --exponent;
            continue;
        }
        if (scaled >= 1e15) {
            ++exponent;
            continue;
        }
        // Sign of (exact scaled value - scaled).
        const double residual = shift >= 0 ? std::fma(magnitude, power, -scaled) : std::fma(-scaled, power, magnitude);
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole; // exact, a multiple of the spacing of scaled
        const bool up = fraction > 0.5 || (fraction == 0.5 && residual >= 0);
        const double digits = up ? whole + 1 : whole;
        const double rounded = shift >= 0 ? digits / power : digits * power;
        return value < 0 ? -rounded : rounded;
    }
    return StrToNumber(FormatGeneral(value), nullptr);
}

} // namespace solvane
