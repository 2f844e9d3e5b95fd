#include "cli/ScriptOptions.h"

#include "store/SafeFile.h"
#include "text/Cp1251.h"

#include <cmath>
#include <iostream>

namespace solvane::cli {

bool ReadScriptFile(const std::string& path, std::string& cp1251)
{
    std::string utf8;
    if (!ReadWholeFile(path, utf8)) {
        std::cerr << "Cannot read " << path << '\n';
        return false;
    }
    if (utf8.rfind("\xEF\xBB\xBF", 0) == 0)
        utf8.erase(0, 3);
    cp1251 = Utf8ToCp1251(utf8);
    return true;
}

CLI::Validator YQuantity() { return CLI::IsMember({"Temperature", "Pressure", "Y"}); }

CLI::Validator FiniteNumber()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            double value = 0;
            if (!CLI::detail::lexical_cast(text, value))
                return text + " is not a number";
            if (!std::isfinite(value))
                return text + " is not a finite number";
            return {};
        },
        "FINITE");
}

} // namespace solvane::cli
