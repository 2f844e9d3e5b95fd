#include "script/StatementCheck.h"

#include "script/ScriptText.h"
#include "expr/Parser10.h"
#include "expr/AsciiText.h"
#include "text/NumberFormat.h"

#include <algorithm>
#include <exception>

namespace solvane {
namespace {

TScriptFinding Refusal(const TScriptStatement& statement, std::string name, std::string text)
{
    return {TFindingSeverity::Error, statement.Line, std::move(name), std::move(text)};
}

// The compiler's message on one line: "Error parsing expression: X | -Y".
std::string OneLine(const std::string& message)
{
    std::string line;
    for (char c : message)
        if (c != '\r')
            line += c;
        else
            line += line.ends_with(':') ? " " : " | ";
    return line;
}

// What the grouping rules most often refuse, said plainly.
std::string SyntaxHint(const std::string& expression)
{
    const std::string text = AsciiUpper(expression);
    for (std::size_t k = 0; k + 2 < text.size(); ++k) {
        const bool afterOperator = std::string_view("+-*/^").find(text[k]) != std::string_view::npos;
        const char next = text[k + 2];
        if (afterOperator && text[k + 1] == '-' && !(next >= '0' && next <= '9') && next != '.')
            return "; a minus sign right after an operator needs brackets, as in X*(-Y)";
    }
    // Two powers with nothing but a name or number between them: 'A^B^C'.
    const auto first = text.find('^');
    if (first != std::string::npos) {
        const auto second = text.find('^', first + 1);
        if (second != std::string::npos && text.substr(first, second - first).find_first_of("()+-*/,") == std::string::npos)
            return "; a power of a power needs brackets, as in (A^B)^C";
    }
    return {};
}

const TScriptStatement* FindParameter(const std::vector<TScriptStatement>& script, const std::string& name)
{
    for (const TScriptStatement& s : script)
        if (s.Kind == TStatementKind::Parameter && s.HasEquals && s.Name == name)
            return &s;
    return nullptr;
}

// The line that defines `name` as something other than a parameter: a phase
// (by its left side or its grid name), a point phase, or a SID line.
const TScriptStatement* FindOtherDefinition(const std::vector<TScriptStatement>& script, const std::string& name)
{
    for (const TScriptStatement& s : script) {
        const bool phase = s.Kind == TStatementKind::SolutionPhase && s.HasEquals;
        if ((phase && (s.Name == name || s.PhaseName() == name)) ||
            ((s.Kind == TStatementKind::PointPhase || s.Kind == TStatementKind::Sid) && s.Name == name))
            return &s;
    }
    return nullptr;
}

const char* WhatItSees(TStatementKind kind)
{
    switch (kind) {
    case TStatementKind::SolutionPhase: return "a phase sees R, T, p, X, y, Sid and the parameters above it";
    case TStatementKind::PointPhase: return "a point phase sees R, T, p, X (its composition), y and Sid";
    case TStatementKind::Parameter: return "a parameter sees R, T, p, X and Sid";
    case TStatementKind::Sid: return "the SID line sees R, p and X";
    default: return "";
    }
}

// Why `name` is unknown in the statement's expression.
std::string UnknownNameText(const TScriptStatement& statement, const std::vector<TScriptStatement>& script,
                            const std::string& name)
{
    std::string text = name + " is not known in the expression of " + StatementLabel(statement) + ": ";
    const TScriptStatement* parameter = FindParameter(script, name);
    const std::string where = parameter ? " (" + name + " is defined on line " + std::to_string(parameter->Line) + ")" : "";
    if (parameter && !IsValidVariableName(name))
        return text + name + " (line " + std::to_string(parameter->Line) + ") is not a valid name";
    switch (parameter ? statement.Kind : TStatementKind::XCaption) {
    case TStatementKind::Parameter:
        return text + "a parameter cannot use another parameter" + where +
               "; write the other expression out in full, or combine the two in the phase";
    case TStatementKind::SolutionPhase:
        return text + name + " is defined on line " + std::to_string(parameter->Line) +
               ", below this phase; a phase sees only the parameters above it";
    case TStatementKind::PointPhase: return text + "a point phase sees no parameters" + where;
    case TStatementKind::Sid: return text + "the SID line sees no parameters" + where;
    default: break;
    }
    if (const TScriptStatement* other = FindOtherDefinition(script, name)) {
        const std::string line = "line " + std::to_string(other->Line);
        if (other->Kind == TStatementKind::Sid)
            return text + line + " begins with SID, so it replaces the ideal-mixing term and defines no parameter";
        if (other->Name == name && other->Kind == TStatementKind::PointPhase)
            return text + line + " begins with GC or X=, so it is a point phase, not a parameter";
        if (other->Name == name)
            return text + line + " begins with GL, GS or GV, so it is a phase, not a parameter";
        return text + name + " is the phase of " + line +
               ", and a phase's Gibbs energy cannot be used in another expression";
    }
    return text + "it is defined nowhere above; " + WhatItSees(statement.Kind);
}

void CheckExpression(const TScriptStatement& statement, const std::vector<TScriptStatement>& script,
                     const std::vector<std::string>& parametersAbove, TStatementCheck& result)
{
    const auto evaluator = MakeEvaluator(NamesKnownAtCompile(statement, parametersAbove));
    result.Names = FindNames(statement.Expression, *evaluator);
    std::string message;
    try {
        evaluator->SetExpression(statement.Expression);
        return;
    } catch (const std::exception& error) {
        message = error.what();
    }
    for (const std::string& name : result.Names.Unknown)
        result.Refusals.push_back(Refusal(statement, name, UnknownNameText(statement, script, name)));
    for (const std::string& name : result.Names.UnknownFunctions)
        result.Refusals.push_back(Refusal(
            statement, name,
            name + " is not a function: the functions are TAN, SIN, COS, SINH, COSH, ARCTAN, EXP, LN, SQRT, ABS, "
                   "HEAV, SIGN, ZERO, PH, RND (one argument), MAX and MIN (two arguments)"));
    const auto& unknown = result.Names.Unknown;
    if (!result.Names.UnknownFunctions.empty() ||
        std::any_of(unknown.begin(), unknown.end(), [](const std::string& n) { return !IsValidVariableName(n); }))
        return; // what else is wrong cannot be told
    if (!result.Names.Unknown.empty()) {
        // Were the unknown names the whole trouble?
        try {
            for (const std::string& name : result.Names.Unknown)
                evaluator->SetVariable(name, 0);
            evaluator->SetExpression(statement.Expression);
            return;
        } catch (const std::exception& error) {
            message = error.what();
        }
    }
    result.Refusals.push_back(Refusal(statement, statement.Name,
                                      "the expression of " + StatementLabel(statement) +
                                          " cannot be read: " + OneLine(message) +
                                          SyntaxHint(statement.Expression)));
}

} // namespace

TScriptFinding ParameterFailure(const TScriptStatement& parameter, const TScriptStatement& phase, double temperature,
                                double pressure, const std::string& error)
{
    const std::string& name = parameter.Name;
    return Refusal(parameter, name,
                   name + " fails before the sweep: on reading " + StatementLabel(phase) + " (line " +
                       std::to_string(phase.Line) + ") the program computes every parameter above it once, at X = " +
                       "0.5, T = " + FormatGeneral(temperature) + " and p = " + FormatGeneral(pressure) +
                       " (the script's T and p), and " + name + " raises \"" + OneLine(error) +
                       "\" there, which stops the run");
}

std::string StatementLabel(const TScriptStatement& statement)
{
    if (statement.Kind == TStatementKind::Sid)
        return statement.Name == "SID" ? "the SID line" : "the SID line " + statement.Name;
    return statement.Name;
}

TStatementCheck CheckStatement(const TScriptStatement& statement, const std::vector<TScriptStatement>& script,
                               const std::vector<std::string>& parametersAbove)
{
    TStatementCheck result;
    if (statement.Kind == TStatementKind::PointPhase && statement.PointProblem == TPointProblem::CompositionFault) {
        const TParser reader;
        const TNameUse names = FindNames(statement.CompositionText, reader);
        const std::string& culprit = names.Unknown.empty() ? statement.CompositionText : names.Unknown.front();
        result.Refusals.push_back(Refusal(statement, culprit,
                                          "the composition X = " + statement.CompositionText +
                                              " cannot be computed: " + OneLine(statement.CompositionError) +
                                              "; a composition is a constant: numbers, functions and operators"));
        return result;
    }
    if (!statement.IsDefinition() || !statement.HasEquals || statement.PointProblem != TPointProblem::None)
        return result;
    if (statement.Kind == TStatementKind::PointPhase && statement.Expression.empty())
        return result; // nothing is created
    CheckExpression(statement, script, parametersAbove, result);
    if (!result.Refusals.empty() || statement.Kind == TStatementKind::Sid)
        return result;
    // The name a statement defines must be a variable name: a parameter's is
    // given to the phases below it, a phase's (without its first letter) and a
    // point phase's are set on their own evaluators.
    const std::string name = statement.Kind == TStatementKind::SolutionPhase ? statement.PhaseName() : statement.Name;
    if (!IsValidVariableName(name))
        result.Refusals.push_back(Refusal(
            statement, name,
            "\"" + name + "\" is not a valid name: a name is a letter or _ followed by letters, digits or _; the run "
                          "stops with the message \"" + name + "\""));
    return result;
}

struct TParametersWhileReading::Parameter {
    const TScriptStatement* Statement;
    std::unique_ptr<TParser> Evaluator; // null when the expression does not compile
};

TParametersWhileReading::TParametersWhileReading() = default;
TParametersWhileReading::~TParametersWhileReading() = default;

std::vector<TScriptFinding> TParametersWhileReading::Next(const TScriptStatement& statement)
{
    std::vector<TScriptFinding> findings;
    switch (statement.Kind) {
    case TStatementKind::Temperature:
    case TStatementKind::Pressure:
        if (!statement.Expression.empty())
            (statement.Kind == TStatementKind::Temperature ? temperature_ : pressure_) =
                StrToNumber(statement.Expression, nullptr);
        return findings;
    case TStatementKind::Parameter: {
        if (!statement.HasEquals)
            return findings;
        Parameter parameter{&statement, MakeEvaluator(NamesKnownAtCompile(statement, parameterNames_))};
        try {
            parameter.Evaluator->SetExpression(statement.Expression);
        } catch (const std::exception&) {
            parameter.Evaluator.reset(); // its own finding says why
        }
        parameters_.push_back(std::move(parameter));
        parameterNames_.push_back(statement.Name);
        return findings;
    }
    case TStatementKind::SolutionPhase:
        if (!statement.HasEquals || evaluated_ == parameters_.size())
            return findings;
        break;
    default: return findings;
    }
    evaluated_ = parameters_.size();
    for (Parameter& parameter : parameters_) {
        const std::string& name = parameter.Statement->Name;
        if (!parameter.Evaluator || std::find(failed_.begin(), failed_.end(), name) != failed_.end())
            continue;
        try {
            for (const auto& [variable, value] :
                 {std::pair{"X", 0.5}, std::pair{"T", temperature_}, std::pair{"p", pressure_}, std::pair{"Sid", 0.0}})
                parameter.Evaluator->SetVariable(variable, value);
            parameter.Evaluator->Value();
        } catch (const std::exception& error) {
            failed_.push_back(name);
            findings.push_back(ParameterFailure(*parameter.Statement, statement, temperature_, pressure_, error.what()));
        }
    }
    return findings;
}

} // namespace solvane
