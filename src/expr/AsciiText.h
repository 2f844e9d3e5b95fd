#pragma once
// Small text helpers shared by every layer. Names, keys and expressions are
// compared in ASCII upper case; blanks are every character up to the space.
#include <string>
#include <string_view>

namespace solvane {

// 'a'..'z' become 'A'..'Z'; every other byte stays.
std::string AsciiUpper(std::string_view text);

// Without the leading and trailing characters of codes up to 32.
std::string_view TrimmedView(std::string_view text);
inline std::string TrimBlanks(std::string_view text) { return std::string(TrimmedView(text)); }

} // namespace solvane
