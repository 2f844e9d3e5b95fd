#pragma once
// The evaluator: named double variables, the standard functions, one expression
// compiled into a flat list of operations over direct cell pointers.
#include "expr/MathErrors.h"
#include "expr/P10Build.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace solvane {

// The class name of any error the engine raises ("ESyntaxError", "EOverflow", ...);
// "Exception" for anything else.
const char* ErrorClassName(const std::exception& error) noexcept;

// ---- One operand or target of a compiled operation, described for tools ----

struct TOperandInfo {
    enum class Source { None, Variable, Constant, Result };
    Source source = Source::None;
    std::string name; // Variable: the upper-case name
    double value = 0; // Constant: the value held
    int index = -1;   // Result: the index of the operation that computes it
};

struct TOperationInfo {
    int kind = 0;
    TOperandInfo operand1, operand2, target;
    std::string function; // kinds 14 and 15: the upper-case function name
};

// ---- The evaluator's fast run ----

// One step of the fast run, made from the compiled program when it is set. Each step
// jumps straight to its own code, reads its operands from the previous step's result
// (kept in a register), from a cell, or from a constant held in the step itself, and
// keeps its result in the step for later steps to read.
struct TFastStep {
    union Operand {
        const double* cell;
        double constant;
        std::int64_t exponent;    // integer power: the exponent, truncated once
        TOneArgRoutine routine;   // one-argument call
        const void* call;         // two-argument call: its TFastCall
    };
    const void* code = nullptr;
    Operand a{}, b{};
    double result = 0;
};

// A two-argument call of the fast run: its routine and its operand cells.
struct TFastCall {
    const double* a = nullptr;
    const double* b = nullptr;
    TTwoArgRoutine routine = nullptr;
};

// ---- The evaluator ----

class TCustomParser {
public:
    TCustomParser();
    virtual ~TCustomParser();
    TCustomParser(const TCustomParser&) = delete; // programs point into this object
    TCustomParser& operator=(const TCustomParser&) = delete;

    // Defines the variable (name in any case) or changes its value; returns its cell,
    // which stays put while the variable exists. Raises EBadName for a name that is
    // not an identifier.
    double* SetVariable(const std::string& name, long double value);
    // Removes every variable and the program; the built-in cells keep their values.
    void ClearVariables();

    // Stores the text and compiles it (every time, also for an unchanged text).
    // Errors go to OnParserError when it is set, else to the caller; either way the
    // program is empty afterwards and Expression() reads the new text.
    void SetExpression(const std::string& text);
    const std::string& Expression() const { return expression_; }

    // Runs the program; 0 without one. Raises EInvalidOp, EZeroDivide, EOverflow or
    // EDivByZero for the first faulty operation (the ones after it are not run).
    long double Value();

    bool PascalNumberformat() const { return pascalNumberformat_; }
    void SetPascalNumberformat(bool on) { pascalNumberformat_ = on; }

    std::function<void(TCustomParser& sender, const std::exception& error)> OnParserError;

    // The compiled program in run order (empty without a program).
    std::vector<TOperationInfo> Program() const;
    bool HasProgram() const { return !program_.operations.empty(); }

    // Looks a variable up (any case); null when it does not exist.
    double* FindVariable(const std::string& name) const;
    const TVariableTable& Variables() const { return variables_; }

    // Adds a function; a name that is not an identifier or already present raises
    // std::invalid_argument.
    void AddOneArgFunction(const std::string& name, TOneArgRoutine routine);
    void AddTwoArgFunction(const std::string& name, TTwoArgRoutine routine);

protected:
    // The eight built-in cells, in this order.
    double a_ = 0, b_ = 0, c_ = 0, d_ = 0, e_ = 0, x_ = 0, y_ = 0, t_ = 0;
    double* BuiltInCell(char letter);
    void BindVariable(const std::string& upperName, double* cell);

private:
    void ReleaseProgram();
    void PrepareCodes(); // builds the fast run's steps from the program
    long double RunChecked(); // one operation at a time, to name the first fault

    std::string expression_;
    bool pascalNumberformat_ = true;
    TVariableTable variables_;
    std::vector<std::unique_ptr<double>> ownedCells_; // cells allocated by SetVariable
    TOneArgTable oneArgFunctions_;
    TTwoArgTable twoArgFunctions_;
    TCompiledProgram program_;
    std::vector<TFastStep> steps_; // empty: the program runs on the checked path only
    std::vector<TFastCall> calls_;
};

class TParser : public TCustomParser {
public:
    TParser();
    double& A() { return a_; }
    double& B() { return b_; }
    double& C() { return c_; }
    double& D() { return d_; }
    double& E() { return e_; }
    double& T() { return t_; }
    double& X() { return x_; }
    double& Y() { return y_; }
};

// The process-wide generator behind "RND": uniform on [0, 1).
double NextRandom() noexcept;
void SetRandomSeed(std::uint64_t seed) noexcept;

} // namespace solvane
