// solvane-cli expr: compiles one expression with one evaluator, evaluates it once,
// and prints the outcome (and, on request, the compiled program) as JSON.
#include "cli/Commands.h"
#include "cli/JsonOutput.h"

#include "text/Cp1251.h"
#include "expr/Parser10.h"

#include <charconv>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace solvane::cli {

namespace {

struct ExprOptions {
    std::vector<std::string> variables; // NAME=VALUE
    bool program = false;
    bool localeNumbers = false;
    std::string text;
};

struct VariableSetting {
    std::string name;
    double value = 0;
};

// NAME=VALUE with VALUE a C-locale decimal double; false when malformed.
bool ParseVariable(const std::string& argument, VariableSetting& setting)
{
    const auto equals = argument.find('=');
    if (equals == std::string::npos)
        return false;
    setting.name = Utf8ToCp1251(argument.substr(0, equals));
    std::string value = argument.substr(equals + 1);
    if (!value.empty() && value[0] == '+')
        value.erase(0, 1);
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, setting.value);
    return !value.empty() && error == std::errc() && stop == end;
}

std::string ConstantText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

nlohmann::json OperandJson(const TOperandInfo& operand)
{
    switch (operand.source) {
    case TOperandInfo::Source::Variable: return JsonText("var:" + operand.name);
    case TOperandInfo::Source::Constant: return "const:" + ConstantText(operand.value);
    case TOperandInfo::Source::Result: return "tmp:" + std::to_string(operand.index);
    case TOperandInfo::Source::None: break;
    }
    return nullptr;
}

nlohmann::json ProgramJson(const std::vector<TOperationInfo>& program)
{
    nlohmann::json list = nlohmann::json::array();
    for (const TOperationInfo& op : program) {
        nlohmann::json entry = {{"kind", op.kind},
                                {"operand1", OperandJson(op.operand1)},
                                {"operand2", OperandJson(op.operand2)},
                                {"target", OperandJson(op.target)}};
        if (op.kind == okCall1 || op.kind == okCall2)
            entry["function"] = JsonText(op.function);
        list.push_back(std::move(entry));
    }
    return list;
}

nlohmann::json ErrorJson(const std::exception& error)
{
    return {{"class", ErrorClassName(error)}, {"message", JsonText(error.what())}};
}

nlohmann::json RunExpr(const ExprOptions& options, const std::vector<VariableSetting>& settings)
{
    nlohmann::json document = {{"compiled", false}, {"error", nullptr}, {"value", nullptr},
                               {"value_error", nullptr}};
    TParser parser;
    try {
        for (const VariableSetting& setting : settings)
            parser.SetVariable(setting.name, setting.value);
        if (options.localeNumbers)
            parser.SetPascalNumberformat(false);
        parser.SetExpression(Utf8ToCp1251(options.text));
        document["compiled"] = true;
    } catch (const std::exception& error) {
        document["error"] = ErrorJson(error);
    }
    if (options.program)
        document["program"] = ProgramJson(parser.Program());
    if (document["compiled"].get<bool>()) {
        try {
            document["value"] = JsonDouble(static_cast<double>(parser.Value()));
        } catch (const std::exception& error) {
            document["value_error"] = {{"message", error.what()}};
        }
    }
    return document;
}

} // namespace

void AddExprCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<ExprOptions>();
    auto* cmd = app.add_subcommand("expr", "Compile one expression, evaluate it once, print JSON");
    cmd->add_option("--var", options->variables, "Define a variable before compiling (NAME=VALUE)")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cmd->add_flag("--program", options->program, "Also print the compiled operation list");
    cmd->add_flag("--locale-numbers", options->localeNumbers,
                  "Read numbers with the locale's conversion instead of the Pascal rules");
    cmd->add_option("text", options->text, "The expression")->required();
    cmd->callback([options, &exitCode] {
        std::vector<VariableSetting> settings;
        for (const std::string& argument : options->variables) {
            VariableSetting setting;
            if (!ParseVariable(argument, setting)) {
                std::cerr << "solvane-cli expr: --var expects NAME=VALUE with a decimal VALUE, not '"
                          << argument << "'\n";
                exitCode = 2;
                return;
            }
            settings.push_back(setting);
        }
        PrintJson(RunExpr(*options, settings), std::cout);
        exitCode = 0;
    });
}

} // namespace solvane::cli
