#include "views/Diagram2.h"

#include "diagram/PhaseLabel.h"
#include "calc/Run.h"
#include "diagram/DiagramCsv.h"
#include "text/NumberFormat.h"
#include "views/ChartEditor.h"
#include "plot/ChartParts.h"
#include "plot/ChartSettings.h"
#include "plot/DiagramPlot.h"
#include "plot/DiagramLabel.h"
#include "plot/QtText.h"
#include "views/ExportDialog.h"
#include "views/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRubberBand>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <qcustomplot.h>

namespace solvane {
namespace {

constexpr int kDragThreshold = 4; // pixels a press must travel to be a drag
constexpr int kLabelMargin = 3;   // pixels between a region label and the chart's frame

} // namespace

TfmDiagram2::TfmDiagram2(const QString& chartSettingsPath, QWidget* parent)
    : QWidget(parent, Qt::Window), settingsPath_(chartSettingsPath)
{
    setWindowTitle(QStringLiteral("Diagram"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(DesignWidth, DesignHeight);

    chart_ = new QCustomPlot;
    chart_->setMouseTracking(true);
    chart_->installEventFilter(this);
    band_ = new QRubberBand(QRubberBand::Rectangle, chart_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(chart_, 1);
    layout->addWidget(BuildPanel());

    SetupDiagramChart(*chart_);
    LoadChartSettings(*chart_, settingsPath_);
    defaultFootText_ = ChartFoot(chart_);
}

// Two rows under the chart: the read-out with the refined results' controls,
// then the chart's buttons.
QWidget* TfmDiagram2::BuildPanel()
{
    Label1_ = new QLabel;
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::Monospace);
    Label1_->setFont(mono);
    sbUndoZoom_ = new QPushButton(QStringLiteral("Восстановить масштаб"));
    sbUndoZoom_->hide();
    auto* sbEdit = new QPushButton(QStringLiteral("Ред. график"));
    chbRefined_ = new QCheckBox(QStringLiteral("Уточнённые границы"));
    chbRefined_->setToolTip(
        QStringLiteral("Показать границы, ноды и особые точки, уточнённые за пределами сетки"));
    sbLabelRegions_ = new QPushButton(QStringLiteral("Подписать области"));
    sbLabelRegions_->setToolTip(QStringLiteral("Подписать все фазовые области диаграммы"));
    sbCopy_ = new QPushButton(QStringLiteral("Копировать"));
    sbCopy_->setToolTip(QStringLiteral("Копировать график в буфер обмена"));
    auto* sbExport = new QPushButton(QStringLiteral("Экспорт…"));
    sbExport->setToolTip(QStringLiteral("Сохранить диаграмму в файл: SVG, PNG, PDF, WMF или данные в CSV"));
    auto* sbClose = new QPushButton(QStringLiteral("Закрыть"));
    // The read-out never widens the window: it gets the room left.
    Label1_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* panel = new QWidget;
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(9, 4, 9, 6);
    rows->setSpacing(4);
    auto* first = new QHBoxLayout;
    first->addWidget(Label1_, 1);
    first->addWidget(chbRefined_);
    first->addWidget(sbLabelRegions_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(sbUndoZoom_);
    buttons->addWidget(sbEdit);
    buttons->addSpacing(20);
    buttons->addWidget(sbCopy_);
    buttons->addWidget(sbExport);
    buttons->addWidget(sbClose);
    rows->addLayout(first);
    rows->addLayout(buttons);
    connect(sbUndoZoom_, &QPushButton::clicked, this, &TfmDiagram2::UndoZoom);
    connect(sbEdit, &QPushButton::clicked, this, &TfmDiagram2::EditChart);
    connect(sbClose, &QPushButton::clicked, this, &QWidget::close);
    connect(sbCopy_, &QPushButton::clicked, this, &TfmDiagram2::CopyToClipboard);
    connect(sbExport, &QPushButton::clicked, this, &TfmDiagram2::Export);
    connect(chbRefined_, &QCheckBox::toggled, this, &TfmDiagram2::ShowRefined);
    connect(sbLabelRegions_, &QPushButton::clicked, this, &TfmDiagram2::LabelRegions);
    return panel;
}

const TDiagramSnapshot& TfmDiagram2::Build(const TRun& run, const QString& yListText, bool refine)
{
    separator_ = run.Input.Separators.decimal;
    RemoveTextLabels();
    UndoZoom();
    if (refine) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            snapshot_ = BuildDiagramSnapshot(run);
        } catch (const std::exception&) {
            // Each result catches its own evaluator errors; anything else leaves the diagram unrefined.
            snapshot_ = BuildDiagramSnapshot(run, {.SpecialPoints = true, .Refinement = false});
        }
        QGuiApplication::restoreOverrideCursor();
    } else {
        snapshot_ = BuildDiagramSnapshot(run, {.SpecialPoints = true, .Refinement = false});
    }
    refinedLayer_ = DrawDiagram(*chart_, snapshot_, yListText, defaultFootText_);
    ShowRefined(chbRefined_->isChecked());
    if (!placed_ && parentWidget()) {
        // Beside the main window, not over its buttons; later the user's place is kept.
        PlaceBeside(*this, *parentWidget()->window());
        placed_ = true;
    }
    show();
    raise();
    return snapshot_;
}

bool TfmDiagram2::RefinedShown() const { return chbRefined_->isChecked(); }

void TfmDiagram2::ShowRefined(bool shown)
{
    const QSignalBlocker quiet(chbRefined_);
    chbRefined_->setChecked(shown);
    for (QCPAbstractPlottable* plottable : refinedLayer_)
        plottable->setVisible(shown);
    chart_->replot();
}

int TfmDiagram2::LabelRegions()
{
    for (TDiagramLabel* label : Labels())
        if (label->Automatic())
            delete label;
    const TDiagramSnapshot& grid = snapshot_;
    const QCPAxis* x = chart_->xAxis;
    const QCPAxis* y = chart_->yAxis;
    const double cellWidth = std::abs(x->coordToPixel(grid.Xmin + grid.Xstep) - x->coordToPixel(grid.Xmin));
    const double cellHeight = std::abs(y->coordToPixel(grid.Ymin + grid.Ystep) - y->coordToPixel(grid.Ymin));
    const QRect plot = chart_->axisRect()->rect();
    const TRegionView view{x->range().lower, x->range().upper, y->range().lower, y->range().upper};
    int placed = 0;
    for (const TRegionLabel& region :
         RegionLabels(RegionCells(grid.Cells, grid.ColumnX, grid.Refinement, separator_), grid.ColumnX, cellWidth,
                      cellHeight, separator_, view)) {
        const QPoint centre(qRound(x->coordToPixel(region.X)), qRound(y->coordToPixel(region.Y)));
        if (!plot.adjusted(-1, -1, 1, 1).contains(centre)) // the range's edges lie on the frame
            continue;
        auto* label = new TDiagramLabel(FromCp1251(region.Text), chart_);
        label->SetAutomatic(true);
        // Centred on the region's deepest cell, and kept inside the plotting
        // rectangle, clear of its frame.
        const QRect room = plot.adjusted(kLabelMargin, kLabelMargin, -kLabelMargin, -kLabelMargin);
        QPoint topLeft = centre - QPoint(label->width() / 2, label->height() / 2);
        topLeft.setX(std::clamp(topLeft.x(), room.left(), std::max(room.left(), room.right() + 1 - label->width())));
        topLeft.setY(std::clamp(topLeft.y(), room.top(), std::max(room.top(), room.bottom() + 1 - label->height())));
        label->move(topLeft);
        ++placed;
    }
    return placed;
}

QString TfmDiagram2::ReadoutAt(const QPoint& position) const
{
    if (!chart_->axisRect()->rect().contains(position))
        return {};
    const double x = chart_->xAxis->pixelToCoord(position.x());
    const double y = chart_->yAxis->pixelToCoord(position.y());
    return QStringLiteral("X = ") + QString::fromStdString(FormatReadout(x, separator_)) + QStringLiteral("    ") +
           ChartTitleText(chart_).section('\n', 0, 0) + QStringLiteral(" = ") +
           QString::fromStdString(FormatReadout(y, separator_));
}

TDiagramLabel* TfmDiagram2::PlaceLabel(const QPoint& position)
{
    if (!snapshot_.Built)
        return nullptr;
    const auto text = PhaseLabelAt(snapshot_.Cells, snapshot_.ColumnX, chart_->xAxis->pixelToCoord(position.x()),
                                   chart_->yAxis->pixelToCoord(position.y()), separator_);
    if (!text)
        return nullptr;
    auto* label = new TDiagramLabel(FromCp1251(*text), chart_);
    label->move(position);
    return label;
}

QList<TDiagramLabel*> TfmDiagram2::Labels() const
{
    return chart_->findChildren<TDiagramLabel*>(QString(), Qt::FindDirectChildrenOnly);
}

void TfmDiagram2::RemoveTextLabels() { qDeleteAll(Labels()); }

void TfmDiagram2::RememberUnzoomed()
{
    if (!zoomed_) {
        unzoomedX_ = chart_->xAxis->range();
        unzoomedY_ = chart_->yAxis->range();
    }
}

void TfmDiagram2::UserChangedRange()
{
    zoomed_ = true;
    sbUndoZoom_->show();
    RemoveTextLabels();
    chart_->replot();
}

void TfmDiagram2::ZoomTo(const QRect& pixels)
{
    const QRect r = pixels.normalized();
    RememberUnzoomed();
    chart_->xAxis->setRange(chart_->xAxis->pixelToCoord(r.left()), chart_->xAxis->pixelToCoord(r.right()));
    chart_->yAxis->setRange(chart_->yAxis->pixelToCoord(r.bottom()), chart_->yAxis->pixelToCoord(r.top()));
    UserChangedRange();
}

void TfmDiagram2::UndoZoom()
{
    if (zoomed_) {
        chart_->xAxis->setRange(unzoomedX_);
        chart_->yAxis->setRange(unzoomedY_);
    }
    zoomed_ = false;
    sbUndoZoom_->hide();
    RemoveTextLabels();
    RescaleAutomaticAxes(chart_);
    chart_->replot();
}

void TfmDiagram2::CopyToClipboard()
{
    // The clipboard owns the data; the metafile itself lives only while it is drawn.
    QApplication::clipboard()->setMimeData(Picture().MimeData());
    chart_->replot();
    QCoreApplication::processEvents();
}

QString TfmDiagram2::ExportCsv(const QString& path) const
{
    if (!snapshot_.Built)
        return QStringLiteral("Диаграмма не построена");
    return SaveBytes(path, QByteArray::fromStdString(DiagramCsv(snapshot_, /*withRefinement=*/true)));
}

void TfmDiagram2::Export()
{
    const std::optional<TExportChoice> choice = ChooseExportFile(this, exportFolder_);
    if (!choice)
        return;
    const std::optional<QString> error = ExportTo(*choice);
    chart_->replot();
    if (error && !error->isEmpty())
        QMessageBox::warning(this, QStringLiteral("Экспорт"), QStringLiteral("Не удалось записать файл %1:\n%2")
                                                                 .arg(QDir::toNativeSeparators(choice->Path), *error));
}

std::optional<QString> TfmDiagram2::ExportTo(const TExportChoice& choice)
{
    if (choice.Suffix == QLatin1String("csv"))
        return ExportCsv(choice.Path);
    if (choice.Suffix == QLatin1String("png")) {
        bool ok = false;
        const int dpi = QInputDialog::getInt(this, QStringLiteral("Экспорт PNG"),
                                             QStringLiteral("Разрешение, точек на дюйм (96 — как на экране):"), 192, 48,
                                             1200, 24, &ok);
        if (!ok)
            return std::nullopt;
        return SavePicture(Picture(), TPictureFormat::Png, choice.Path, dpi / 96.0);
    }
    const TPictureFormat format = choice.Suffix == QLatin1String("svg")   ? TPictureFormat::Svg
                                  : choice.Suffix == QLatin1String("pdf") ? TPictureFormat::Pdf
                                                                          : TPictureFormat::Wmf;
    return SavePicture(Picture(), format, choice.Path);
}

void TfmDiagram2::EditChart()
{
    TChartEditor::Edit(chart_, this);
    defaultFootText_ = ChartFoot(chart_);
}

QString TfmDiagram2::SaveSettings()
{
    RemoveTextLabels();
    UndoZoom();
    SetAxisRangeAutomatic(chart_->xAxis, true);
    SetAxisRangeAutomatic(chart_->yAxis, true);
    SetChartFoot(chart_, defaultFootText_);
    return SaveChartSettings(*chart_, settingsPath_);
}

void TfmDiagram2::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Label1_->clear();
    QWidget::changeEvent(event);
}

bool TfmDiagram2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != chart_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: MousePressed(*static_cast<QMouseEvent*>(event)); return true;
    case QEvent::MouseMove: MouseMoved(*static_cast<QMouseEvent*>(event)); return true;
    case QEvent::MouseButtonRelease: MouseReleased(*static_cast<QMouseEvent*>(event)); return true;
    case QEvent::Wheel: WheelTurned(*static_cast<QWheelEvent*>(event)); return true;
    default: return QWidget::eventFilter(watched, event);
    }
}

