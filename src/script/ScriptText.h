#pragma once
// Text helpers of the problem script: numbers, blanks, letter case, lines.
#include "text/Messages.h"

#include "expr/AsciiText.h"

#include <string>
#include <string_view>
#include <vector>

namespace solvane {

// The first "," becomes "." and the text is read as a plain decimal number
// (leading blanks, sign, digits with an optional point, optional exponent,
// nothing after). A text that is not such a number shows the plain message
// "Invalid number: " + text and gives 0.
double StrToNumber(const std::string& text, TMessageSink* messages);

// The text without any character whose code is 32 or below.
std::string StripBlanks(std::string_view text);

// The lines of a memo text, split at CR LF, LF or CR; a final line break does
// not start another line.
std::vector<std::string> SplitLines(std::string_view text);

// A parameter is known through its 15-digit decimal text only: this is the
// number that text reads back as, computed without writing the text in the
// common case.
double RoundToParameterText(double value);

} // namespace solvane
