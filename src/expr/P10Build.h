#pragma once
// The expression compiler: one expression text into a flat list of operations.
//
// Recognition splits the text at operator occurrences and tests both sides
// against fixed sets of allowed forms; precedence and grouping follow from the
// order of the splits ('A+B+C' is A+(B+C), 'A-B-C' is (A-B)-C, 'X*-Y' and
// '2^3^2' are errors). Operations are collected in a slot table of 21 depths
// by 50 positions and run from the deepest row upwards.
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace solvane {

// ---- Errors of compilation ----

class EMathParserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual const char* ClassName() const noexcept { return "EMathParserError"; }
};

#define SOLVANE_PARSER_ERROR(Name, Text)                                                  \
    class Name : public EMathParserError {                                                \
    public:                                                                               \
        Name() : EMathParserError(Text) {}                                                \
        const char* ClassName() const noexcept override { return #Name; }                 \
    };

SOLVANE_PARSER_ERROR(EExpressionHasBlanks, "Expression has blanks")
SOLVANE_PARSER_ERROR(EMissMatchingBracket, "Missing brackets in expression")
SOLVANE_PARSER_ERROR(ETooManyNestings, "Expression contains too many nestings")
SOLVANE_PARSER_ERROR(EExpressionTooComplex, "Expression is too complex")
SOLVANE_PARSER_ERROR(EParserInternalError, "TParser internal error")
#undef SOLVANE_PARSER_ERROR

// "Error parsing expression:" CR text, or ... CR left CR right.
class ESyntaxError : public EMathParserError {
public:
    using EMathParserError::EMathParserError;
    const char* ClassName() const noexcept override { return "ESyntaxError"; }
};

// A variable name that is not an identifier; the message is the upper-cased name.
class EBadName : public EMathParserError {
public:
    using EMathParserError::EMathParserError;
    const char* ClassName() const noexcept override { return "EBadName"; }
};

// ---- Operation kinds ----

enum TOperationKind : std::uint8_t {
    okVariable = 0,     // leaf; only the placeholder of a bare variable or number
    okConstant = 1,     // leaf classification; never in a program
    okNegate = 2,
    okAdd = 3,
    okSubtract = 4,
    okMultiply = 5,
    okDivide = 6,
    okModulo = 7,       // "MOD"
    okIntDivide = 8,    // "DIV"
    okIntPower = 9,     // exponent an integral constant
    okPower = 10,
    okSquare = 11,
    okCube = 12,
    okFourthPower = 13,
    okCall1 = 14,
    okCall2 = 15,
};

// Function routines compute in extended precision where they like; the result is
// stored as a double.
using TOneArgRoutine = double (*)(double);
using TTwoArgRoutine = double (*)(double, double);

// One operation. The list order is the run order (the array replaces a Next link).
struct TOperation {
    double* Operand1 = nullptr;
    double* Operand2 = nullptr; // null for one-operand kinds
    double* Target = nullptr;
    union {
        TOneArgRoutine Routine1; // kind 14
        TTwoArgRoutine Routine2; // kind 15
    };
    std::uint8_t Kind = okVariable;
    std::uint8_t Code = okVariable; // the evaluator's dispatch code (the kind, refined)
    TOperation() : Routine1(nullptr) {}
};

// Tables keyed by upper-case name, sorted.
using TVariableTable = std::map<std::string, double*, std::less<>>;
using TOneArgTable = std::map<std::string, TOneArgRoutine, std::less<>>;
using TTwoArgTable = std::map<std::string, TTwoArgRoutine, std::less<>>;

// A compiled program: its operations, and one block holding its constant and
// intermediate cells (variable cells belong to the variable table).
struct TCompiledProgram {
    std::vector<TOperation> operations;
    std::unique_ptr<double[]> cells;
    std::size_t cellCount = 0;
    std::vector<std::string> functionNames; // per operation; empty for kinds 0-13

    bool OwnsCell(const double* cell) const
    {
        return cells && cell >= cells.get() && cell < cells.get() + cellCount;
    }
};

// Compiles text. Raises the errors above, or EOverflow / EInvalidOp
// (MathErrors.h) for a number beyond the double range and for an exponent constant that cannot
// be truncated. Nothing allocated survives a failure.
TCompiledProgram CompileExpression(const std::string& text, const TVariableTable& variables,
                                   const TOneArgTable& oneArgFunctions,
                                   const TTwoArgTable& twoArgFunctions, bool pascalNumberformat);

// The number rules of the language; false when text is not a number. Raises
// EOverflow when, with pascalNumberformat, the value lies beyond the double range.
bool ReadNumber(const std::string& text, bool pascalNumberformat, double& value);

} // namespace solvane
