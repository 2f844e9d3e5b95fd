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
    PrepareFailed = true;
    if (OnPrepare && !OnPrepare())
        return;
    if (!InterpretScript())
        return;
    if (Phases.empty()) {
        Message(TMessageKind::Error, "Gibbs energy can not be computed");
        return;
    }
    Ymin = Input.Problem.Ymin;
    Ymax = Input.Problem.Ymax;
    if (Ymax < Ymin) {
        Message(TMessageKind::Warning, "Ymax must be more that Ymin");
        return;
    }
    if (YQuantity() == TYQuantity::Temperature)
        Pressure = Input.Problem.Zvalue;
    else if (YQuantity() == TYQuantity::Pressure)
        Temperature = Input.Problem.Zvalue;
    if (!(Pressure > 0))
        Pressure = 1;
    sidParser.SetVariable("p", Pressure);
    for (auto& phase : Phases)
        if (!phase.Object->Expression().empty())
            phase.Object->SetVariable("p", Pressure);
    CurrentY = Ymax;
    Completed = false;
    const TGridSize grid = GridSizeOf(Input.Problem.YPoints, Input.Problem.XPoints, PointPhases.size());
    YIntervals = grid.YIntervals;
    XInnerPoints = grid.XInnerPoints;
    if (grid.TooLarge()) {
        Message(TMessageKind::Warning, "The grid is too large: at most " + FormatGeneral(kMaxGridCells) +
                                           " cells are allowed; reduce XPoints or YPoints");
        return;
    }
    Xstep = (Xmax - Xmin) / (XInnerPoints + 1);
    ChartLabelIncrement = std::max(0.0, RoundHalfEven((Xmax - Xmin) * 1000) / 10000.0);
    Ystep = (Ymax - Ymin) / YIntervals;
    MosaicRow = 0;
    LineIndex = -1;
    ZHigh = -1;
    BoundaryPoints.assign(static_cast<std::size_t>(YIntervals) + 1, TZPoint{});
    PrepareFailed = false;
}

void TRun::BuildXColumns()
{
    XColumns.clear();
    auto addColumn = [this](double x) {
        auto column = std::make_unique<TXclass>();
        column->X = x;
        XColumns.push_back({FormatFloat("0.########", x, Input.Separators), std::move(column)});
    };
    double x = Xmin;
    while (x <= Xmax) {
        addColumn(x);
        if (x >= Xmax || std::fabs(Xmax - x) < 1e-12)
            break;
        x += Xstep;
        if (std::fabs(Xmax - x) < 1e-12)
            x = Xmax;
        if (x > Xmax)
            x = Xmax;
        for (const auto& point : PointPhases) {
            const double xk = StrToNumber(point.Text, messages_);
            if (std::fabs(x - xk) >= 1e-10 && std::fabs(x - Xstep - xk) >= 1e-10 && x - Xstep < xk && xk < x) {
                addColumn(xk);
                break;
            }
        }
    }
}

void TRun::StartNewRun()
{
    std::vector<std::string> titles;
    for (const auto& phase : Phases)
        titles.push_back(phase.Text);
    titles.emplace_back("Convex");
    observer_->NewChart(titles, ChartLabelIncrement);

    BuildXColumns();
    const int columns = static_cast<int>(XColumns.size()) + 1;
    Cells.SetRowCount(1); // the rows of the previous run go
    Cells.SetSize(columns, 2);
    Cells.Reserve(static_cast<std::size_t>(columns) * (static_cast<std::size_t>(YIntervals) + 2));
    Cells.SetCell(0, 0, " Y/X");
    for (int c = 1; c < columns; ++c)
        Cells.SetCell(c, 0, XColumns[static_cast<std::size_t>(c) - 1].Text);

    // A line has one candidate per column and one per point phase.
    LinePoints.assign(XColumns.size() + PointPhases.size(), TDPoint{});
    KeptPoints.assign(LinePoints.size(), TDPoint{});
    HullPoints.clear();
    cellsBound_ = false;

    observer_->ResetMosaic();
}

void TRun::BindEvaluatorCells()
{
    // Every variable a line sets, looked up once; SetVariable creates those an
    // evaluator does not have yet, as setting them by name would.
    sidX_ = sidParser.SetVariable("X", 0);
    auto bind = [this](TParser& p, bool withX) -> PhaseCells {
        if (p.Expression().empty())
            return {}; // never evaluated
        PhaseCells cells{};
        cells.T = p.SetVariable("T", Temperature);
        cells.P = p.SetVariable("p", Pressure);
        cells.Y = p.SetVariable("y", CurrentY);
        cells.X = withX ? p.SetVariable("X", 0) : nullptr;
        cells.Sid = p.SetVariable("Sid", 0);
        for (const auto& param : Params)
            cells.params.push_back(p.SetVariable(param.Text, 0));
        return cells;
    };
    phaseCells_.clear();
    for (auto& phase : Phases)
        phaseCells_.push_back(bind(*phase.Object, true));
    pointCells_.clear();
    pointText_.clear();
    for (auto& point : PointPhases) {
        pointCells_.push_back(bind(*point.Object, false));
        pointText_.push_back(Cells.Intern(point.Text));
    }
    phaseText_.clear();
    for (const auto& phase : Phases)
        phaseText_.push_back(Cells.Intern(phase.Text));
    textE_ = Cells.Intern("E");
    cellsBound_ = true;
}

} // namespace solvane
