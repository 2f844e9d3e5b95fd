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
    const std::size_t candidates = result_.XColumns.size() + script_.PointPhases.size();
    if (LinePoints.size() < candidates) {
        LinePoints.resize(candidates);
        KeptPoints.resize(candidates);
    }
    lineGLeft_ = kNoEnergy;
    lineGRight_ = kNoEnergy;
    const bool chart = Input.Problem.ShowChart;
    for (std::size_t c = 0; c < result_.XColumns.size(); ++c)
        EvaluateColumn(c, chart);
    for (std::size_t k = 0; k < script_.PointPhases.size(); ++k)
        EvaluatePointPhase(k);
}

void TRun::EvaluateColumn(std::size_t c, bool chart)
{
    const double x = result_.XColumns[c].Object->X;
    if (x < 0 || x > 1) {
        SidValue = 0;
    } else {
        *sidX_ = x;
        SidValue = static_cast<double>(script_.sidParser.Value());
    }
    if (!script_.Params.empty())
        EvaluateParameters(x, SidValue);
    const std::size_t phaseCount = script_.Phases.size();
    double gMin = kNoEnergy;
    std::size_t best = phaseCount; // none yet
    for (std::size_t k = 0; k < phaseCount; ++k) {
        const PhaseCells& cells = phaseCells_[k];
        if (!cells.T)
            continue; // no expression
        *cells.T = result_.Temperature;
        *cells.P = result_.Pressure;
        *cells.Y = result_.CurrentY;
        *cells.X = x;
        *cells.Sid = SidValue;
        for (std::size_t m = 0; m < cells.params.size(); ++m)
            *cells.params[m] = script_.ParamValues[m];
        const double g = static_cast<double>(script_.Phases[k].Object->Value());
        if (chart)
            chartPhases_[k].push_back({x, g});
        if (g < gMin) {
            gMin = g;
            best = k;
        }
    }
    if (x == result_.Xmin && gMin < lineGLeft_)
        lineGLeft_ = gMin;
    if (result_.Xmax - x < kAtXmax && gMin < lineGRight_)
        lineGRight_ = gMin;

    TDPoint& point = LinePoints[static_cast<std::size_t>(++PointHigh)];
    point.X = x;
    point.G = gMin;
    // A column where no phase gives less than 1e10 has no stable phase: "E".
    if (best < phaseCount) {
        point.Phase = script_.Phases[best].Text;
        point.PhaseText = phaseText_[best];
    } else {
        point.Phase.assign(1, 'E');
        point.PhaseText = textE_;
    }
    point.Col = static_cast<std::int32_t>(c) + 1;
    point.Step = result_.Xstep;
    point.IsPointPhase = 0;
    point.Removed = 0;
}

void TRun::EvaluatePointPhase(std::size_t k)
{
    TParser& evaluator = *script_.PointPhases[k].Object;
    const double xk = StrToNumber(script_.PointPhases[k].Text, messages_);
    *sidX_ = xk;
    SidValue = static_cast<double>(script_.sidParser.Value());
    if (!script_.Params.empty())
        EvaluateParameters(xk, SidValue);
    const PhaseCells& cells = pointCells_[k];
    if (!cells.T)
        return; // no expression
    *cells.Sid = SidValue;
    for (std::size_t m = 0; m < cells.params.size(); ++m)
        *cells.params[m] = script_.ParamValues[m];
    *cells.T = result_.Temperature;
    *cells.P = result_.Pressure;
    *cells.Y = result_.CurrentY;
    const double g = static_cast<double>(evaluator.Value());

    TDPoint& point = LinePoints[static_cast<std::size_t>(++PointHigh)];
    point.X = xk;
    point.G = g;
    point.Phase = script_.PointPhases[k].Text;
    point.PhaseText = pointText_[k];
    point.Step = result_.Xstep;
    point.IsPointPhase = 1;
    point.Removed = 0;
    point.Col = 0;
}

void TRun::RecordSegmentEnd(const TDPoint& end, int row, bool largerX)
{
    ++result_.ZHigh;
    if (static_cast<std::size_t>(result_.ZHigh) >= result_.BoundaryPoints.size())
        result_.BoundaryPoints.resize(result_.BoundaryPoints.size() + result_.BoundaryPoints.size() / 10 + 1);
    TZPoint& z = result_.BoundaryPoints[static_cast<std::size_t>(result_.ZHigh)];
    z.X = end.X;
    z.Y = result_.CurrentY;
    z.Col = end.Col;
    z.Phase = end.Phase;
    if (end.Col != 0) {
        result_.Cells.SetCellId(end.Col, row, end.PhaseText);
    } else if (end.IsPointPhase) {
        for (std::size_t c = 0; c < result_.XColumns.size(); ++c) {
            if (std::fabs(result_.XColumns[c].Object->X - end.X) < kOnChord) {
                // The larger-X end shows its composition, the smaller-X end "C".
                result_.Cells.SetCell(static_cast<int>(c) + 1, row, largerX ? PointPhaseCellText(end.Phase) : "C");
                break;
            }
        }
    }
}

