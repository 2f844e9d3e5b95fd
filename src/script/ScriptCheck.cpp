#include "script/ScriptCheck.h"

#include "script/GridLimits.h"
#include "script/ScriptModel.h"
#include "script/YQuantity.h"
#include "script/ScriptText.h"
#include "script/StatementCheck.h"
#include "expr/Parser10.h"
#include "text/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace solvane {
namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string LineText(int line) { return "line " + std::to_string(line); }

class Checker {
public:
    explicit Checker(const std::string& script) : statements_(ReadScriptStatements(script))
    {
        for (const TScriptStatement& s : statements_)
            if (s.Kind == TStatementKind::Parameter && s.HasEquals)
                parameters_.push_back(s.Name);
    }

    std::vector<TScriptFinding> Run(const TCheckRunValues& run)
    {
        TParametersWhileReading parameters;
        for (const TScriptStatement& s : statements_) {
            CheckStatementLine(s);
            for (auto& finding : parameters.Next(s))
                findings_.push_back(std::move(finding));
        }
        if (!hasPhase_)
            Add(TFindingSeverity::Error, 0, "",
                "there is no solution phase: the run needs a line beginning with GL, GS or GV, and stops with "
                "\"Gibbs energy can not be computed\"");
        CheckUnusedParameters();
        CheckPhasesReadX();
        CheckXRange();
        CheckRunValues(run);
        std::stable_sort(findings_.begin(), findings_.end(), [](const TScriptFinding& a, const TScriptFinding& b) {
            const auto key = [](int line) { return line == 0 ? std::numeric_limits<int>::max() : line; };
            return key(a.Line) < key(b.Line);
        });
        return findings_;
    }

private:
    void Add(TFindingSeverity severity, int line, std::string name, std::string text)
    {
        findings_.push_back({severity, line, std::move(name), std::move(text)});
    }
    void Warn(const TScriptStatement& s, std::string name, std::string text)
    {
        Add(TFindingSeverity::Warning, s.Line, std::move(name), std::move(text));
    }

    void CheckStatementLine(const TScriptStatement& s)
    {
        switch (s.Kind) {
        case TStatementKind::XCaption:
        case TStatementKind::YCaption: return;
        case TStatementKind::Xmin:
        case TStatementKind::Xmax:
        case TStatementKind::Pressure:
        case TStatementKind::Temperature: CheckDirective(s); return;
        default: break;
        }
        if (s.PointProblem != TPointProblem::None) {
            CheckPointProblem(s);
            return;
        }
        if (!s.HasEquals) {
            Warn(s, s.Name, "this line defines nothing: a definition needs \"=\"");
            return;
        }
        switch (s.Kind) {
        case TStatementKind::SolutionPhase: CheckPhase(s); break;
        case TStatementKind::Sid: CheckSid(s); break;
        case TStatementKind::PointPhase: CheckPointPhase(s); break;
        default: CheckParameter(s); break;
        }
        if (s.Kind == TStatementKind::PointPhase && s.Expression.empty())
            return;
        TStatementCheck check = CheckStatement(s, statements_, parametersAbove_);
        for (auto& refusal : check.Refusals)
            findings_.push_back(std::move(refusal));
        CheckBuiltIns(s, check.Names);
        // A parameter named by a phase is used, also where the phase cannot see it.
        if (s.Kind == TStatementKind::SolutionPhase || s.Kind == TStatementKind::PointPhase) {
            used_.insert(used_.end(), check.Names.Variables.begin(), check.Names.Variables.end());
            used_.insert(used_.end(), check.Names.Unknown.begin(), check.Names.Unknown.end());
        }
        if (s.Kind == TStatementKind::Parameter) {
            parametersAbove_.push_back(s.Name);
            // The later line of a parameter defined twice is the one every phase gets.
            parameterReadsX_[s.Name] = ReadsComposition(check.Names.Variables);
        }
        if (s.Kind == TStatementKind::SolutionPhase && !s.Expression.empty() && check.Refusals.empty())
            solutionPhases_.push_back({&s, check.Names.Variables});
    }

    static bool ReadsComposition(const std::vector<std::string>& variables)
    {
        return Contains(variables, "X") || Contains(variables, "SID");
    }

