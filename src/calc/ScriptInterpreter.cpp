// The problem script: one statement per line, turned into evaluators and the
// directives of the run state.
#include "calc/Run.h"

#include "text/NumberFormat.h"
#include "script/ScriptStatements.h"
#include "script/ScriptText.h"

#include <memory>

namespace solvane {
namespace {

// Deleting "up to the end of the line" removes at most this many characters.
constexpr std::size_t kLineTailLimit = 1000;

void CutFrom(std::string& line, std::string_view marker)
{
    if (const auto pos = line.find(marker); pos != std::string::npos)
        line.erase(pos, kLineTailLimit);
}

bool StartsWith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }
bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

enum class LineKind { SolutionPhase, Sid, PointPhase, Parameter };

LineKind Classify(const std::string& upper)
{
    if (StartsWith(upper, "GL") || StartsWith(upper, "GV") || StartsWith(upper, "GS"))
        return LineKind::SolutionPhase;
    if (StartsWith(upper, "SID"))
        return LineKind::Sid;
    if (StartsWith(upper, "GC") || StartsWith(upper, "X="))
        return LineKind::PointPhase;
    return LineKind::Parameter;
}

} // namespace

void TRun::EvaluateParameters(double x, double sid)
{
    // The variable cells of each parameter evaluator are looked up once.
    while (paramCells_.size() < Params.size()) {
        TParser& p = *Params[paramCells_.size()].Object;
        paramCells_.push_back({p.SetVariable("X", 0), p.SetVariable("T", 0), p.SetVariable("p", 0),
                               p.SetVariable("Sid", 0)});
    }
    ParamValues.clear();
    for (std::size_t k = 0; k < Params.size(); ++k) {
        ParamCells& cells = paramCells_[k];
        *cells.X = x;
        *cells.T = Temperature;
        *cells.P = Pressure;
        *cells.Sid = sid;
        const double value = static_cast<double>(Params[k].Object->Value());
        // Parameters often depend on T only: the same value rounds the same way.
        if (!(value == cells.lastValue)) {
            cells.lastValue = value;
            cells.lastRounded = RoundToParameterText(value);
        }
        ParamValues.push_back(cells.lastRounded);
    }
}

bool TRun::InterpretScript()
{
    Xmin = 0;
    Xmax = 1;
    Pressure = 1;
    Temperature = 300;
    XCaption.clear();
    YCaption.clear();
    PointPhases.clear();
    Phases.clear();
    Params.clear();
    ParamValues.clear();
    paramCells_.clear();
    cellsBound_ = false;

    sidParser.SetVariable("R", kGasConstant);
    sidParser.SetExpression(kDefaultSidExpression);
    sidParser.SetVariable("p", 1);

    const std::vector<std::string> lines = SplitLines(Input.Problem.Functs);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = TrimBlanks(lines[i]);
        CutFrom(line, "%");
        if (line.empty())
            continue;
        std::string upper = AsciiUpper(line);
        if (Contains(upper, "#XCAP=")) {
            XCaption = line.substr(std::min<std::size_t>(6, line.size()));
            continue;
        }
        if (Contains(upper, "#YCAP=")) {
            YCaption = line.substr(std::min<std::size_t>(6, line.size()));
            continue;
        }
        line = StripBlanks(line);
        upper = AsciiUpper(line);
        auto directiveValue = [&](std::size_t skip, double& target) {
            const std::string value = TrimBlanks(line.substr(std::min(skip, line.size())));
            if (!value.empty())
                target = StrToNumber(value, messages_);
        };
        if (Contains(upper, "#XMIN=")) {
            directiveValue(6, Xmin);
            continue;
        }
        if (Contains(upper, "#XMAX=")) {
            directiveValue(6, Xmax);
            continue;
        }
        if (StartsWith(upper, "P=")) {
            directiveValue(2, Pressure);
            continue;
        }
        if (StartsWith(upper, "T=")) {
            directiveValue(2, Temperature);
            continue;
        }

        // A line ending in "..." goes on in the next memo line.
        bool dropped = false;
        while (Contains(line, "...")) {
            CutFrom(line, "...");
            if (i + 1 >= lines.size())
                break;
            ++i;
            line += StripBlanks(lines[i]);
            CutFrom(line, "%");
            if (line.empty()) {
                dropped = true;
                break;
            }
        }
        if (dropped)
            continue;

        upper = AsciiUpper(line);
        const LineKind kind = Classify(upper);
        double composition = -1;
        if (kind == LineKind::PointPhase) {
            StrParser1.Split(upper);
            std::vector<std::string>& parts = StrParser1.Parts;
            for (std::size_t k = parts.size(); k-- > 0;) {
                if (StartsWith(parts[k], "X=")) {
                    composition = ReadComposition(parts[k]);
                    parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(k));
                }
            }
            if (!(composition >= 0)) {
                Message(TMessageKind::Warning, "Point phase concentration is invalid or not defined");
                return false;
            }
            if (parts.empty()) {
                Message(TMessageKind::Warning, "Gibbs energy expression for point phase is invalid or not defined");
                return false;
            }
            line = parts.front();
        }

        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string name = AsciiUpper(line.substr(0, equals));
        const std::string expression = line.substr(equals + 1);

        switch (kind) {
        case LineKind::SolutionPhase: {
            auto phase = std::make_unique<TParser>();
            phase->SetVariable("R", kGasConstant);
            phase->SetVariable("T", 500);
            phase->SetVariable("p", 1);
            phase->SetVariable("X", 0.5);
            phase->SetVariable("Sid", 0.5);
            if (ParamValues.size() < Params.size())
                EvaluateParameters(0.5, SidValue); // the last value a line computed
            for (std::size_t k = 0; k < Params.size(); ++k)
                phase->SetVariable(Params[k].Text, ParameterValue(static_cast<int>(k)));
            phase->SetExpression(expression);
            name = name.substr(1);
            phase->SetVariable(name, 0);
            Phases.push_back({name, std::move(phase)});
            break;
        }
        case LineKind::Sid:
            sidParser.SetExpression(expression);
            break;
        case LineKind::PointPhase: {
            if (expression.empty())
                break;
            auto point = std::make_unique<TParser>();
            point->SetVariable("R", kGasConstant);
            point->SetVariable("p", 1);
            point->SetVariable("X", composition);
            point->SetVariable("Sid", 0.5);
            point->SetExpression(expression);
            point->SetVariable(name, 0);
            PointPhases.push_back({FormatGeneral(composition, Input.Separators.decimal), std::move(point)});
            break;
        }
        case LineKind::Parameter: {
            auto param = std::make_unique<TParser>();
            param->SetVariable("R", kGasConstant);
            param->SetVariable("p", 1);
            param->SetVariable("T", 300);
            param->SetVariable("Sid", 0.5);
            param->SetExpression(expression);
            Params.push_back({name, std::move(param)});
            break;
        }
        }
    }
    return true;
}

} // namespace solvane
