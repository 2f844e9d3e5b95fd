#pragma once
// The names an expression reads, found by scanning its words the way the
// compiler can take them: a variable, a function before "(", "PI", a number,
// or words joined by the operators "DIV" and "MOD" ('XDIV2' is X DIV 2).
#include <string>
#include <vector>

namespace solvane {

class TParser;

struct TNameUse {
    std::vector<std::string> Variables;        // variables of the evaluator that are read (upper case, once each)
    std::vector<std::string> Unknown;          // words that are no variable of the evaluator
    std::vector<std::string> UnknownFunctions; // words before "(" that are no function
};

// The expression is judged against the variables defined on `evaluator`.
TNameUse FindNames(const std::string& expression, const TParser& evaluator);

} // namespace solvane
