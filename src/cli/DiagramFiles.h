#pragma once
// The diagram files of a run: --svg, --png, --pdf and --wmf drawn by the
// diagram window's own drawing code on an offscreen display, --csv without one.
#include "diagram/DiagramSnapshot.h"

#include <string>

namespace solvane::cli {

struct TDiagramOutputs {
    std::string Svg, Png, Pdf, Wmf, Csv;

    bool Any() const { return Drawn() || !Csv.empty(); }
    bool Drawn() const { return !Svg.empty() || !Png.empty() || !Pdf.empty() || !Wmf.empty(); }
};

// The files of a completed run's diagram; the CSV holds the refined rows
// `withRefinement`. False, after the reason on standard error, when one could
// not be written.
bool WriteDiagramFiles(const TDiagramSnapshot& diagram, bool withRefinement, const TDiagramOutputs& outputs);

} // namespace solvane::cli
