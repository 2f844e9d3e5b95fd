#pragma once
// What a run would refuse in one statement of the script: a name the
// evaluator does not take, a point-phase composition that raises, an
// expression the compiler cannot read (with the names it does not know and
// why). Shared by the script check and the locating of a failed run.
#include "script/ExpressionNames.h"
#include "script/ScriptCheck.h"
#include "script/ScriptStatements.h"

#include <memory>
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

// A parameter that raised when the run computed the parameters on reading
// `phase`, at the script's `temperature` and `pressure` so far.
TScriptFinding ParameterFailure(const TScriptStatement& parameter, const TScriptStatement& phase, double temperature,
                                double pressure, const std::string& error);

// How the script's texts name a statement: "GL", "the SID line", ...
std::string StatementLabel(const TScriptStatement& statement);

// The parameters as the script model computes them while it builds:
// at a solution-phase line that follows new parameters, every parameter above
// once, at X = 0.5 with the T and p the script has set so far and Sid 0 (a
// first run's), before any sweep. A parameter that raises there stops the run.
class TParametersWhileReading {
public:
    TParametersWhileReading();
    ~TParametersWhileReading();
    // Give every statement in order; the findings of the parameters that raise
    // at this statement, each parameter once.
    std::vector<TScriptFinding> Next(const TScriptStatement& statement);

private:
    struct Parameter;
    std::vector<Parameter> parameters_;
    std::vector<std::string> parameterNames_;
    std::vector<std::string> failed_;
    std::size_t evaluated_ = 0;
    double temperature_ = 300;
    double pressure_ = 1;
};

} // namespace solvane
