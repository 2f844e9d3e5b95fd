// Run preparation: the script, the checks, the fixed quantity and the steps;
// and, for a new run, the X columns and the result containers.
#include "calc/Run.h"

#include "calc/Mosaic.h"
#include "text/NumberFormat.h"
#include "script/ScriptText.h"

#include <algorithm>
#include <cmath>

namespace solvane {

TRun::TRun()
{
    StrParser1.DividingString.assign(1, ';');
    StrParser1.CaseSensitive = false;
    QSort1.OnCompare = [this](TQSort*, std::int32_t i, std::int32_t j, std::int32_t& result) {
        const TDPoint& a = HullPoints[static_cast<std::size_t>(i)];
        const TDPoint& b = HullPoints[static_cast<std::size_t>(j)];
        // X descending, equal X by G ascending.
        if (a.X > b.X)
            result = -1;
        else if (a.X < b.X)
            result = 1;
        else if (a.G > b.G)
            result = 1;
        else if (a.G < b.G)
            result = -1;
        else
            result = 0;
    };
    QSort1.OnSwap = [this](TQSort*, std::int32_t i, std::int32_t j) {
        std::swap(HullPoints[static_cast<std::size_t>(i)], HullPoints[static_cast<std::size_t>(j)]);
    };
    Hull.OnMessage = [this](const std::string& text) { Message(TMessageKind::Information, text); };
}

TYQuantity TRun::YQuantity() const { return YQuantityOf(Input.Problem.Yparameter); }

void TRun::Message(TMessageKind kind, const std::string& text)
{
    if (messages_)
        messages_->Show(kind, text);
}

bool TRun::Ask(const std::string& text) { return messages_ && messages_->Show(TMessageKind::Confirmation, text); }

void TRun::PrepareRun()
{
    result_.PrepareFailed = true;
    if (OnPrepare && !OnPrepare())
        return;
    if (!InterpretScript())
        return;
    if (script_.Phases.empty()) {
        Message(TMessageKind::Error, "Gibbs energy can not be computed");
        return;
    }
    result_.Ymin = Input.Problem.Ymin;
    result_.Ymax = Input.Problem.Ymax;
    if (result_.Ymax < result_.Ymin) {
        Message(TMessageKind::Warning, "Ymax must be more that Ymin");
        return;
    }
    if (YQuantity() == TYQuantity::Temperature)
        result_.Pressure = Input.Problem.Zvalue;
    else if (YQuantity() == TYQuantity::Pressure)
        result_.Temperature = Input.Problem.Zvalue;
    if (!(result_.Pressure > 0))
        result_.Pressure = 1;
    script_.sidParser.SetVariable("p", result_.Pressure);
    for (auto& phase : script_.Phases)
        if (!phase.Object->Expression().empty())
            phase.Object->SetVariable("p", result_.Pressure);
    result_.CurrentY = result_.Ymax;
    result_.Completed = false;
    const TGridSize grid = GridSizeOf(Input.Problem.YPoints, Input.Problem.XPoints, script_.PointPhases.size());
    result_.YIntervals = grid.YIntervals;
    result_.XInnerPoints = grid.XInnerPoints;
    if (grid.TooLarge()) {
        Message(TMessageKind::Warning, "The grid is too large: at most " + FormatGeneral(kMaxGridCells) +
                                           " cells are allowed; reduce XPoints or YPoints");
        return;
    }
    result_.Xstep = (result_.Xmax - result_.Xmin) / (result_.XInnerPoints + 1);
    result_.ChartLabelIncrement = std::max(0.0, RoundHalfEven((result_.Xmax - result_.Xmin) * 1000) / 10000.0);
    result_.Ystep = (result_.Ymax - result_.Ymin) / result_.YIntervals;
    result_.MosaicRow = 0;
    result_.LineIndex = -1;
    result_.ZHigh = -1;
    result_.BoundaryPoints.assign(static_cast<std::size_t>(result_.YIntervals) + 1, TZPoint{});
    result_.PrepareFailed = false;
}

void TRun::BuildXColumns()
{
    result_.XColumns.clear();
    auto addColumn = [this](double x) {
        auto column = std::make_unique<TXclass>();
        column->X = x;
        result_.XColumns.push_back({FormatFloat("0.########", x, Input.Separators), std::move(column)});
    };
    double x = result_.Xmin;
    while (x <= result_.Xmax) {
        addColumn(x);
        if (x >= result_.Xmax || std::fabs(result_.Xmax - x) < 1e-12)
            break;
        x += result_.Xstep;
        if (std::fabs(result_.Xmax - x) < 1e-12)
            x = result_.Xmax;
        if (x > result_.Xmax)
            x = result_.Xmax;
        for (const auto& point : script_.PointPhases) {
            const double xk = StrToNumber(point.Text, messages_);
            if (std::fabs(x - xk) >= 1e-10 && std::fabs(x - result_.Xstep - xk) >= 1e-10 && x - result_.Xstep < xk && xk < x) {
                addColumn(xk);
                break;
            }
        }
    }
}

void TRun::StartNewRun()
{
    std::vector<std::string> titles;
    for (const auto& phase : script_.Phases)
        titles.push_back(phase.Text);
    titles.emplace_back("Convex");
    observer_->NewChart(titles, result_.ChartLabelIncrement);

    BuildXColumns();
    const int columns = static_cast<int>(result_.XColumns.size()) + 1;
    result_.Cells.SetRowCount(1); // the rows of the previous run go
    result_.Cells.SetSize(columns, 2);
    result_.Cells.Reserve(static_cast<std::size_t>(columns) * (static_cast<std::size_t>(result_.YIntervals) + 2));
    result_.Cells.SetCell(0, 0, " Y/X");
    for (int c = 1; c < columns; ++c)
        result_.Cells.SetCell(c, 0, result_.XColumns[static_cast<std::size_t>(c) - 1].Text);

    // A line has one candidate per column and one per point phase.
    LinePoints.assign(result_.XColumns.size() + script_.PointPhases.size(), TDPoint{});
    KeptPoints.assign(LinePoints.size(), TDPoint{});
    HullPoints.clear();
    cellsBound_ = false;

    observer_->ResetMosaic();
}

void TRun::BindEvaluatorCells()
{
    // Every variable a line sets, looked up once; SetVariable creates those an
    // evaluator does not have yet, as setting them by name would.
    sidX_ = script_.sidParser.SetVariable("X", 0);
    auto bind = [this](TParser& p, bool withX) -> PhaseCells {
        if (p.Expression().empty())
            return {}; // never evaluated
        PhaseCells cells{};
        cells.T = p.SetVariable("T", result_.Temperature);
        cells.P = p.SetVariable("p", result_.Pressure);
        cells.Y = p.SetVariable("y", result_.CurrentY);
        cells.X = withX ? p.SetVariable("X", 0) : nullptr;
        cells.Sid = p.SetVariable("Sid", 0);
        for (const auto& param : script_.Params)
            cells.params.push_back(p.SetVariable(param.Text, 0));
        return cells;
    };
    phaseCells_.clear();
    for (auto& phase : script_.Phases)
        phaseCells_.push_back(bind(*phase.Object, true));
    pointCells_.clear();
    pointText_.clear();
    for (auto& point : script_.PointPhases) {
        pointCells_.push_back(bind(*point.Object, false));
        pointText_.push_back(result_.Cells.Intern(point.Text));
    }
    phaseText_.clear();
    for (const auto& phase : script_.Phases)
        phaseText_.push_back(result_.Cells.Intern(phase.Text));
    textE_ = result_.Cells.Intern("E");
    cellsBound_ = true;
}

} // namespace solvane