    // A solution phase is a curve over X: one whose G reads neither X nor Sid,
    // nor a parameter that does, is a level line, most often a parameter
    // whose name happens to begin like a phase's (GLIQGE for the liquid Ge).
    void CheckPhasesReadX()
    {
        for (const auto& [s, variables] : solutionPhases_) {
            const bool readsX =
                ReadsComposition(variables) || std::any_of(variables.begin(), variables.end(), [this](const auto& name) {
                    const auto parameter = parameterReadsX_.find(name);
                    return parameter != parameterReadsX_.end() && parameter->second;
                });
            if (readsX)
                continue;
            Warn(*s, s->Name,
                 s->Name + " is the solution phase " + s->PhaseName() +
                     ", but its G reads neither X nor Sid nor a parameter that does, so it is the same at every "
                     "composition; if " + s->Name +
                     " is meant as a parameter, give it a name that does not begin with GL, GS, GV or GC");
        }
    }

    void CheckDirective(const TScriptStatement& s)
    {
        const char* name = s.Kind == TStatementKind::Xmin   ? "#XMIN"
                           : s.Kind == TStatementKind::Xmax ? "#XMAX"
                           : s.Kind == TStatementKind::Pressure ? "P"
                                                                : "T";
        directiveLines_[s.Kind] = s.Line;
        if (s.Expression.empty())
            return;
        TMessageRecorder messages;
        const double value = StrToNumber(s.Expression, &messages);
        directiveValues_[s.Kind] = value;
        if (!messages.Messages.empty())
            Warn(s, name,
                 s.Expression + " is not a number: the run shows \"Invalid number: " + s.Expression + "\" and takes 0");
    }

    void CheckPointProblem(const TScriptStatement& s)
    {
        if (s.PointProblem == TPointProblem::CompositionFault)
            for (auto& refusal : CheckStatement(s, statements_, parametersAbove_).Refusals)
                findings_.push_back(std::move(refusal));
        else if (s.PointProblem == TPointProblem::Composition)
            Add(TFindingSeverity::Error, s.Line, s.Name,
                "this point phase has no composition from 0 to 1 (a part \"X = ...\"): the run stops with \"Point "
                "phase concentration is invalid or not defined\"" +
                    std::string(s.CompositionText.empty() && s.Name.rfind("GC", 0) == 0
                                    ? "; a line beginning with GC is a point phase, so a parameter needs a name that "
                                      "does not begin with GL, GS, GV, GC or SID"
                                    : ""));
        else if (s.PointProblem == TPointProblem::NoExpression)
            Add(TFindingSeverity::Error, s.Line, s.Name,
                "this point phase has a composition but no Gibbs energy (a part \"GC = ...\"): the run stops with "
                "\"Gibbs energy expression for point phase is invalid or not defined\"");
    }

    void CheckPhase(const TScriptStatement& s)
    {
        hasPhase_ = true;
        const std::string phase = s.PhaseName();
        if (const auto first = phaseLines_.find(phase); first != phaseLines_.end())
            Warn(s, s.Name,
                 "the phase " + phase + " is defined again (first on " + LineText(first->second) +
                     "): both are computed, and the grid and the diagram cannot tell them apart");
        else
            phaseLines_[phase] = s.Line;
        if (s.Expression.empty())
            Warn(s, s.Name, s.Name + " has no expression: the phase " + phase + " is never computed");
    }

    void CheckSid(const TScriptStatement& s)
    {
        if (s.Name != "SID")
            Warn(s, s.Name,
                 s.Name + " replaces the ideal-mixing term Sid, as every line beginning with SID does; if " + s.Name +
                     " is meant as a parameter, give it a name that does not begin with SID");
        if (sidLine_ > 0)
            Warn(s, s.Name, "this line replaces the ideal-mixing term of " + LineText(sidLine_));
        sidLine_ = s.Line;
    }

    void CheckPointPhase(const TScriptStatement& s)
    {
        if (s.Expression.empty()) {
            Warn(s, s.Name, s.Name + " has no expression: no point phase is made");
            return;
        }
        ++pointPhases_;
        const std::string composition = FormatGeneral(s.Composition);
        if (const auto first = pointLines_.find(composition); first != pointLines_.end())
            Warn(s, s.Name,
                 "a point phase at X = " + composition + " is defined again (first on " + LineText(first->second) +
                     "): the lower of the two decides");
        else
            pointLines_[composition] = s.Line;
        // The composition is read by an evaluator of its own, on which nothing is set.
        const TParser reader;
        for (const std::string& name : FindNames(s.CompositionText, reader).Variables)
            Warn(s, name, name + " in the composition X = " + s.CompositionText + " always reads 0: a composition is a constant");
    }

