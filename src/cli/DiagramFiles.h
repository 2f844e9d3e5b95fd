#pragma once
// The diagram files of `run`: --svg, --png, --pdf and --wmf drawn by the
// diagram window's own code on an offscreen display, --csv without one.
#include "calc/Refine.h"
#include "calc/Run.h"
#include "calc/SP_search.h"

#include <string>

namespace solvane::cli {

struct TDiagramOutputs {
    std::string Svg, Png, Pdf, Wmf, Csv;

    bool Any() const { return Drawn() || !Csv.empty(); }
    bool Drawn() const { return !Svg.empty() || !Png.empty() || !Pdf.empty() || !Wmf.empty(); }
};

// The files of a completed run; the window's title is the problem's name. The
// CSV holds the refined rows when a refinement is given.
// False, after the reason on standard error, when one could not be written.
bool WriteDiagramFiles(TRun& run, const SpecialPointsResult& special, const TRefinement* refinement,
                       const TDiagramOutputs& outputs);

} // namespace solvane::cli
