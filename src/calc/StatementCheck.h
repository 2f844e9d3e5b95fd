#pragma once
// What a run would refuse in one statement of the script: a name the
// evaluator does not take, a point-phase composition that raises, an
// expression the compiler cannot read (with the names it does not know and
// why). Shared by the script check and the locating of a failed run.
#include "calc/ExpressionNames.h"
#include "calc/ScriptCheck.h"
#include "calc/ScriptStatements.h"

#include <string>
#include <vector>

namespace solvane {

struct TStatementCheck {
    std::vector<TScriptFinding> Refusals; // errors on which the run raises, in the order it meets them
    TNameUse Names;                       // the names the expression reads
};

// `parametersAbove`: the names of the parameter lines before the statement.
TStatementCheck CheckStatement(const TScriptStatement& statement, const std::vector<TScriptStatement>& script,
                               const std::vector<std::string>& parametersAbove);

// How the script's texts name a statement: "GL", "the SID line", ...
std::string StatementLabel(const TScriptStatement& statement);

} // namespace solvane
