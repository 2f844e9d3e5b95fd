#pragma once
// Compact texts of compiled programs and outcomes, so that tables of cases read easily.
#include "expr/Parser10.h"

#include <charconv>
#include <string>

namespace solvane::test {

// "4:1,X 14LN:#0": kind, function name, operands (variable name, constant value,
// #k for the result of operation k), one operation per word.
inline std::string OperandText(const TOperandInfo& operand)
{
    switch (operand.source) {
    case TOperandInfo::Source::Variable: return operand.name;
    case TOperandInfo::Source::Result: return std::string("#").append(std::to_string(operand.index));
    case TOperandInfo::Source::Constant: {
        char buffer[40];
        return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, operand.value).ptr);
    }
    case TOperandInfo::Source::None: break;
    }
    return "";
}

inline std::string ProgramText(const TCustomParser& parser)
{
    std::string text;
    for (const TOperationInfo& op : parser.Program()) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(op.kind) + op.function + ":" + OperandText(op.operand1);
        if (op.operand2.source != TOperandInfo::Source::None)
            text += ',' + OperandText(op.operand2);
    }
    return text;
}

// The class and message of a compilation error ("" when it compiles), CR shown as '|'.
inline std::string CompileOutcome(TCustomParser& parser, const std::string& expression)
{
    try {
        parser.SetExpression(expression);
        return "";
    } catch (const std::exception& error) {
        std::string message = error.what();
        for (char& c : message)
            if (c == '\r')
                c = '|';
        return std::string(ErrorClassName(error)) + ": " + message;
    }
}

} // namespace solvane::test
