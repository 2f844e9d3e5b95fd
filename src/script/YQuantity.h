#pragma once
// The vertical quantity of a problem: what the sweep sets at every line.
#include <string>

namespace solvane {

enum class TYQuantity {
    Temperature, // the sweep sets T; Zvalue is the pressure
    Pressure,    // the sweep sets p; Zvalue is the temperature
    Y,           // the sweep sets only the free variable y
    Unknown,     // any other text: the run sets neither T nor p
};

// From the problem's Yparameter text, exactly as the Y list names it.
inline TYQuantity YQuantityOf(const std::string& yparameter)
{
    if (yparameter == "Temperature")
        return TYQuantity::Temperature;
    if (yparameter == "Pressure")
        return TYQuantity::Pressure;
    if (yparameter == "Y")
        return TYQuantity::Y;
    return TYQuantity::Unknown;
}

} // namespace solvane
