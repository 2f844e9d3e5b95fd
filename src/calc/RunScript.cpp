// The problem script into the run: the script model builds the evaluators,
// the run takes the directives' values.
#include "calc/Run.h"

namespace solvane {

void TRun::EvaluateParameters(double x, double sid)
{
    script_.EvaluateParameters(x, sid, result_.Temperature, result_.Pressure);
}

bool TRun::InterpretScript()
{
    cellsBound_ = false;
    // The directives read before an evaluator raised stay the run's, as they
    // did when the run read them itself.
    struct TakeDirectives {
        const TScriptModel& script;
        TRunResult& result;
        ~TakeDirectives()
        {
            result.Xmin = script.Xmin;
            result.Xmax = script.Xmax;
            result.Temperature = script.Temperature;
            result.Pressure = script.Pressure;
            result.XCaption = script.XCaption;
            result.YCaption = script.YCaption;
        }
    } take{script_, result_};
    // The ideal-mixing value the last line computed, as the parameters saw it.
    return script_.Build(Input.Problem.Functs, messages_, Input.Separators.decimal, SidValue);
}

} // namespace solvane
