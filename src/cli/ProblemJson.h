#pragma once
// The problems of a database as JSON for editing and version control, and back.
// Texts are UTF-8 in JSON and Windows-1251 in the database; a script is a list
// of lines, joined in the database with CR LF.
#include "store/ProblemRow.h"

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <vector>

namespace solvane::cli {

class EProblemJsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Keys in a fixed, readable order.
nlohmann::ordered_json ProblemsToJson(const std::vector<TProblemRow>& problems);

// Throws EProblemJsonError naming the problem and key at fault.
std::vector<TProblemRow> ProblemsFromJson(const nlohmann::json& document);

} // namespace solvane::cli
