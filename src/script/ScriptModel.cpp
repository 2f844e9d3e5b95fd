#include "script/ScriptModel.h"

#include "script/ScriptText.h"
#include "text/NumberFormat.h"

#include <memory>

namespace solvane {
namespace {

void Warn(TMessageSink* messages, const std::string& text)
{
    if (messages)
        messages->Show(TMessageKind::Warning, text);
}

// A directive's number; an empty value leaves the target as it is.
void ReadDirective(const TScriptStatement& s, TMessageSink* messages, double& target)
{
    if (!s.Expression.empty())
        target = StrToNumber(s.Expression, messages);
}

} // namespace

void TScriptModel::Reset()
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
    building_ = nullptr;
    raisingParameter_ = nullptr;
    sources_ = {};
    sidParser.SetVariable("R", kGasConstant);
    sidParser.SetExpression(kDefaultSidExpression);
    sidParser.SetVariable("p", 1);
}

bool TScriptModel::Build(const std::string& script, TMessageSink* messages, char decimal, double lastSid)
{
    Reset();
    statements_ = ReadScriptStatements(script);
    for (const TScriptStatement& s : statements_) {
        building_ = &s;
        if (!Take(s, messages, decimal, lastSid))
            return false;
    }
    building_ = nullptr;
    return true;
}

bool TScriptModel::Take(const TScriptStatement& s, TMessageSink* messages, char decimal, double lastSid)
{
    switch (s.Kind) {
    case TStatementKind::XCaption: XCaption = s.Expression; return true;
    case TStatementKind::YCaption: YCaption = s.Expression; return true;
    case TStatementKind::Xmin: ReadDirective(s, messages, Xmin); return true;
    case TStatementKind::Xmax: ReadDirective(s, messages, Xmax); return true;
    case TStatementKind::Pressure: ReadDirective(s, messages, Pressure); return true;
    case TStatementKind::Temperature: ReadDirective(s, messages, Temperature); return true;
    default: break;
    }
    if (s.PointProblem != TPointProblem::None)
        return TakePointProblem(s, messages);
    if (!s.HasEquals)
        return true;
    switch (s.Kind) {
    case TStatementKind::SolutionPhase: AddSolutionPhase(s, lastSid); break;
    case TStatementKind::Sid:
        sidParser.SetExpression(s.Expression);
        sources_.Sid = &s;
        break;
    case TStatementKind::PointPhase: AddPointPhase(s, decimal); break;
    default: AddParameter(s); break;
    }
    return true;
}

bool TScriptModel::TakePointProblem(const TScriptStatement& s, TMessageSink* messages)
{
    switch (s.PointProblem) {
    case TPointProblem::CompositionFault: std::rethrow_exception(s.CompositionException);
    case TPointProblem::Composition: Warn(messages, "Point phase concentration is invalid or not defined"); break;
    default: Warn(messages, "Gibbs energy expression for point phase is invalid or not defined"); break;
    }
    return false;
}

void TScriptModel::AddSolutionPhase(const TScriptStatement& s, double lastSid)
{
    auto phase = std::make_unique<TParser>();
    phase->SetVariable("R", kGasConstant);
    phase->SetVariable("T", 500);
    phase->SetVariable("p", 1);
    phase->SetVariable("X", 0.5);
    phase->SetVariable("Sid", 0.5);
    if (ParamValues.size() < Params.size()) {
        try {
            EvaluateParameters(0.5, lastSid, Temperature, Pressure);
        } catch (...) {
            raisingParameter_ = sources_.Params[ParamValues.size()]; // the values before it are in
            throw;
        }
    }
    for (std::size_t k = 0; k < Params.size(); ++k)
        phase->SetVariable(Params[k].Text, ParameterValue(k));
    phase->SetExpression(s.Expression);
    const std::string name = s.Name.substr(1);
    phase->SetVariable(name, 0);
    Phases.push_back({name, std::move(phase)});
    sources_.Phases.push_back(&s);
}

void TScriptModel::AddPointPhase(const TScriptStatement& s, char decimal)
{
    if (s.Expression.empty())
        return;
    auto point = std::make_unique<TParser>();
    point->SetVariable("R", kGasConstant);
    point->SetVariable("p", 1);
    point->SetVariable("X", s.Composition);
    point->SetVariable("Sid", 0.5);
    point->SetExpression(s.Expression);
    point->SetVariable(s.Name, 0);
    PointPhases.push_back({FormatGeneral(s.Composition, decimal), std::move(point)});
    sources_.PointPhases.push_back(&s);
}

void TScriptModel::AddParameter(const TScriptStatement& s)
{
    auto param = std::make_unique<TParser>();
    param->SetVariable("R", kGasConstant);
    param->SetVariable("p", 1);
    param->SetVariable("T", 300);
    param->SetVariable("Sid", 0.5);
    param->SetExpression(s.Expression);
    Params.push_back({s.Name, std::move(param)});
    sources_.Params.push_back(&s);
}

void TScriptModel::EvaluateParameters(double x, double sid, double temperature, double pressure)
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
        *cells.T = temperature;
        *cells.P = pressure;
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

} // namespace solvane
