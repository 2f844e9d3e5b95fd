#include "cli/JsonOutput.h"

#include "text/Cp1251.h"

#include <cmath>
#include <fstream>
#include <iostream>

namespace solvane::cli {

nlohmann::json JsonDouble(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    return value; // nlohmann writes the shortest text that reads back to the same double
}

nlohmann::json JsonText(const std::string& cp1251) { return Cp1251ToUtf8(cp1251); }

void PrintJson(const nlohmann::json& document, std::ostream& out)
{
    out << document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

bool WriteJson(const nlohmann::json& document, const std::string& target)
{
    if (target.empty() || target == "-") {
        PrintJson(document, std::cout);
        return static_cast<bool>(std::cout.flush());
    }
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    if (file)
        PrintJson(document, file);
    if (!file || !file.flush()) {
        std::cerr << "Cannot write " << target << '\n';
        return false;
    }
    return true;
}

} // namespace solvane::cli
