#pragma once
// What the statements of a script define for a run: the constants every
// evaluator of a script is given.

namespace solvane {

// The ideal-mixing term unless a SID line replaces it.
inline constexpr const char* kDefaultSidExpression = "-8.31441*(X*Ln(X)+(1-X)*ln(1-X))";
inline constexpr double kGasConstant = 8.31441;

} // namespace solvane
