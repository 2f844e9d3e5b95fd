#include "expr/StrParser.h"

#include "expr/AsciiText.h"

namespace solvane {

void TStrParser::Split(const std::string& text)
{
    Parts.clear();
    if (DividingString.empty()) {
        if (!text.empty())
            Parts.push_back(text);
        return;
    }
    // Searching upper-case copies keeps every position equal to the original's,
    // so parts are cut from the text itself with their letters unchanged.
    const std::string haystack = CaseSensitive ? text : AsciiUpper(text);
    const std::string needle = CaseSensitive ? DividingString : AsciiUpper(DividingString);
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = haystack.find(needle, start);
        if (at == std::string::npos)
            break;
        Parts.push_back(text.substr(start, at - start));
        start = at + needle.size();
    }
    if (start < text.size())
        Parts.push_back(text.substr(start));
}

} // namespace solvane
