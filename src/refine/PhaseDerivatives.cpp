// Phase energies with their X derivatives through Sid and the parameters.
#include "refine/PhaseDerivatives.h"

#include "script/ScriptText.h"

namespace solvane {

void TPhaseDerivatives::Slots::Find(const TTaylorProgram& program)
{
    x = program.Slot("X");
    t = program.Slot("T");
    p = program.Slot("P");
    y = program.Slot("Y");
    sid = program.Slot("SID");
}

TPhaseDerivatives::TPhaseDerivatives(const TRunResult& run, const TScriptModel& script, TYQuantity y)
    : y_(y), temperature_(run.Temperature), pressure_(run.Pressure)
{
    sid_.emplace(script.sidParser);
    sidX_ = sid_->Slot("X");
    for (const auto& param : script.Params) {
        params_.emplace_back(*param.Object);
        paramSlots_.emplace_back().Find(params_.back());
        paramNames_.push_back(AsciiUpper(param.Text));
    }
    auto make = [this](const TParser& evaluator) {
        Phase phase;
        if (evaluator.Expression().empty())
            return phase;
        phase.program.emplace(evaluator);
        phase.slots.Find(*phase.program);
        for (const std::string& name : paramNames_)
            phase.params.push_back(phase.program->Slot(name));
        return phase;
    };
    for (const auto& phase : script.Phases) {
        phases_.push_back(make(*phase.Object));
        phaseNames_.push_back(phase.Text);
    }
    for (const auto& point : script.PointPhases) {
        points_.push_back(make(*point.Object));
        points_.back().slots.x = -1; // X keeps the composition
        pointTexts_.push_back(point.Text);
        pointX_.push_back(StrToNumber(point.Text, nullptr));
    }
}

std::optional<std::size_t> TPhaseDerivatives::FindPhase(const std::string& name) const
{
    for (std::size_t k = 0; k < phaseNames_.size(); ++k)
        if (phaseNames_[k] == name)
            return k;
    return std::nullopt;
}

std::optional<std::size_t> TPhaseDerivatives::FindPointPhase(const std::string& text) const
{
    for (std::size_t k = 0; k < pointTexts_.size(); ++k)
        if (pointTexts_[k] == text)
            return k;
    return std::nullopt;
}

void TPhaseDerivatives::SetConditions(TTaylorProgram& program, const Slots& slots, double y) const
{
    program.SetInput(slots.t, TaylorConstant(y_ == TYQuantity::Temperature ? y : temperature_));
    program.SetInput(slots.p, TaylorConstant(y_ == TYQuantity::Pressure ? y : pressure_));
}

bool TPhaseDerivatives::Mixing(double x, bool rangeTest, double y, int order)
{
    Mixed& m = mixed_;
    if (!(m.valid && m.x == x && m.y == y && m.rangeTest == rangeTest && m.order >= order)) {
        m.valid = false; // until computed: an evaluator error may leave it half done
        m.smooth = true;
        // The run takes Sid as 0 outside [0, 1] at the grid's columns, but not at a point phase.
        if (rangeTest && (x < 0 || x > 1)) {
            m.sid = TaylorConstant(0);
        } else {
            sid_->SetInput(sidX_, TaylorVariable(x));
            m.smooth = sid_->Run(m.sid, order) && m.smooth;
        }
        m.params.resize(params_.size());
        for (std::size_t k = 0; k < params_.size(); ++k) {
            TTaylorProgram& p = params_[k];
            const Slots& slots = paramSlots_[k];
            p.SetInput(slots.x, TaylorVariable(x));
            SetConditions(p, slots, y);
            p.SetInput(slots.sid, m.sid);
            // The run hands a parameter on through its 15-digit text; the exact value is
            // used here, so that its derivatives belong to the same function.
            m.smooth = p.Run(m.params[k], order) && m.smooth;
        }
        m.x = x;
        m.y = y;
        m.rangeTest = rangeTest;
        m.order = order;
        m.valid = true;
    }
    return m.smooth;
}

bool TPhaseDerivatives::Solution(std::size_t k, double x, double y, TTaylor& g, int order)
{
    Phase& phase = phases_[k];
    if (!phase.program) {
        g = TaylorConstant(kNoEnergy);
        return true;
    }
    const bool smooth = Mixing(x, true, y, order);
    const TTaylor& sid = mixed_.sid;
    const std::vector<TTaylor>& params = mixed_.params;
    TTaylorProgram& program = *phase.program;
    SetConditions(program, phase.slots, y);
    program.SetInput(phase.slots.y, TaylorConstant(y));
    program.SetInput(phase.slots.x, TaylorVariable(x));
    program.SetInput(phase.slots.sid, sid);
    for (std::size_t m = 0; m < params.size(); ++m)
        program.SetInput(phase.params[m], params[m]);
    return program.Run(g, order) && smooth;
}

bool TPhaseDerivatives::Point(std::size_t k, double y, double& g)
{
    Phase& phase = points_[k];
    if (!phase.program)
        return false;
    Mixing(pointX_[k], false, y, 0);
    const TTaylor& sid = mixed_.sid;
    const std::vector<TTaylor>& params = mixed_.params;
    TTaylorProgram& program = *phase.program;
    SetConditions(program, phase.slots, y);
    program.SetInput(phase.slots.y, TaylorConstant(y));
    program.SetInput(phase.slots.sid, sid);
    for (std::size_t m = 0; m < params.size(); ++m)
        program.SetInput(phase.params[m], params[m]);
    TTaylor value;
    program.Run(value, 0);
    g = value[0];
    return true;
}

} // namespace solvane
