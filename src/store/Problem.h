#pragma once
// One problem as plain values: what the problem table stores in a record and
// what a run reads. Texts are Windows-1251 bytes; Functs keeps its CR LF line breaks.
#include <cstdint>
#include <string>

namespace solvane {

struct TProblemRow {
    std::string ProblemName;
    double Ymin = 0;
    double Ymax = 0;
    double Zvalue = 0;
    std::int32_t YPoints = 100;
    std::int32_t XPoints = 100;
    // The check boxes bound to the record; a run reads them line by line, so
    // they may change during a run.
    bool ShowMosaicDiagram = false;
    bool ShowChart = false;
    std::string Functs;     // the script, lines separated by CR LF, LF or CR
    std::string Yparameter; // "Temperature", "Pressure" or "Y"
    std::string Zparameter;
};

} // namespace solvane
