#pragma once
// The Gibbs energies of a finished run's phases as functions of X at any Y,
// with their derivatives in X to the third order. G of a solution phase reads
// X directly, through Sid (the ideal-mixing term at X) and through every
// parameter (each evaluated at X): all three are differentiated, by the chain
// rule. The script model's evaluators are only read; each phase gets its own copy of
// the program and of the variable values.
#include "calc/RunState.h"
#include "script/ScriptModel.h"
#include "expr/Derivatives.h"
#include "script/YQuantity.h"

#include <optional>
#include <string>
#include <vector>

namespace solvane {

class TPhaseDerivatives {
public:
    // `y`: what follows the level Y besides "y" (the temperature, the pressure, or nothing).
    TPhaseDerivatives(const TRunResult& run, const TScriptModel& script, TYQuantity y);

    std::size_t PhaseCount() const { return phases_.size(); }
    std::size_t PointPhaseCount() const { return points_.size(); }
    // The solution phase of this name, or the point phase of this composition text.
    std::optional<std::size_t> FindPhase(const std::string& name) const;
    std::optional<std::size_t> FindPointPhase(const std::string& text) const;
    const std::string& PhaseName(std::size_t k) const { return phaseNames_[k]; }
    const std::string& PointPhaseText(std::size_t k) const { return pointTexts_[k]; }
    double PointPhaseX(std::size_t k) const { return pointX_[k]; }

    // G of solution phase k at (x, y) to the given order. Raises the evaluator's
    // errors; false when a derivative does not exist there. A phase without an
    // expression gives 1e10, as in the run.
    bool Solution(std::size_t k, double x, double y, TTaylor& g, int order = kTaylorOrder);
    // G of point phase k at y; false when it has no expression.
    bool Point(std::size_t k, double y, double& g);

private:
    // The input slots of one program, looked up once.
    struct Slots {
        int x = -1, t = -1, p = -1, y = -1, sid = -1;
        void Find(const TTaylorProgram& program);
    };
    void SetConditions(TTaylorProgram& program, const Slots& slots, double y) const;
    // Sid and the parameters at x, as series in x, into mixed_; false when some
    // derivative does not exist.
    bool Mixing(double x, bool rangeTest, double y, int order);

    struct Phase {
        std::optional<TTaylorProgram> program;
        Slots slots;
        std::vector<int> params; // the slot of each parameter, -1 when not read
    };
    TYQuantity y_;
    double temperature_, pressure_;
    std::optional<TTaylorProgram> sid_;
    int sidX_ = -1;
    std::vector<TTaylorProgram> params_;
    std::vector<Slots> paramSlots_;
    std::vector<std::string> paramNames_;
    std::vector<Phase> phases_, points_;
    // The last Sid and parameters computed: the phases at one X share them.
    struct Mixed {
        double x = 0, y = 0;
        bool rangeTest = false, smooth = false, valid = false;
        int order = -1;
        TTaylor sid{};
        std::vector<TTaylor> params;
    } mixed_;
    std::vector<std::string> phaseNames_, pointTexts_;
    std::vector<double> pointX_;
};

} // namespace solvane
