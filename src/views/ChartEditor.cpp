#include "views/ChartEditor.h"

#include "plot/ChartParts.h"
#include "views/ChooserButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <qcustomplot.h>

#include <cmath>

namespace solvane {
namespace {

struct TPenStyleName {
    Qt::PenStyle Style;
    const char* Name;
};
const TPenStyleName kPenStyles[] = {
    {Qt::SolidLine, "Сплошная"},
    {Qt::DashLine, "Штриховая"},
    {Qt::DotLine, "Пунктирная"},
    {Qt::DashDotLine, "Штрихпунктирная"},
    {Qt::NoPen, "Нет"},
};

// The user's decimal separator, but no digit grouping: a range limit is one number to edit.
QLocale NumberLocale()
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

QString NumberText(double value) { return NumberLocale().toString(value, 'g', 12); }

bool ReadNumber(const QLineEdit* edit, double& value)
{
    bool ok = false;
    value = NumberLocale().toDouble(edit->text().trimmed(), &ok);
    return ok && std::isfinite(value);
}

QIcon Swatch(const QColor& color)
{
    QPixmap pixmap(16, 10);
    pixmap.fill(color);
    return QIcon(pixmap);
}

// A scatter style belongs to graphs and curves; other plottables have none.
QCPScatterStyle ScatterOf(QCPAbstractPlottable* plottable)
{
    if (auto* graph = qobject_cast<QCPGraph*>(plottable))
        return graph->scatterStyle();
    if (auto* curve = qobject_cast<QCPCurve*>(plottable))
        return curve->scatterStyle();
    return {};
}

// A graph or curve drawn without connecting lines shows as style "Нет".
bool LineHidden(QCPAbstractPlottable* plottable)
{
    if (auto* graph = qobject_cast<QCPGraph*>(plottable))
        return graph->lineStyle() == QCPGraph::lsNone;
    if (auto* curve = qobject_cast<QCPCurve*>(plottable))
        return curve->lineStyle() == QCPCurve::lsNone;
    return false;
}

void SetLineHidden(QCPAbstractPlottable* plottable, bool hidden)
{
    if (auto* graph = qobject_cast<QCPGraph*>(plottable)) {
        if (hidden)
            graph->setLineStyle(QCPGraph::lsNone);
        else if (graph->lineStyle() == QCPGraph::lsNone)
            graph->setLineStyle(QCPGraph::lsLine);
    } else if (auto* curve = qobject_cast<QCPCurve*>(plottable)) {
        curve->setLineStyle(hidden ? QCPCurve::lsNone : QCPCurve::lsLine);
    }
}

void SetScatter(QCPAbstractPlottable* plottable, const QCPScatterStyle& scatter)
{
    if (auto* graph = qobject_cast<QCPGraph*>(plottable))
        graph->setScatterStyle(scatter);
    else if (auto* curve = qobject_cast<QCPCurve*>(plottable))
        curve->setScatterStyle(scatter);
}

} // namespace

TChartEditor::TChartEditor(QCustomPlot* chart, QWidget* parent)
    : QDialog(parent)
    , chart_(chart)
{
    setWindowTitle(QStringLiteral("Редактирование графика"));
    x_.Axis = chart->xAxis;
    y_.Axis = chart->yAxis;

    tabs_ = new QTabWidget(this);
    tabs_->addTab(BuildGeneralTab(), QStringLiteral("Общие"));
    tabs_->addTab(BuildAxisTab(x_, QStringLiteral("x")), QStringLiteral("Ось X"));
    tabs_->addTab(BuildAxisTab(y_, QStringLiteral("y")), QStringLiteral("Ось Y"));
    tabs_->addTab(BuildSeriesTab(), QStringLiteral("Серии"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TChartEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TChartEditor::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
}

bool TChartEditor::Edit(QCustomPlot* chart, QWidget* parent)
{
    TChartEditor editor(chart, parent);
    return editor.exec() == QDialog::Accepted;
}

QWidget* TChartEditor::BuildGeneralTab()
{
    auto* page = new QWidget;

    auto* title = new QGroupBox(QStringLiteral("Заголовок"), page);
    const QCPTextElement* element = FindChartTitle(chart_);
    titleText_ = new QLineEdit(element ? element->text() : QString(), title);
    titleText_->setObjectName(QStringLiteral("titleText"));
    titleFont_ = new TFontChooser(element ? element->font() : chart_->font(), title);
    titleFont_->setObjectName(QStringLiteral("titleFont"));
    auto* titleForm = new QFormLayout(title);
    titleForm->addRow(QStringLiteral("Текст:"), titleText_);
    titleForm->addRow(QStringLiteral("Шрифт:"), titleFont_);

    auto* grid = new QGroupBox(QStringLiteral("Сетка"), page);
    x_.Grid = new QCheckBox(QStringLiteral("Линии по оси X"), grid);
    x_.Grid->setObjectName(QStringLiteral("xGrid"));
    x_.Grid->setChecked(x_.Axis->grid()->visible());
    y_.Grid = new QCheckBox(QStringLiteral("Линии по оси Y"), grid);
    y_.Grid->setObjectName(QStringLiteral("yGrid"));
    y_.Grid->setChecked(y_.Axis->grid()->visible());
    gridDotted_ = new QCheckBox(QStringLiteral("Пунктиром"), grid);
    gridDotted_->setObjectName(QStringLiteral("gridDotted"));
    gridDotted_->setChecked(x_.Axis->grid()->pen().style() == Qt::DotLine);
    auto* gridLayout = new QHBoxLayout(grid);
    gridLayout->addWidget(x_.Grid);
    gridLayout->addWidget(y_.Grid);
    gridLayout->addWidget(gridDotted_);
    gridLayout->addStretch();

    auto* back = new QGroupBox(QStringLiteral("Фон"), page);
    background_ = new TColorButton(ChartBackground(chart_), back);
    background_->setObjectName(QStringLiteral("background"));
    auto* backForm = new QFormLayout(back);
    backForm->addRow(QStringLiteral("Цвет:"), background_);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(title);
    layout->addWidget(grid);
    layout->addWidget(back);
    layout->addStretch();
    return page;
}

QWidget* TChartEditor::BuildAxisTab(TAxisControls& axis, const QString& name)
{
    auto* page = new QWidget;

    auto* label = new QGroupBox(QStringLiteral("Подпись"), page);
    axis.Label = new QLineEdit(axis.Axis->label(), label);
    axis.Label->setObjectName(name + QStringLiteral("Label"));
    axis.Font = new TFontChooser(axis.Axis->labelFont(), label);
    axis.Font->setObjectName(name + QStringLiteral("LabelFont"));
    auto* labelForm = new QFormLayout(label);
    labelForm->addRow(QStringLiteral("Текст:"), axis.Label);
    labelForm->addRow(QStringLiteral("Шрифт:"), axis.Font);

    auto* range = new QGroupBox(QStringLiteral("Диапазон"), page);
    axis.Automatic = new QCheckBox(QStringLiteral("Автоматически"), range);
    axis.Automatic->setObjectName(name + QStringLiteral("Automatic"));
    axis.Automatic->setChecked(AxisRangeAutomatic(axis.Axis));
    axis.Minimum = new QLineEdit(NumberText(axis.Axis->range().lower), range);
    axis.Minimum->setObjectName(name + QStringLiteral("Minimum"));
    axis.Maximum = new QLineEdit(NumberText(axis.Axis->range().upper), range);
    axis.Maximum->setObjectName(name + QStringLiteral("Maximum"));
    for (QLineEdit* edit : {axis.Minimum, axis.Maximum}) {
        auto* validator = new QDoubleValidator(edit);
        validator->setNotation(QDoubleValidator::ScientificNotation);
        validator->setLocale(NumberLocale());
        edit->setValidator(validator);
        edit->setEnabled(!axis.Automatic->isChecked());
        connect(axis.Automatic, &QCheckBox::toggled, edit, [edit](bool automatic) { edit->setEnabled(!automatic); });
    }
    auto* rangeForm = new QFormLayout(range);
    rangeForm->addRow(axis.Automatic);
    rangeForm->addRow(QStringLiteral("Минимум:"), axis.Minimum);
    rangeForm->addRow(QStringLiteral("Максимум:"), axis.Maximum);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(label);
    layout->addWidget(range);
    layout->addStretch();
    return page;
}

QWidget* TChartEditor::BuildSeriesTab()
{
    auto* page = new QWidget;
    seriesList_ = new QListWidget(page);
    seriesList_->setObjectName(QStringLiteral("seriesList"));
    for (int i = 0; i < chart_->plottableCount(); ++i) {
        QCPAbstractPlottable* plottable = chart_->plottable(i);
        const QPen pen = plottable->pen();
        const QCPScatterStyle scatter = ScatterOf(plottable);
        TSeriesStyle style;
        style.Color = pen.color();
        style.Width = std::max(1, pen.width());
        style.Style = LineHidden(plottable) ? Qt::NoPen : pen.style();
        style.PointSize = scatter.isNone() ? 0 : static_cast<int>(std::lround(scatter.size()));
        series_.append(style);
        const QString name = plottable->name().isEmpty() ? QStringLiteral("Серия %1").arg(i + 1) : plottable->name();
        seriesList_->addItem(new QListWidgetItem(Swatch(style.Color), name));
    }

    auto* properties = new QWidget(page);
    seriesColor_ = new TColorButton(Qt::black, properties);
    seriesColor_->setObjectName(QStringLiteral("seriesColor"));
    seriesWidth_ = new QSpinBox(properties);
    seriesWidth_->setObjectName(QStringLiteral("seriesWidth"));
    seriesWidth_->setRange(1, 10);
    seriesStyle_ = new QComboBox(properties);
    seriesStyle_->setObjectName(QStringLiteral("seriesStyle"));
    for (const TPenStyleName& style : kPenStyles)
        seriesStyle_->addItem(QString::fromUtf8(style.Name), static_cast<int>(style.Style));
    seriesPointSize_ = new QSpinBox(properties);
    seriesPointSize_->setObjectName(QStringLiteral("seriesPointSize"));
    seriesPointSize_->setRange(0, 20);
    seriesPointSize_->setSpecialValueText(QStringLiteral("без точек"));
    auto* form = new QFormLayout(properties);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("Цвет:"), seriesColor_);
    form->addRow(QStringLiteral("Толщина линии:"), seriesWidth_);
    form->addRow(QStringLiteral("Стиль линии:"), seriesStyle_);
    form->addRow(QStringLiteral("Размер точек:"), seriesPointSize_);

    connect(seriesColor_, &TColorButton::ColorChanged, this, [this](const QColor& color) {
        if (QListWidgetItem* item = seriesList_->item(shownSeries_))
            item->setIcon(Swatch(color));
    });
    connect(seriesList_, &QListWidget::currentRowChanged, this, [this](int row) {
        KeepShownSeries();
        ShowSeries(row);
    });

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(seriesList_, 1);
    layout->addWidget(properties, 1, Qt::AlignTop);
    properties->setEnabled(!series_.isEmpty());
    if (!series_.isEmpty())
        seriesList_->setCurrentRow(0);
    return page;
}

void TChartEditor::ShowSeries(int index)
{
    shownSeries_ = index;
    if (index < 0 || index >= series_.size())
        return;
    const TSeriesStyle& style = series_[index];
    seriesColor_->SetColor(style.Color);
    seriesWidth_->setValue(style.Width);
    seriesStyle_->setCurrentIndex(std::max(0, seriesStyle_->findData(static_cast<int>(style.Style))));
    seriesPointSize_->setValue(style.PointSize);
}

void TChartEditor::KeepShownSeries()
{
    if (shownSeries_ < 0 || shownSeries_ >= series_.size())
        return;
    TSeriesStyle& style = series_[shownSeries_];
    style.Color = seriesColor_->Color();
    style.Width = seriesWidth_->value();
    style.Style = static_cast<Qt::PenStyle>(seriesStyle_->currentData().toInt());
    style.PointSize = seriesPointSize_->value();
}

bool TChartEditor::RangeIsValid(TAxisControls& axis, int tab)
{
    if (axis.Automatic->isChecked())
        return true;
    double minimum = 0;
    double maximum = 0;
    if (ReadNumber(axis.Minimum, minimum) && ReadNumber(axis.Maximum, maximum) && minimum < maximum)
        return true;
    tabs_->setCurrentIndex(tab);
    QMessageBox::warning(this, tabs_->tabText(tab), QStringLiteral("Минимум должен быть числом меньше максимума."));
    axis.Minimum->setFocus();
    return false;
}

void TChartEditor::accept()
{
    if (!RangeIsValid(x_, 1) || !RangeIsValid(y_, 2))
        return;

    if (FindChartTitle(chart_) || !titleText_->text().isEmpty()) {
        QCPTextElement* title = ChartTitle(chart_);
        title->setText(titleText_->text());
        title->setFont(titleFont_->ChosenFont());
    }
    SetChartBackground(chart_, background_->Color());
    ApplyAxis(x_);
    ApplyAxis(y_);
    ApplySeries();
    chart_->replot();
    QDialog::accept();
}

void TChartEditor::ApplyAxis(const TAxisControls& axis)
{
    axis.Axis->setLabel(axis.Label->text());
    axis.Axis->setLabelFont(axis.Font->ChosenFont());

    QCPGrid* grid = axis.Axis->grid();
    grid->setVisible(axis.Grid->isChecked());
    QPen pen = grid->pen();
    pen.setStyle(gridDotted_->isChecked() ? Qt::DotLine : Qt::SolidLine);
    grid->setPen(pen);

    const bool automatic = axis.Automatic->isChecked();
    SetAxisRangeAutomatic(axis.Axis, automatic);
    if (automatic) {
        RescaleToAutomatic(axis.Axis);
    } else {
        double minimum = 0;
        double maximum = 0;
        ReadNumber(axis.Minimum, minimum);
        ReadNumber(axis.Maximum, maximum);
        axis.Axis->setRange(minimum, maximum);
    }
}

void TChartEditor::ApplySeries()
{
    KeepShownSeries();
    for (int i = 0; i < series_.size() && i < chart_->plottableCount(); ++i) {
        QCPAbstractPlottable* plottable = chart_->plottable(i);
        const TSeriesStyle& style = series_[i];
        const bool hidden = style.Style == Qt::NoPen;
        QPen pen = plottable->pen();
        const QColor oldColor = pen.color();
        pen.setColor(style.Color);
        pen.setWidth(style.Width);
        // A graph or curve without lines keeps a solid pen for its points.
        const bool hasLineStyle = qobject_cast<QCPGraph*>(plottable) || qobject_cast<QCPCurve*>(plottable);
        pen.setStyle(hidden && hasLineStyle ? Qt::SolidLine : style.Style);
        plottable->setPen(pen);
        SetLineHidden(plottable, hidden);

        QCPScatterStyle scatter = ScatterOf(plottable);
        if (style.PointSize == 0) {
            scatter = QCPScatterStyle(QCPScatterStyle::ssNone);
        } else if (scatter.isNone()) {
            scatter = QCPScatterStyle(QCPScatterStyle::ssDisc, style.Color, style.Color, style.PointSize);
        } else {
            scatter.setSize(style.PointSize);
            scatter.setPen(QPen(style.Color));
            if (scatter.brush().style() != Qt::NoBrush && scatter.brush().color() == oldColor)
                scatter.setBrush(style.Color);
        }
        SetScatter(plottable, scatter);
    }
}

} // namespace solvane
