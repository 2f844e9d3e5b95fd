// Where a run that ended on an expression error failed, for the detail of the
// error box: the statement, its line and the name at fault.
#include "calc/Run.h"
#include "calc/RunState.h"
#include "script/ScriptCheck.h"
#include "script/ScriptText.h"
#include "script/StatementCheck.h"
#include "text/NumberFormat.h"

#include <exception>
#include <memory>

namespace solvane {
namespace {

struct Evaluator {
    const TScriptStatement* Statement = nullptr; // null: the default ideal-mixing term
    TParser* Parser = nullptr;
};

// The script model's evaluators with the statements they come from.
struct Evaluators {
    Evaluator Sid;
    std::vector<Evaluator> Parameters, Phases, Points;
};

std::vector<Evaluator> Paired(TNamedList<TParser>& list, const std::vector<const TScriptStatement*>& sources)
{
    std::vector<Evaluator> paired;
    for (std::size_t k = 0; k < list.size(); ++k)
        paired.push_back({sources[k], list[k].Object.get()});
    return paired;
}

Evaluators Pair(TScriptModel& model)
{
    const TScriptModel::TSources& sources = model.Sources();
    return {{sources.Sid, &model.sidParser},
            Paired(model.Params, sources.Params),
            Paired(model.Phases, sources.Phases),
            Paired(model.PointPhases, sources.PointPhases)};
}

// One line of the sweep replayed evaluator by evaluator, in the run's order,
// until one raises.
class LineReplay {
public:
    LineReplay(Evaluators& evaluators, const TRunResult& run) : e_(evaluators), run_(run) {}

    std::optional<TScriptFinding> Find(const std::string& error)
    {
        error_ = error;
        for (const auto& column : run_.XColumns) {
            const double x = column.Object->X;
            double sid = 0;
            if (x >= 0 && x <= 1 && !Evaluate(e_.Sid, {{"X", x}}, x, sid))
                return found_;
            if (!Parameters(x, sid))
                return found_;
            for (Evaluator& phase : e_.Phases) {
                if (phase.Parser->Expression().empty())
                    continue;
                double g = 0;
                if (!Evaluate(phase, WithParameters({{"T", run_.Temperature}, {"p", run_.Pressure},
                                                    {"y", run_.CurrentY}, {"X", x}, {"Sid", sid}}),
                              x, g))
                    return found_;
            }
        }
        for (Evaluator& point : e_.Points) {
            // The sweep reads the composition back from its 15-digit text.
            const double x = StrToNumber(FormatGeneral(point.Statement->Composition), nullptr);
            double sid = 0, g = 0;
            if (!Evaluate(e_.Sid, {{"X", x}}, x, sid) || !Parameters(x, sid) ||
                !Evaluate(point, WithParameters({{"Sid", sid}, {"T", run_.Temperature}, {"p", run_.Pressure},
                                                 {"y", run_.CurrentY}}),
                          x, g))
                return found_;
        }
        return std::nullopt;
    }

private:
    using Settings = std::vector<std::pair<std::string, double>>;

    bool Parameters(double x, double sid)
    {
        values_.clear();
        for (Evaluator& parameter : e_.Parameters) {
            double value = 0;
            if (!Evaluate(parameter, {{"X", x}, {"T", run_.Temperature}, {"p", run_.Pressure}, {"Sid", sid}}, x, value))
                return false;
            values_.emplace_back(parameter.Statement->Name, RoundToParameterText(value));
        }
        return true;
    }

    Settings WithParameters(Settings settings) const
    {
        settings.insert(settings.end(), values_.begin(), values_.end());
        return settings;
    }

    // False when the evaluator raises; found_ then says where, if the error is the run's.
    bool Evaluate(Evaluator& e, const Settings& settings, double x, double& value)
    {
        try {
            for (const auto& [name, v] : settings)
                e.Parser->SetVariable(name, v);
            value = static_cast<double>(e.Parser->Value());
            return true;
        } catch (const std::exception& raised) {
            if (raised.what() == error_)
                found_ = Describe(e, x, raised.what());
            return false;
        }
    }

    TScriptFinding Describe(const Evaluator& e, double x, const std::string& message) const
    {
        const TScriptStatement* s = e.Statement;
        std::string what = !s                                      ? "the ideal-mixing term Sid"
                           : s->Kind == TStatementKind::Sid        ? StatementLabel(*s)
                           : s->Kind == TStatementKind::Parameter  ? "the parameter " + s->Name
                           : s->Kind == TStatementKind::PointPhase ? "the point phase " + s->Name
                                                                   : s->Name + " (the phase " + s->PhaseName() + ")";
        std::string at = "X = " + FormatGeneral(x) + ", T = " + FormatGeneral(run_.Temperature) +
                         ", p = " + FormatGeneral(run_.Pressure);
        if (run_.CurrentY != run_.Temperature && run_.CurrentY != run_.Pressure) // Y is the free variable
            at += ", y = " + FormatGeneral(run_.CurrentY);
        return {TFindingSeverity::Error, s ? s->Line : 0, s ? s->Name : "SID",
                what + " fails at " + at + ": " + message};
    }

    Evaluators& e_;
    const TRunResult& run_;
    std::string error_;
    Settings values_; // the parameters at the current X, as their decimal texts read back
    std::optional<TScriptFinding> found_;
};

// The first statement the run refuses: its name or expression, or, at the
// solution phase where a parameter raised, that parameter. Nothing past a
// point-phase warning, which ends the run without an error.
std::optional<TScriptFinding> FirstRefusal(const TScriptModel& model, const std::optional<TScriptFinding>& parameterFailure)
{
    const std::vector<TScriptStatement>& statements = model.Statements();
    std::vector<std::string> above;
    for (const TScriptStatement& s : statements) {
        TStatementCheck check = CheckStatement(s, statements, above);
        if (!check.Refusals.empty())
            return check.Refusals.front();
        if (parameterFailure && &s == model.StatementBeingBuilt())
            return parameterFailure;
        if (s.PointProblem != TPointProblem::None)
            return std::nullopt;
        if (s.Kind == TStatementKind::Parameter && s.HasEquals)
            above.push_back(s.Name);
    }
    return std::nullopt;
}

} // namespace

std::optional<TScriptFinding> LocateRunFailure(const std::string& script, const TRunResult& run, const std::string& error)
{
    // The script model built as the run built it, before any line (Sid 0).
    TScriptModel model;
    bool built = false;
    try {
        built = model.Build(script, nullptr, '.', 0);
    } catch (const std::exception& raised) {
        if (const TScriptStatement* parameter = model.ParameterThatRaised())
            return FirstRefusal(model, ParameterFailure(*parameter, *model.StatementBeingBuilt(), model.Temperature,
                                                        model.Pressure, raised.what()));
    }
    if (auto refused = FirstRefusal(model, std::nullopt); refused || !built)
        return refused;
    Evaluators evaluators = Pair(model);
    return LineReplay(evaluators, run).Find(error);
}

} // namespace solvane
