#include "plot/ChartSettings.h"

#include "plot/ChartParts.h"

#include <QFile>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <qcustomplot.h>

namespace solvane {
namespace {

constexpr const char* kFormat = "solvane-chart";
constexpr int kVersion = 1;

QJsonValue FontToJson(const QFont& font) { return font.toString(); }

void FontFromJson(const QJsonValue& value, QFont& font)
{
    QFont read;
    if (value.isString() && read.fromString(value.toString()))
        font = read;
}

QJsonObject AxisToJson(const QCPAxis* axis)
{
    return {{"label", axis->label()},
            {"labelFont", FontToJson(axis->labelFont())},
            {"tickLabelFont", FontToJson(axis->tickLabelFont())},
            {"grid", axis->grid()->visible()},
            {"gridStyle", static_cast<int>(axis->grid()->pen().style())},
            {"automatic", AxisRangeAutomatic(axis)},
            {"range", QJsonArray{axis->range().lower, axis->range().upper}}};
}

void AxisFromJson(const QJsonObject& o, QCPAxis* axis)
{
    if (o.contains("label"))
        axis->setLabel(o.value("label").toString());
    QFont font = axis->labelFont();
    FontFromJson(o.value("labelFont"), font);
    axis->setLabelFont(font);
    font = axis->tickLabelFont();
    FontFromJson(o.value("tickLabelFont"), font);
    axis->setTickLabelFont(font);
    if (o.contains("grid"))
        axis->grid()->setVisible(o.value("grid").toBool());
    if (const int style = o.value("gridStyle").toInt(-1); style >= Qt::SolidLine && style <= Qt::DashDotDotLine) {
        QPen pen = axis->grid()->pen();
        pen.setStyle(static_cast<Qt::PenStyle>(style));
        axis->grid()->setPen(pen);
    }
    const QJsonArray range = o.value("range").toArray();
    const bool automatic = o.value("automatic").toBool(true);
    if (!automatic && range.size() == 2 && range[0].isDouble() && range[1].isDouble() &&
        range[0].toDouble() < range[1].toDouble()) {
        axis->setRange(range[0].toDouble(), range[1].toDouble());
        SetAxisRangeAutomatic(axis, false);
    } else {
        SetAxisRangeAutomatic(axis, true);
    }
}

} // namespace

QByteArray ChartSettingsToJson(const QCustomPlot& chart)
{
    auto& plot = const_cast<QCustomPlot&>(chart);
    QJsonObject title;
    if (const QCPTextElement* element = FindChartTitle(&chart))
        title = {{"text", element->text()}, {"font", FontToJson(element->font())}};
    const QJsonObject root{{"format", kFormat},
                           {"version", kVersion},
                           {"title", title},
                           {"x", AxisToJson(plot.xAxis)},
                           {"y", AxisToJson(plot.yAxis)},
                           {"background", ChartBackground(&chart).name()}};
    return QJsonDocument(root).toJson();
}

bool ApplyChartSettings(QCustomPlot& chart, const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject root = document.object();
    if (root.value("format").toString() != QLatin1String(kFormat) || root.value("version").toInt() != kVersion)
        return false;
    const QJsonObject title = root.value("title").toObject();
    if (title.contains("text")) {
        QCPTextElement* element = ChartTitle(&chart);
        element->setText(title.value("text").toString());
        QFont font = element->font();
        FontFromJson(title.value("font"), font);
        element->setFont(font);
    }
    AxisFromJson(root.value("x").toObject(), chart.xAxis);
    AxisFromJson(root.value("y").toObject(), chart.yAxis);
    if (const QColor background(root.value("background").toString()); background.isValid())
        SetChartBackground(&chart, background);
    return true;
}

bool LoadChartSettings(QCustomPlot& chart, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A chart settings file is small; anything huge is not ours.
    if (file.size() > 1 << 20)
        return false;
    return ApplyChartSettings(chart, file.readAll());
}

QString SaveChartSettings(const QCustomPlot& chart, const QString& path)
{
    // The reason alone ("Permission denied") would not say which file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot create file %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    file.write(ChartSettingsToJson(chart));
    if (!file.commit())
        return QStringLiteral("Cannot write file %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    return {};
}

} // namespace solvane
