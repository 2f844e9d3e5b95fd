// One line of the sweep: the lowest Gibbs energy at every column, the point
// phases, the chord filter, the lower hull, and what the hull says about the
// stable phases (grid row, segment ends, chart, mosaic).
#include "calc/Run.h"

#include "calc/Mosaic.h"
#include "text/NumberFormat.h"
#include "script/ScriptText.h"

#include <cmath>

namespace solvane {
namespace {

constexpr double kOnChord = 1e-10;
constexpr double kAtXmax = 1e-12;

} // namespace

void TRun::EvaluateLinePoints()
{
    if (!cellsBound_)
        BindEvaluatorCells();
    // Sized at a new run; a script read again since (PrepareRun alone) may have more point phases.
    const std::size_t candidates = XColumns.size() + PointPhases.size();
    if (LinePoints.size() < candidates) {
        LinePoints.resize(candidates);
        KeptPoints.resize(candidates);
    }
    const bool chart = Input.Problem.ShowChart;
    const bool withParams = !Params.empty();
    double gLeft = kNoEnergy;
    double gRight = kNoEnergy;
    const std::size_t phaseCount = Phases.size();

    for (std::size_t c = 0; c < XColumns.size(); ++c) {
        const double x = XColumns[c].Object->X;
        if (x < 0 || x > 1) {
            SidValue = 0;
        } else {
            *sidX_ = x;
            SidValue = static_cast<double>(sidParser.Value());
        }
        double gMin = kNoEnergy;
        std::size_t best = phaseCount; // none yet
        if (withParams)
            EvaluateParameters(x, SidValue);
        for (std::size_t k = 0; k < phaseCount; ++k) {
            const PhaseCells& cells = phaseCells_[k];
            if (!cells.T)
                continue; // no expression
            *cells.T = Temperature;
            *cells.P = Pressure;
            *cells.Y = CurrentY;
            *cells.X = x;
            *cells.Sid = SidValue;
            for (std::size_t m = 0; m < cells.params.size(); ++m)
                *cells.params[m] = ParamValues[m];
            const double g = static_cast<double>(Phases[k].Object->Value());
            if (chart)
                chartPhases_[k].push_back({x, g});
            if (g < gMin) {
                gMin = g;
                best = k;
            }
        }
        if (x == Xmin && gMin < gLeft)
            gLeft = gMin;
        if (Xmax - x < kAtXmax && gMin < gRight)
            gRight = gMin;

        TDPoint& point = LinePoints[static_cast<std::size_t>(++PointHigh)];
        point.X = x;
        point.G = gMin;
        // A column where no phase gives less than 1e10 has no stable phase: "E".
        if (best < phaseCount) {
            point.Phase = Phases[best].Text;
            point.PhaseText = phaseText_[best];
        } else {
            point.Phase.assign(1, 'E');
            point.PhaseText = textE_;
        }
        point.Col = static_cast<std::int32_t>(c) + 1;
        point.Step = Xstep;
        point.IsPointPhase = 0;
        point.Removed = 0;
    }

    for (std::size_t k = 0; k < PointPhases.size(); ++k) {
        TParser& evaluator = *PointPhases[k].Object;
        const double xk = StrToNumber(PointPhases[k].Text, messages_);
        *sidX_ = xk;
        SidValue = static_cast<double>(sidParser.Value());
        if (withParams)
            EvaluateParameters(xk, SidValue);
        const PhaseCells& cells = pointCells_[k];
        if (!cells.T)
            continue; // no expression
        *cells.Sid = SidValue;
        for (std::size_t m = 0; m < cells.params.size(); ++m)
            *cells.params[m] = ParamValues[m];
        *cells.T = Temperature;
        *cells.P = Pressure;
        *cells.Y = CurrentY;
        const double g = static_cast<double>(evaluator.Value());

        TDPoint& point = LinePoints[static_cast<std::size_t>(++PointHigh)];
        point.X = xk;
        point.G = g;
        point.Phase = PointPhases[k].Text;
        point.PhaseText = pointText_[k];
        point.Step = Xstep;
        point.IsPointPhase = 1;
        point.Removed = 0;
        point.Col = 0;
    }
    lineGLeft_ = gLeft;
    lineGRight_ = gRight;
}

void TRun::RecordSegmentEnd(const TDPoint& end, int row, bool largerX)
{
    ++ZHigh;
    if (static_cast<std::size_t>(ZHigh) >= BoundaryPoints.size())
        BoundaryPoints.resize(BoundaryPoints.size() + BoundaryPoints.size() / 10 + 1);
    TZPoint& z = BoundaryPoints[static_cast<std::size_t>(ZHigh)];
    z.X = end.X;
    z.Y = CurrentY;
    z.Col = end.Col;
    z.Phase = end.Phase;
    if (end.Col != 0) {
        Cells.SetCellId(end.Col, row, end.PhaseText);
    } else if (end.IsPointPhase) {
        for (std::size_t c = 0; c < XColumns.size(); ++c) {
            if (std::fabs(XColumns[c].Object->X - end.X) < kOnChord) {
                // The larger-X end shows its composition, the smaller-X end "C".
                Cells.SetCell(static_cast<int>(c) + 1, row, largerX ? PointPhaseCellText(end.Phase) : "C");
                break;
            }
        }
    }
}

void TRun::AnalyseLine()
{
    PointHigh = -1;
    HullHigh = -1;
    chartPhases_.resize(Phases.size());
    for (auto& series : chartPhases_)
        series.clear();
    chartConvex_.clear();
    EvaluateLinePoints();
    const double gLeft = lineGLeft_;
    const double gRight = lineGRight_;
    // A zero-width X range has no chord slope; its single column is its own chord.
    const double slope = Xmax == Xmin ? 0 : (gRight - gLeft) / (Xmax - Xmin);
    auto chordAt = [&](double x) { return (x - Xmin) * slope + gLeft; };

    // Chord filter: nothing above the chord between the end points can be on
    // the lower hull, and points on it are not vertices.
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i <= PointHigh; ++i) {
        TDPoint& point = LinePoints[static_cast<std::size_t>(i)];
        bool keep = true;
        if (!(point.X == Xmin || std::fabs(Xmax - point.X) < kAtXmax)) {
            const double base = chordAt(point.X);
            if (point.G > base + kOnChord) {
                point.Removed = 1;
                keep = false;
            } else if (std::fabs(point.G - base) < kOnChord && Xmin < point.X && point.X < Xmax) {
                keep = false;
            }
        }
        if (keep)
            KeptPoints[static_cast<std::size_t>(kept++)] = point;
    }
    for (std::int32_t i = 0; i < kept; ++i)
        LinePoints[static_cast<std::size_t>(i)] = KeptPoints[static_cast<std::size_t>(i)];

