#pragma once
// What the statements of a script define for a run: the directives' values and
// the evaluators of the phases, point phases, parameters and the ideal-mixing
// term, built from the one reading of the script (ReadScriptStatements).
//
//   TScriptModel model;
//   if (model.Build(script, sink, '.', 0)) ... model.Phases, model.Params ...
#include "script/NamedList.h"
#include "script/ScriptStatements.h"
#include "expr/Parser10.h"
#include "text/Messages.h"

#include <cstddef>
#include <string>
#include <vector>

namespace solvane {

// The ideal-mixing term unless a SID line replaces it.
inline constexpr const char* kDefaultSidExpression = "-8.31441*(X*Ln(X)+(1-X)*ln(1-X))";
inline constexpr double kGasConstant = 8.31441;

class TScriptModel {
public:
    // The statements into evaluators, in script order: directive numbers go
    // through StrToNumber (its messages to `messages`), and a solution phase
    // that follows new parameters evaluates them at X = 0.5 with the T and p
    // set so far and `lastSid`. False after a point-phase warning, which ends
    // the building there. An evaluator that raises ends it by the exception;
    // StatementBeingBuilt() then says at which statement.
    bool Build(const std::string& script, TMessageSink* messages, char decimal, double lastSid);

    // The parameters at composition x into ParamValues.
    void EvaluateParameters(double x, double sid, double temperature, double pressure);
    double ParameterValue(std::size_t k) const { return ParamValues[k]; }

    // The statements of the last Build, and the one it was taking when it
    // ended (null when it went through them all).
    const std::vector<TScriptStatement>& Statements() const { return statements_; }
    const TScriptStatement* StatementBeingBuilt() const { return building_; }
    // When a parameter raised as a solution phase was built: that parameter.
    const TScriptStatement* ParameterThatRaised() const { return raisingParameter_; }
    // The statement each evaluator was built from, in the lists' order; Sid
    // is null for the default ideal-mixing term.
    struct TSources {
        const TScriptStatement* Sid = nullptr;
        std::vector<const TScriptStatement*> Phases, PointPhases, Params;
    };
    const TSources& Sources() const { return sources_; }

    // The directives, with the values a script without them has.
    double Xmin = 0, Xmax = 1;
    double Temperature = 300, Pressure = 1;
    std::string XCaption, YCaption;

    TNamedList<TParser> Phases;
    TNamedList<TParser> PointPhases; // named by the composition's 15-digit text
    TNamedList<TParser> Params;
    // The parameter values at the last evaluation. Each stands for its
    // 15-digit decimal text (FormatGeneral) and holds exactly what that text
    // reads back as.
    std::vector<double> ParamValues;
    TParser sidParser; // the ideal-mixing term

private:
    void Reset();
    // False after a point-phase warning.
    bool Take(const TScriptStatement& s, TMessageSink* messages, char decimal, double lastSid);
    bool TakePointProblem(const TScriptStatement& s, TMessageSink* messages);
    void AddSolutionPhase(const TScriptStatement& s, double lastSid);
    void AddPointPhase(const TScriptStatement& s, char decimal);
    void AddParameter(const TScriptStatement& s);

    // Variable cells of each parameter evaluator, looked up once.
    struct ParamCells {
        double *X, *T, *P, *Sid;
        double lastValue = 0, lastRounded = 0;
    };
    std::vector<ParamCells> paramCells_;
    std::vector<TScriptStatement> statements_;
    const TScriptStatement* building_ = nullptr;
    const TScriptStatement* raisingParameter_ = nullptr;
    TSources sources_;
};

} // namespace solvane
