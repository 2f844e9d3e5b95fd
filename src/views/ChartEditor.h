#pragma once
// TChartEditor: the editor of any of our charts (a QCustomPlot). It edits
// the title and its font, the label, label font and range (automatic or fixed
// minimum and maximum) of the X and Y axes, the grid (on or off per axis,
// dotted or solid), the background colour, and for every series (plottable)
// its colour, line width, line style and point size.
//
// The dialog reads the chart when it is built and touches it only when OK is
// pressed: then everything is applied at once and the chart is replotted.
// Cancel leaves the chart as it was. The title and the automatic ranges are
// kept through views/ChartParts.h, so the chart's owner reads them back there.
#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QCustomPlot;
class QCPAxis;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTabWidget;

namespace solvane {

class TColorButton;
class TFontChooser;

class TChartEditor : public QDialog {
    Q_OBJECT
public:
    explicit TChartEditor(QCustomPlot* chart, QWidget* parent = nullptr);

    // Opens the editor modally over the chart; true when OK applied it.
    static bool Edit(QCustomPlot* chart, QWidget* parent = nullptr);

    // OK: refuses a fixed range whose minimum is not below its maximum,
    // otherwise applies every setting to the chart and closes.
    void accept() override;

private:
    struct TAxisControls {
        QCPAxis* Axis = nullptr;
        QLineEdit* Label = nullptr;
        TFontChooser* Font = nullptr;
        QCheckBox* Automatic = nullptr;
        QLineEdit* Minimum = nullptr;
        QLineEdit* Maximum = nullptr;
        QCheckBox* Grid = nullptr;
    };
    struct TSeriesStyle {
        QColor Color;
        int Width = 1;
        Qt::PenStyle Style = Qt::SolidLine;
        int PointSize = 0;
    };

    QWidget* BuildGeneralTab();
    QWidget* BuildAxisTab(TAxisControls& axis, const QString& name);
    QWidget* BuildSeriesTab();
    void ShowSeries(int index);
    void KeepShownSeries();
    bool RangeIsValid(TAxisControls& axis, int tab);
    void ApplyAxis(const TAxisControls& axis);
    void ApplySeries();

    QCustomPlot* chart_;
    QTabWidget* tabs_ = nullptr;

    QLineEdit* titleText_ = nullptr;
    TFontChooser* titleFont_ = nullptr;
    TColorButton* background_ = nullptr;
    QCheckBox* gridDotted_ = nullptr;
    TAxisControls x_;
    TAxisControls y_;

    QList<TSeriesStyle> series_;
    int shownSeries_ = -1;
    QListWidget* seriesList_ = nullptr;
    TColorButton* seriesColor_ = nullptr;
    QSpinBox* seriesWidth_ = nullptr;
    QComboBox* seriesStyle_ = nullptr;
    QSpinBox* seriesPointSize_ = nullptr;
};

} // namespace solvane
