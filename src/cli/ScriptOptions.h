#pragma once
// What `run --script` and `check --script` share: the script file and the
// checks of the run's values given with it.
#include <CLI/CLI.hpp>

#include <string>

namespace solvane::cli {

// A UTF-8 text file (a byte order mark before the first line is dropped),
// held as Windows-1251 like a stored script. False (after "Cannot read FILE"
// on standard error) when the file cannot be read.
bool ReadScriptFile(const std::string& path, std::string& cp1251);

// The quantities the vertical axis may be.
CLI::Validator YQuantity();

// A number that is finite: "nan" or "inf" as a limit is refused with a message.
CLI::Validator FiniteNumber();

} // namespace solvane::cli