    void CheckParameter(const TScriptStatement& s)
    {
        if (Contains(parametersAbove_, s.Name))
            Warn(s, s.Name,
                 "the parameter " + s.Name + " is defined again: every phase gets the value of the later line");
    }

    // Built-in variables the run never sets on this evaluator.
    void CheckBuiltIns(const TScriptStatement& s, const TNameUse& names)
    {
        const std::vector<std::string> never = BuiltInsNeverSet(s, parameters_);
        for (const std::string& name : names.Variables) {
            if (!Contains(never, name))
                continue;
            std::string text = name + " always reads 0 in the expression of " + StatementLabel(s) + ": ";
            if (s.Kind == TStatementKind::Parameter && Contains(parameters_, name))
                text += "a parameter cannot use another parameter, so " + name +
                        " is the built-in variable of that letter here, not the parameter " + name;
            else if (s.Kind == TStatementKind::Parameter)
                text += "it is a built-in variable that a parameter is never given (a parameter sees R, T, p, X and "
                        "Sid)";
            else if (s.Kind == TStatementKind::Sid)
                text += "it is a built-in variable that the SID line is never given (it sees R, p and X)";
            else
                text += "it is a built-in variable, and no parameter of that name gives it a value";
            Warn(s, name, std::move(text));
        }
    }

    void CheckUnusedParameters()
    {
        std::vector<std::string> reported;
        for (const TScriptStatement& s : statements_) {
            if (s.Kind != TStatementKind::Parameter || !s.HasEquals || Contains(used_, s.Name) ||
                Contains(reported, s.Name) || !IsValidVariableName(s.Name))
                continue;
            reported.push_back(s.Name);
            if (s.Name.rfind('G', 0) == 0)
                Warn(s, s.Name,
                     s.Name + " is read as a parameter, and no phase uses it: only names beginning with GL, GS, GV "
                              "or GC are phases (GS" + s.Name.substr(1) + " would be a solid solution phase)");
            else
                Warn(s, s.Name, "the parameter " + s.Name + " is used by no phase");
        }
    }

    void CheckXRange()
    {
        const auto xmin = directiveValues_.find(TStatementKind::Xmin);
        const auto xmax = directiveValues_.find(TStatementKind::Xmax);
        const double low = xmin == directiveValues_.end() ? 0 : xmin->second;
        const double high = xmax == directiveValues_.end() ? 1 : xmax->second;
        if (low < high || (xmin == directiveValues_.end() && xmax == directiveValues_.end()))
            return;
        const TStatementKind later = directiveLines_[TStatementKind::Xmin] > directiveLines_[TStatementKind::Xmax]
                                         ? TStatementKind::Xmin
                                         : TStatementKind::Xmax;
        Add(TFindingSeverity::Warning, directiveLines_[later], later == TStatementKind::Xmin ? "#XMIN" : "#XMAX",
            "the X range from " + FormatGeneral(low) + " to " + FormatGeneral(high) +
                " is empty: #XMIN must be below #XMAX");
    }

    void CheckRunValues(const TCheckRunValues& run)
    {
        auto runFinding = [this](TFindingSeverity severity, const char* name, std::string text) {
            Add(severity, 0, name, std::move(text));
        };
        for (const auto& [name, value] : {std::pair{"Ymin", run.Ymin}, std::pair{"Ymax", run.Ymax}})
            if (value && !std::isfinite(*value))
                runFinding(TFindingSeverity::Error, name, std::string(name) + " is not a finite number");
        if (run.Ymin && run.Ymax && *run.Ymax < *run.Ymin)
            runFinding(TFindingSeverity::Error, "Ymax",
                       "Ymax " + FormatGeneral(*run.Ymax) + " is below Ymin " + FormatGeneral(*run.Ymin) +
                           ": the run stops with \"Ymax must be more that Ymin\"");
        if (run.Yparameter)
            CheckTemperature(run);
        if (run.YPoints && *run.YPoints < 1)
            runFinding(TFindingSeverity::Warning, "YPoints",
                       "YPoints " + std::to_string(*run.YPoints) + " is below 1: the run computes 1 step (2 lines)");
        if (run.XPoints && *run.XPoints < 2)
            runFinding(TFindingSeverity::Warning, "XPoints",
                       "XPoints " + std::to_string(*run.XPoints) + " is below 2: the run uses 2 intervals along X");
        if (run.YPoints && run.XPoints) {
            const TGridSize grid = GridSizeOf(*run.YPoints, *run.XPoints, static_cast<std::size_t>(pointPhases_));
            if (grid.TooLarge())
                runFinding(TFindingSeverity::Error, "XPoints",
                           "the grid of " + FormatGeneral(grid.Columns) + " by " + FormatGeneral(grid.Rows) +
                               " cells is too large: the run refuses more than " + FormatGeneral(kMaxGridCells) +
                               " cells; reduce XPoints or YPoints");
        }
    }

