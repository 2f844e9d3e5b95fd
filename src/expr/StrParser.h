#pragma once
// Cuts a text into parts at every occurrence of a dividing string, e.g. the
// items of a point phase's script line separated by ";".
#include <string>
#include <vector>

namespace solvane {

class TStrParser {
public:
    std::string DividingString;  // may be longer than one character
    bool CaseSensitive = false;  // false: ASCII letters match in either case
    std::vector<std::string> Parts; // parts found by the last Split, in order

    // Parts are taken from the text itself (letters unchanged, not trimmed).
    // A separator at the start gives an empty first part; one at the very end
    // gives no empty last part. An empty separator is never found.
    void Split(const std::string& text);
};

} // namespace solvane
