#pragma once
// TfmDiagram2, the phase diagram window: every boundary point of the last run
// ("Ordinary points"), the special points, a line per node, the coordinate
// read-out under the mouse, phase labels dropped by a click, zoom and scroll,
// and the chart's appearance kept in Chart.cfg from one start to the next.
//
// Mouse on the chart: a left click places a label; a left drag towards the
// lower right zooms to the rectangle, towards the upper left undoes the zoom;
// a right drag scrolls; the wheel zooms. Zoom, scroll and undo remove the
// labels; "Восстановить масштаб" shows exactly while the user has zoomed or
// scrolled.
//
// Beside them, the run refined beyond its grid: "Уточнённые
// границы" draws the refined boundaries as lines and the refined nodes and
// points as markers over the ordinary points; "Подписать области" labels every
// phase region at once, with labels that move and edit as a click's do.
#include "diagram/DiagramSnapshot.h"
#include "plot/DiagramPicture.h"

#include <qcustomplot.h>

#include <QPoint>
#include <QString>
#include <QWidget>

#include <optional>

class QCheckBox;
class QLabel;
class QMouseEvent;
class QWheelEvent;
class QPushButton;
class QRubberBand;

namespace solvane {

class TRun;
struct TExportChoice;
class TDiagramLabel;

class TfmDiagram2 : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 959;
    static constexpr int DesignHeight = 615;

    // The chart's appearance is loaded from chartSettingsPath when that file exists.
    explicit TfmDiagram2(const QString& chartSettingsPath = QStringLiteral("Chart.cfg"), QWidget* parent = nullptr);

    // The diagram command: the snapshot of the run's last results, with the
    // special points search and, unless refine is false, the refinement, drawn.
    // yListText is what the Y list shows. The window is shown.
    const TDiagramSnapshot& Build(const TRun& run, const QString& yListText, bool refine = true);

    // What the last build drew; labels, the CSV and the lists read it.
    const TDiagramSnapshot& Snapshot() const { return snapshot_; }
    // The refinement of the last build (empty when it was built without).
    const TRefinement& Refinement() const { return snapshot_.Refinement; }
    // Whether the refined lines and markers are drawn.
    bool RefinedShown() const;
    void ShowRefined(bool shown);
    // Labels every phase region visible on the chart, as the grid of the last
    // build reads, replacing the labels an earlier call placed (unless the user
    // moved or edited them since). Returns how many.
    int LabelRegions();

    // At exit: labels removed, zoom undone, axes automatic, the foot set to
    // DefaultFootText, the appearance written to Chart.cfg. Returns an error text or empty.
    QString SaveSettings();

    QCustomPlot* Chart() const { return chart_; }
    QString DefaultFootText() const { return defaultFootText_; }
    // The read-out text of a chart position (pixels), empty outside the plotting rectangle.
    QString ReadoutAt(const QPoint& position) const;
    // Places the label a left click at this chart position gives (none right of the grid).
    TDiagramLabel* PlaceLabel(const QPoint& position);
    QList<TDiagramLabel*> Labels() const;
    void RemoveTextLabels();
    bool Zoomed() const { return zoomed_; }
    // Zoom to a rectangle of chart pixels, as a left drag does; undo it.
    void ZoomTo(const QRect& pixels);
    void UndoZoom();
    // The chart with its labels, as copied and exported.
    TDiagramPicture Picture() const { return {chart_, Labels(), windowTitle()}; }
    // "Копировать": the picture on the clipboard as a metafile, an SVG and a bitmap.
    void CopyToClipboard();
    // The points of the last build as CSV into the file; empty or the reason it failed.
    QString ExportCsv(const QString& path) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* BuildPanel();
    void MousePressed(const QMouseEvent& e);
    void MouseMoved(const QMouseEvent& e);
    void MouseReleased(const QMouseEvent& e);
    void WheelTurned(const QWheelEvent& e);
    void RememberUnzoomed();
    void UserChangedRange();
    void EditChart();
    void Export();
    // The file written; the reason it failed, empty when it did not; nothing when the user cancelled.
    std::optional<QString> ExportTo(const TExportChoice& choice);

    QString settingsPath_;
    QString defaultFootText_;
    QCustomPlot* chart_ = nullptr;
    QLabel* Label1_ = nullptr;
    QPushButton* sbUndoZoom_ = nullptr;
    QPushButton* sbCopy_ = nullptr;
    QCheckBox* chbRefined_ = nullptr;
    QPushButton* sbLabelRegions_ = nullptr;
    QList<QCPAbstractPlottable*> refinedLayer_; // shown while chbRefined_ is checked
    QRubberBand* band_ = nullptr;
    TDiagramSnapshot snapshot_; // of the last build, which a later run does not change
    QString exportFolder_;        // where the export dialog opens
    char separator_ = '.';
    bool zoomed_ = false;
    QCPRange unzoomedX_, unzoomedY_; // the ranges before the user zoomed or scrolled
    Qt::MouseButton pressed_ = Qt::NoButton;
    QPoint pressAt_;
    QPoint lastAt_;
    bool dragged_ = false;
    bool placed_ = false; // beside the main window, at the first build
};

} // namespace solvane