    HullPoints.clear();
    if (kept < 1) {
        Message(TMessageKind::Information, "Number of points equals to " + std::to_string(PointHigh));
    } else {
        Hull.SetCount(kept);
        for (std::int32_t i = 0; i < kept; ++i) {
            Hull.QhX[static_cast<std::size_t>(i)] = LinePoints[static_cast<std::size_t>(i)].X;
            Hull.QhY[static_cast<std::size_t>(i)] = LinePoints[static_cast<std::size_t>(i)].G;
        }
        Hull.QuickHull();
        for (std::int32_t i = kept - 1; i >= 0; --i) {
            const TDPoint& point = LinePoints[static_cast<std::size_t>(i)];
            if (Hull.QhOnHull[static_cast<std::size_t>(i)] == 1 && !point.Removed)
                HullPoints.push_back(point);
        }
        HullHigh = static_cast<std::int32_t>(HullPoints.size()) - 1;
        QSort1.Sort(0, HullHigh + 1);
    }

    // Grid row of this line.
    ++LineIndex;
    MosaicRow = MosaicRowOf(LineIndex, Ystep, MosaicScaleValue);
    const int row = LineIndex + 1;
    Cells.SetRowCount(row + 1);
    Cells.SetCell(0, row, FormatFloat("0.######", CurrentY, Input.Separators));
    for (int c = 1; c < Cells.ColCount(); ++c)
        Cells.SetCellId(c, row, textE_);
    for (const TDPoint& point : HullPoints)
        if (point.Col > 0)
            Cells.SetCellId(point.Col, row, point.PhaseText);

    const bool chart = Input.Problem.ShowChart;
    const bool mosaic = Input.Problem.ShowMosaicDiagram;
    if (chart && HullHigh >= 0)
        chartConvex_.push_back({HullPoints[0].X, HullPoints[0].G});

    int segments = 0;
    for (std::int32_t i = 1; i <= HullHigh; ++i) {
        const TDPoint& p = HullPoints[static_cast<std::size_t>(i) - 1];
        const TDPoint& q = HullPoints[static_cast<std::size_t>(i)];
        const bool inner = q.X != Xmin && !(std::fabs(Xmax - q.X) <= kAtXmax);
        const double base = chordAt(q.X) + (inner ? kOnChord : 0);
        if (chart && !(q.X == p.X && q.G > p.G) && !(q.G > base && q.X != Xmin))
            chartConvex_.push_back({q.X, q.G});
        const bool wideOrPointPhase = std::fabs(q.X - p.X) >= p.Step + kOnChord || q.IsPointPhase || p.IsPointPhase;
        if (p.Removed || q.Removed || !wideOrPointPhase || !(q.G <= base))
            continue;
        if (q.IsPointPhase && mosaic)
            observer_->MarkPointPhase(q.X, MosaicRow);
        if (std::fabs(p.X - q.X) > Xstep) {
            try {
                ++segments;
                RecordSegmentEnd(p, row, true);
                RecordSegmentEnd(q, row, false);
            } catch (const std::exception&) {
                Message(TMessageKind::Information, "Error at " + Input.Problem.Yparameter + " = " +
                                                       FormatGeneral(CurrentY, Input.Separators.decimal) + "\rX = " +
                                                       FormatGeneral(q.X, Input.Separators.decimal));
            }
        }
    }

    observer_->ChartLine(chartPhases_, chartConvex_);
    if (mosaic && segments > 0)
        observer_->DrawSegments(std::span<const TZPoint>(BoundaryPoints).subspan(
                                    static_cast<std::size_t>(ZHigh - 2 * segments + 1), 2 * static_cast<std::size_t>(segments)),
                                MosaicRow, Input.MosaicColor);
}

} // namespace solvane
