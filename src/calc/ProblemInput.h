#pragma once
// The values of one problem record that a run reads. The problem table lives in
// another library; whoever owns it copies the current record into this.
#include <cstdint>
#include <string>

namespace solvane {

struct TProblemInput {
    std::string ProblemName;
    double Ymin = 0;
    double Ymax = 0;
    double Zvalue = 0;
    std::int32_t YPoints = 100;
    std::int32_t XPoints = 100;
    bool ShowMosaicDiagram = false;
    bool ShowChart = false;
    std::string Functs;     // the script, lines separated by CR LF, LF or CR
    std::string Yparameter; // "Temperature", "Pressure" or "Y"
};

} // namespace solvane
