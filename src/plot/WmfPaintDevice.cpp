#include "plot/WmfPaintDevice.h"

#include <QList>

namespace solvane {

TWmfPaintDevice::TWmfPaintDevice(int width, int height, int dpi) : width_(width), height_(height), dpi_(dpi) {}

int TWmfPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return width_;
    case PdmHeight: return height_;
    case PdmWidthMM: return qRound(width_ * 25.4 / dpi_);
    case PdmHeightMM: return qRound(height_ * 25.4 / dpi_);
    case PdmNumColors: return 0x7FFFFFFF;
    case PdmDepth: return 24;
    case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return dpi_;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
    default: return QPaintDevice::metric(metric);
    }
}

QByteArray TWmfPaintDevice::PlaceableFile() const
{
    const QList<quint16> words{0xCDD7, 0x9AC6, 0, 0, 0, static_cast<quint16>(width_), static_cast<quint16>(height_),
                               static_cast<quint16>(dpi_), 0, 0};
    quint16 checksum = 0;
    QByteArray file;
    for (quint16 w : words) {
        checksum ^= w;
        file.append(static_cast<char>(w & 0xFF)).append(static_cast<char>(w >> 8));
    }
    file.append(static_cast<char>(checksum & 0xFF)).append(static_cast<char>(checksum >> 8));
    return file + Metafile();
}

} // namespace solvane
