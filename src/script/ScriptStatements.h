#pragma once
// The one reading of a problem script: statement by statement (comments,
// captions, directives, continued lines, the line kinds, point-phase parts),
// each keeping the memo line it starts on, so that tools can say where
// something is. TScriptModel turns the statements into evaluators.
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace solvane {

class TParser;

enum class TStatementKind {
    SolutionPhase, // GL..., GS..., GV...
    Sid,           // any line beginning with SID
    PointPhase,    // GC... or X=..., with its composition part
    Parameter,     // any other line
    XCaption,      // #XCAP=
    YCaption,      // #YCAP=
    Xmin,          // #XMIN=
    Xmax,          // #XMAX=
    Pressure,      // P=
    Temperature,   // T=
};

// What went wrong with a point phase's parts; the run stops there.
enum class TPointProblem {
    None,
    Composition,    // no usable "X=" part (missing, negative, above 1)
    NoExpression,   // only "X=" parts
    CompositionFault, // the composition's expression raised an error
};

struct TScriptStatement {
    int Line = 0; // 1-based memo line the statement starts on
    TStatementKind Kind = TStatementKind::Parameter;
    // Phases, parameters, the SID line and point phases: the upper-cased text
    // left of the first "=" ("GL", "W", "SIDE", "GC1"), and whether there was one.
    std::string Name;
    bool HasEquals = false;
    // The text right of the "=" as its evaluator is given it (a point phase's
    // upper-cased); for directives the value text (captions as written).
    std::string Expression;
    // Point phases: the composition and what the reading of the parts found.
    double Composition = -1;
    std::string CompositionText;  // the text after the deciding "X="
    TPointProblem PointProblem = TPointProblem::None;
    std::string CompositionError; // the error's message for CompositionFault
    std::exception_ptr CompositionException; // and the error itself, which the run raises there

    bool IsDefinition() const
    {
        return Kind == TStatementKind::SolutionPhase || Kind == TStatementKind::Sid ||
               Kind == TStatementKind::PointPhase || Kind == TStatementKind::Parameter;
    }
    // A solution phase's name in the grid: the left side without its first letter.
    std::string PhaseName() const { return Name.size() > 1 ? Name.substr(1) : std::string(); }
};

std::vector<TScriptStatement> ReadScriptStatements(const std::string& script);

// A point phase's composition from a part such as 'X=1/3': the constant
// expression after "X=" (at most 100 characters), evaluated on a fresh
// evaluator; above 1 gives -1.
double ReadComposition(const std::string& part);

// ---- What the evaluator of each kind of statement knows ----

// Whether a name is one of an evaluator's eight built-in variables A, B, C, D,
// E, T, X, Y (upper case).
bool IsBuiltInVariable(const std::string& upperName);

// The names other than the built-in ones that the script model defines on the
// statement's evaluator before its expression is set: "R", "P", "SID" and, for
// a solution phase, the parameters above it (upper case, in order). A
// parameter whose name is no identifier is left out.
std::vector<std::string> NamesKnownAtCompile(const TScriptStatement& statement,
                                             const std::vector<std::string>& parametersAbove);

// The built-in variables that a run never sets on the statement's evaluator:
// they always read 0 there. `parameters` are the names of every parameter of
// the script (the sweep sets them all on every phase).
std::vector<std::string> BuiltInsNeverSet(const TScriptStatement& statement,
                                          const std::vector<std::string>& parameters);

// Whether the evaluator accepts the name as a variable name.
bool IsValidVariableName(const std::string& name);

// A new evaluator with `known` defined (value 0); the expression is not set.
std::unique_ptr<TParser> MakeEvaluator(const std::vector<std::string>& known);

} // namespace solvane
