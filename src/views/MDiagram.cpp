#include "views/MDiagram.h"

#include "calc/Mosaic.h"
#include "plot/ColorRef.h"

#include <QPainter>

#include <algorithm>

namespace solvane {

TfmMDiagram::TfmMDiagram(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Mosaic diagram"));
    setAttribute(Qt::WA_QuitOnClose, false);
    // The picture covers every pixel, so Qt need not clear the window first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(DesignWidth, DesignHeight);
    ResetPicture();
}

void TfmMDiagram::ResetPicture()
{
    picture_ = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    picture_.fill(Qt::white);
    update();
}

void TfmMDiagram::MarkPointPhase(double x, int row)
{
    const TPixelBox box = PointPhaseMarkBox(x, picture_.width(), row);
    QPainter painter(&picture_);
    painter.setPen(Qt::red);
    painter.setBrush(Qt::white);
    // The box's right and bottom edges lie outside the circle, as in a
    // bounding rectangle of the desktop's canvas.
    painter.drawEllipse(QRect(box.Left, box.Top, box.Right - box.Left - 1, box.Bottom - box.Top - 1));
    update();
}

void TfmMDiagram::DrawSegments(std::span<const TZPoint> ends, int row, double xmin, double xmax, std::uint32_t color)
{
    if (row < 0 || row >= picture_.height())
        return;
    const QRgb rgb = ColorFromRef(color).rgb();
    auto* pixels = reinterpret_cast<QRgb*>(picture_.scanLine(row));
    const int width = picture_.width();
    for (std::size_t k = 0; k + 1 < ends.size(); k += 2) {
        const TPixelSpan span = SegmentPixelSpan(ends[k].X, ends[k + 1].X, xmin, xmax, width);
        const int first = std::max(span.First, 0);
        const int last = std::min(span.Last, width - 1);
        if (first <= last)
            std::fill(pixels + first, pixels + last + 1, rgb);
    }
    update();
}

void TfmMDiagram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(rect(), picture_);
}

} // namespace solvane
