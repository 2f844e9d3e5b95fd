#pragma once
// The script check: the traps of the script language made visible, each
// finding with the memo line and the name it is about. It reads the script
// as the script model does and compiles every expression the way the run
// would, but changes nothing: a run does and says exactly what it would
// without it.
//
// An error is something the run refuses or fails on; a warning is something
// the run accepts but that is probably not what was meant.
#include "store/Problem.h"

#include <optional>
#include <string>
#include <vector>

namespace solvane {

struct TRunResult;

enum class TFindingSeverity { Error, Warning };

struct TScriptFinding {
    TFindingSeverity Severity = TFindingSeverity::Warning;
    int Line = 0;     // 1-based memo line; 0 for the run's values or the script as a whole
    std::string Name; // the name it is about (Windows-1251, as the script has it, upper case)
    std::string Text; // what is wrong and why, in English
};

// The run's values, each optional: findings that need one are made only
// when it is given.
struct TCheckRunValues {
    std::optional<std::string> Yparameter; // "Temperature", "Pressure" or "Y"
    std::optional<double> Ymin, Ymax, Zvalue;
    std::optional<int> YPoints, XPoints;
};

// Every value of a problem record.
TCheckRunValues RunValuesOf(const TProblemRow& problem);

// The findings in line order; those about the run's values last.
std::vector<TScriptFinding> CheckScript(const std::string& script, const TCheckRunValues& run = {});

bool HasError(const std::vector<TScriptFinding>& findings);

// "error" or "warning".
const char* SeverityName(TFindingSeverity severity);

// "Line 3: " + the text, or the text alone for line 0.
std::string DescribeFinding(const TScriptFinding& finding);

// Where a run that ended on an expression error failed: the statement of the
// script, its line and the name at fault. For an expression the compiler
// refused, the first such statement and its unknown name; for an arithmetic
// fault during the sweep, the first evaluator that raises the run's error at
// the run's current line (its T, p, y and X columns). Nothing when the script
// explains no such failure.
std::optional<TScriptFinding> LocateRunFailure(const std::string& script, const TRunResult& run,
                                               const std::string& error);

} // namespace solvane
