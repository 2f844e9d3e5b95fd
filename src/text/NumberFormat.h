#pragma once
// Numbers as text: every display pattern the program uses, with the decimal
// separator as a parameter (the GUI passes the locale's, the command-line tool '.').
#include <string>

namespace solvane {

struct NumberSeparators {
    char decimal = '.';
    char thousands = ',';
};

// Writes value with a picture pattern built of '0', '#', '.', ',' (grouping) and an
// optional exponent part "e-0" / "e-00" / "E+00" ...: "0.########", "0.######",
// "0.####", "0.###", "#,##0.##", "0.####e-0", "0.####e-00". Digits are rounded half
// away from zero on the value's 18-digit decimal expansion. A value of 1e18 or more
// in magnitude under a pattern without exponent is written in the general format.
// NaN and infinities are written "NAN", "INF" and "-INF".
std::string FormatFloat(const std::string& pattern, double value, NumberSeparators seps = {});

// The general format: the shortest text with up to `precision` (default 15)
// significant digits; scientific ("1.5E-7", "1E20") when the decimal exponent is
// below -4 or at least the precision, as the 15-digit general format of the
// desktop toolkit does.
std::string FormatGeneral(double value, char decimalSeparator = '.', int precision = 15);

// The diagram's coordinate read-out, left-aligned in 12 characters: three
// decimals for |v| >= 1 ("1500.000    "); below 1 five significant digits, a
// capital E, the exponent's sign and at least three exponent digits
// ("5.0000E-001 ").
std::string FormatReadout(double value, char decimalSeparator = '.');

} // namespace solvane