void TfmDiagram2::MousePressed(const QMouseEvent& e)
{
    pressed_ = e.button();
    pressAt_ = lastAt_ = e.position().toPoint();
    dragged_ = false;
}

void TfmDiagram2::MouseMoved(const QMouseEvent& e)
{
    const QPoint at = e.position().toPoint();
    const QString readout = ReadoutAt(at);
    Label1_->setVisible(!readout.isEmpty());
    Label1_->setText(readout);
    if (pressed_ != Qt::NoButton && (at - pressAt_).manhattanLength() >= kDragThreshold)
        dragged_ = true;
    if (dragged_ && pressed_ == Qt::LeftButton) {
        band_->setGeometry(QRect(pressAt_, at).normalized());
        band_->show();
    } else if (dragged_ && pressed_ == Qt::RightButton) {
        RememberUnzoomed();
        chart_->xAxis->moveRange(chart_->xAxis->pixelToCoord(lastAt_.x()) - chart_->xAxis->pixelToCoord(at.x()));
        chart_->yAxis->moveRange(chart_->yAxis->pixelToCoord(lastAt_.y()) - chart_->yAxis->pixelToCoord(at.y()));
        UserChangedRange();
    }
    lastAt_ = at;
}

void TfmDiagram2::MouseReleased(const QMouseEvent& e)
{
    const QPoint at = e.position().toPoint();
    band_->hide();
    const bool wasDrag = dragged_;
    const Qt::MouseButton button = pressed_;
    pressed_ = Qt::NoButton;
    dragged_ = false;
    if (button != e.button() || button != Qt::LeftButton)
        return;
    if (!wasDrag)
        PlaceLabel(at);
    else if (at.x() > pressAt_.x() && at.y() > pressAt_.y()) // towards the lower right zooms in
        ZoomTo(QRect(pressAt_, at));
    else // towards the upper left undoes
        UndoZoom();
}

void TfmDiagram2::WheelTurned(const QWheelEvent& e)
{
    const double factor = std::pow(0.85, e.angleDelta().y() / 120.0);
    const QPointF at = e.position();
    RememberUnzoomed();
    chart_->xAxis->scaleRange(factor, chart_->xAxis->pixelToCoord(at.x()));
    chart_->yAxis->scaleRange(factor, chart_->yAxis->pixelToCoord(at.y()));
    UserChangedRange();
}

} // namespace solvane
