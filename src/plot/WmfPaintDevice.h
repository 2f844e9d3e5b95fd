#pragma once
// A picture of width x height pixels recorded as a Windows metafile: paint on
// it with a QPainter, then take the metafile's bytes, alone (as a clipboard
// holds it) or as a .wmf file whose placeable header carries the size.
#include "plot/WmfPaintEngine.h"

#include <QByteArray>
#include <QPaintDevice>

namespace solvane {

class TWmfPaintDevice : public QPaintDevice {
public:
    // dpi: what fonts given in points are sized with; the file's units per inch.
    TWmfPaintDevice(int width, int height, int dpi = 96);

    QPaintEngine* paintEngine() const override { return &engine_; }
    // The records from the header on; complete once the painter has ended.
    QByteArray Metafile() const { return engine_.Metafile(); }
    // The metafile after the placeable header (key 0x9AC6CDD7, the bounds, the units per inch).
    QByteArray PlaceableFile() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int width_;
    int height_;
    int dpi_;
    mutable TWmfPaintEngine engine_;
};

} // namespace solvane