    void CheckTemperature(const TCheckRunValues& run)
    {
        const std::string& y = *run.Yparameter;
        const TYQuantity quantity = YQuantityOf(y);
        if (quantity == TYQuantity::Temperature || quantity == TYQuantity::Pressure) {
            // The sweep or Zvalue sets T and p; their directives serve only the parameters before the sweep.
            for (const TScriptStatement& s : statements_)
                if (s.Kind == TStatementKind::Temperature || s.Kind == TStatementKind::Pressure)
                    Warn(s, s.Kind == TStatementKind::Temperature ? "T" : "P",
                         std::string(s.Kind == TStatementKind::Temperature ? "T" : "p") + " = " + s.Expression +
                             " is not used by the sweep when Y is " + y + ": " +
                             ((s.Kind == TStatementKind::Temperature) == (quantity == TYQuantity::Temperature)
                                  ? "the sweep sets it"
                                  : "Zvalue sets it") +
                             " (the line serves only the parameters' computation before the sweep)");
        }
        if (quantity == TYQuantity::Temperature) {
            std::optional<double> lowest = run.Ymin ? run.Ymin : run.Ymax;
            if (lowest && *lowest <= 0)
                Add(TFindingSeverity::Warning, 0, run.Ymin ? "Ymin" : "Ymax",
                    "the temperature range reaches " + FormatGeneral(*lowest) + " K: T must stay above 0 K");
        } else if (quantity == TYQuantity::Pressure) {
            if (run.Zvalue && *run.Zvalue <= 0)
                Add(TFindingSeverity::Warning, 0, "Zvalue",
                    "the temperature (Zvalue) is " + FormatGeneral(*run.Zvalue) + " K: T must be above 0 K");
        } else if (quantity == TYQuantity::Y) {
            const auto t = directiveValues_.find(TStatementKind::Temperature);
            const double temperature = t == directiveValues_.end() ? 300 : t->second;
            if (temperature <= 0)
                Add(TFindingSeverity::Warning, directiveLines_[TStatementKind::Temperature], "T",
                    "the temperature is " + FormatGeneral(temperature) + " K: T must be above 0 K");
        }
    }

    const std::vector<TScriptStatement> statements_;
    std::vector<std::string> parameters_;      // every parameter of the script
    std::vector<std::string> parametersAbove_; // those before the statement being checked
    std::vector<std::string> used_;            // variables read by phases and point phases
    std::map<std::string, bool> parameterReadsX_;                                  // parameter -> reads X or Sid
    std::vector<std::pair<const TScriptStatement*, std::vector<std::string>>> solutionPhases_; // phase -> its variables
    std::map<std::string, int> phaseLines_, pointLines_;
    std::map<TStatementKind, int> directiveLines_;     // the last line of each directive
    std::map<TStatementKind, double> directiveValues_; // and its value
    int sidLine_ = 0;
    int pointPhases_ = 0;
    bool hasPhase_ = false;
    std::vector<TScriptFinding> findings_;
};

} // namespace

TCheckRunValues RunValuesOf(const TProblemRow& problem)
{
    return {problem.Yparameter, problem.Ymin, problem.Ymax, problem.Zvalue, problem.YPoints, problem.XPoints};
}

std::vector<TScriptFinding> CheckScript(const std::string& script, const TCheckRunValues& run)
{
    return Checker(script).Run(run);
}

bool HasError(const std::vector<TScriptFinding>& findings)
{
    return std::any_of(findings.begin(), findings.end(),
                       [](const TScriptFinding& f) { return f.Severity == TFindingSeverity::Error; });
}

const char* SeverityName(TFindingSeverity severity)
{
    return severity == TFindingSeverity::Error ? "error" : "warning";
}

std::string DescribeFinding(const TScriptFinding& finding)
{
    return finding.Line > 0 ? "Line " + std::to_string(finding.Line) + ": " + finding.Text : finding.Text;
}

} // namespace solvane
