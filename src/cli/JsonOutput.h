#pragma once
// JSON helpers shared by the subcommands: doubles that read back exactly,
// non-finite values as strings, Windows-1251 texts as UTF-8.
#include <nlohmann/json.hpp>

#include <iosfwd>
#include <string>

namespace solvane::cli {

// A finite double as a JSON number (shortest round-trip text); otherwise "inf", "-inf" or "nan".
nlohmann::json JsonDouble(double value);

// A Windows-1251 text as a JSON string.
nlohmann::json JsonText(const std::string& cp1251);

// Writes one JSON document and a newline.
void PrintJson(const nlohmann::json& document, std::ostream& out);

// Writes the document to OUT, or to standard output when target is empty or "-".
// Returns false (after a message on standard error) when the file cannot be written.
bool WriteJson(const nlohmann::json& document, const std::string& target);

} // namespace solvane::cli