double TRun::ChordAt(double x) const { return (x - result_.Xmin) * lineSlope_ + lineGLeft_; }

void TRun::AnalyseLine()
{
    PointHigh = -1;
    HullHigh = -1;
    chartPhases_.resize(script_.Phases.size());
    for (auto& series : chartPhases_)
        series.clear();
    chartConvex_.clear();
    EvaluateLinePoints();
    // A zero-width X range has no chord slope; its single column is its own chord.
    lineSlope_ = result_.Xmax == result_.Xmin ? 0 : (lineGRight_ - lineGLeft_) / (result_.Xmax - result_.Xmin);
    BuildHull(FilterByChord());
    const int row = WriteGridRow();
    const int segments = RecordSegments(row);
    observer_->ChartLine(chartPhases_, chartConvex_);
    if (Input.Problem.ShowMosaicDiagram && segments > 0)
        observer_->DrawSegments(std::span<const TZPoint>(result_.BoundaryPoints).subspan(
                                    static_cast<std::size_t>(result_.ZHigh - 2 * segments + 1), 2 * static_cast<std::size_t>(segments)),
                                result_.MosaicRow, Input.MosaicColor);
}

std::int32_t TRun::FilterByChord()
{
    // Nothing above the chord between the end points can be on the lower
    // hull, and points on it are not vertices.
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i <= PointHigh; ++i) {
        TDPoint& point = LinePoints[static_cast<std::size_t>(i)];
        bool keep = true;
        if (!(point.X == result_.Xmin || std::fabs(result_.Xmax - point.X) < kAtXmax)) {
            const double base = ChordAt(point.X);
            if (point.G > base + kOnChord) {
                point.Removed = 1;
                keep = false;
            } else if (std::fabs(point.G - base) < kOnChord && result_.Xmin < point.X && point.X < result_.Xmax) {
                keep = false;
            }
        }
        if (keep)
            KeptPoints[static_cast<std::size_t>(kept++)] = point;
    }
    for (std::int32_t i = 0; i < kept; ++i)
        LinePoints[static_cast<std::size_t>(i)] = KeptPoints[static_cast<std::size_t>(i)];
    return kept;
}

void TRun::BuildHull(std::int32_t kept)
{
    HullPoints.clear();
    if (kept < 1) {
        Message(TMessageKind::Information, "Number of points equals to " + std::to_string(PointHigh));
        return;
    }
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

int TRun::WriteGridRow()
{
    ++result_.LineIndex;
    result_.MosaicRow = MosaicRowOf(result_.LineIndex, result_.Ystep, MosaicScaleValue);
    const int row = result_.LineIndex + 1;
    result_.Cells.SetRowCount(row + 1);
    result_.Cells.SetCell(0, row, FormatFloat("0.######", result_.CurrentY, Input.Separators));
    for (int c = 1; c < result_.Cells.ColCount(); ++c)
        result_.Cells.SetCellId(c, row, textE_);
    for (const TDPoint& point : HullPoints)
        if (point.Col > 0)
            result_.Cells.SetCellId(point.Col, row, point.PhaseText);
    return row;
}

int TRun::RecordSegments(int row)
{
    const bool chart = Input.Problem.ShowChart;
    const bool mosaic = Input.Problem.ShowMosaicDiagram;
    if (chart && HullHigh >= 0)
        chartConvex_.push_back({HullPoints[0].X, HullPoints[0].G});
    int segments = 0;
    for (std::int32_t i = 1; i <= HullHigh; ++i) {
        const TDPoint& p = HullPoints[static_cast<std::size_t>(i) - 1];
        const TDPoint& q = HullPoints[static_cast<std::size_t>(i)];
        const bool inner = q.X != result_.Xmin && !(std::fabs(result_.Xmax - q.X) <= kAtXmax);
        const double base = ChordAt(q.X) + (inner ? kOnChord : 0);
        if (chart && !(q.X == p.X && q.G > p.G) && !(q.G > base && q.X != result_.Xmin))
            chartConvex_.push_back({q.X, q.G});
        const bool wideOrPointPhase = std::fabs(q.X - p.X) >= p.Step + kOnChord || q.IsPointPhase || p.IsPointPhase;
        if (p.Removed || q.Removed || !wideOrPointPhase || !(q.G <= base))
            continue;
        if (q.IsPointPhase && mosaic)
            observer_->MarkPointPhase(q.X, result_.MosaicRow);
        if (std::fabs(p.X - q.X) > result_.Xstep) {
            try {
                ++segments;
                RecordSegmentEnd(p, row, true);
                RecordSegmentEnd(q, row, false);
            } catch (const std::exception&) {
                Message(TMessageKind::Information, "Error at " + Input.Problem.Yparameter + " = " +
                                                       FormatGeneral(result_.CurrentY, Input.Separators.decimal) +
                                                       "\rX = " + FormatGeneral(q.X, Input.Separators.decimal));
            }
        }
    }
    return segments;
}

} // namespace solvane
