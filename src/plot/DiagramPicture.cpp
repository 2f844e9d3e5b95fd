#include "plot/DiagramPicture.h"

#include "plot/DiagramLabel.h"
#include "plot/WmfPaintDevice.h"

#include <QBuffer>
#include <QMimeData>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <qcustomplot.h>

namespace solvane {
namespace {

constexpr int kDpi = 96; // the screen's resolution the chart is laid out for

} // namespace

QSize TDiagramPicture::Size() const
{
    const QRect outer = Chart->rect();
    return {std::max(1, outer.width() - 1), std::max(1, outer.height() - 1)};
}

void TDiagramPicture::Draw(QCPPainter& painter, bool vector) const
{
    const QSize size = Size();
    painter.setMode(QCPPainter::pmVectorized, vector);
    Chart->toPainter(&painter, size.width(), size.height());
    painter.setClipping(false);
    for (auto label = Labels.crbegin(); label != Labels.crend(); ++label) {
        painter.setFont((*label)->font());
        painter.setPen((*label)->palette().color((*label)->foregroundRole()));
        painter.setBrush(Qt::NoBrush);
        const QFontMetricsF metrics((*label)->font(), painter.device());
        painter.drawText(QPointF((*label)->pos()) + QPointF(0, metrics.ascent()), (*label)->text());
    }
}

QByteArray TDiagramPicture::Wmf() const
{
    const QSize size = Size();
    TWmfPaintDevice device(size.width(), size.height(), kDpi);
    {
        QCPPainter painter(&device);
        Draw(painter, true);
    }
    return device.PlaceableFile();
}

QByteArray TDiagramPicture::Svg() const
{
    QBuffer buffer;
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(Size());
    generator.setViewBox(QRect(QPoint(0, 0), Size()));
    generator.setResolution(kDpi);
    generator.setTitle(Title);
    {
        QCPPainter painter(&generator);
        Draw(painter, true);
    }
    return buffer.data();
}

QByteArray TDiagramPicture::Pdf() const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kDpi);
        writer.setPageSize(QPageSize(QSizeF(Size()) * 72.0 / kDpi, QPageSize::Point));
        writer.setPageMargins(QMarginsF());
        writer.setTitle(Title);
        QCPPainter painter(&writer);
        Draw(painter, true);
    }
    return buffer.data();
}

QImage TDiagramPicture::Image(double scale) const
{
    QImage image((QSizeF(Size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QCPPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        if (scale != 1) {
            painter.setMode(QCPPainter::pmNonCosmetic);
            painter.scale(scale, scale);
        }
        Draw(painter, false);
    }
    const int dotsPerMeter = qRound(kDpi * scale / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

QByteArray TDiagramPicture::Png(double scale) const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Image(scale).save(&buffer, "PNG");
    return buffer.data();
}

QMimeData* TDiagramPicture::MimeData() const
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/x-wmf"), Wmf());
    data->setData(QStringLiteral("image/svg+xml"), Svg());
    data->setImageData(Image());
    return data;
}

QString SaveBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

QString SavePicture(const TDiagramPicture& picture, TPictureFormat format, const QString& path, double pngScale)
{
    switch (format) {
    case TPictureFormat::Svg: return SaveBytes(path, picture.Svg());
    case TPictureFormat::Png: return SaveBytes(path, picture.Png(pngScale));
    case TPictureFormat::Pdf: return SaveBytes(path, picture.Pdf());
    case TPictureFormat::Wmf: return SaveBytes(path, picture.Wmf());
    }
    return {};
}

} // namespace solvane
