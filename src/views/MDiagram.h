#pragma once
// TfmMDiagram, the mosaic window: one picture that grows line by line while a
// run proceeds. Two-phase segments colour pixel stretches of a row, point
// phases get small red circles, single-phase stretches stay white.
//
// The window is a top-level window of its own (caption "Mosaic diagram", the
// run replaces it by the problem name). Closing it only hides it; it lives as
// long as its owner. The picture is painted stretched over the client area,
// pixel for pixel, without smoothing. Drawing requests a repaint with update(),
// so repaints are coalesced and happen when events are processed.
#include "calc/RunTypes.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <span>

namespace solvane {

class TfmMDiagram : public QWidget {
    Q_OBJECT
public:
    // Designed client size.
    static constexpr int DesignWidth = 410;
    static constexpr int DesignHeight = 527;

    explicit TfmMDiagram(QWidget* parent = nullptr);

    // A new run: the old picture is discarded and a new one, the size of the
    // client area, is filled white.
    void ResetPicture();

    int PictureWidth() const { return picture_.width(); }
    int PictureHeight() const { return picture_.height(); }
    const QImage& Picture() const { return picture_; }

    // A point phase at composition x in the given pixel row: a circle in the
    // red pen with a white inside, in the box of PointPhaseMarkBox.
    void MarkPointPhase(double x, int row);

    // The two-phase segments of one line: ends[2k] and ends[2k + 1] are the
    // ends of segment k. Each colours the pixels of SegmentPixelSpan (over the
    // X range xmin..xmax) in the row. The colour is 0x00BBGGRR. Pixels outside
    // the picture are skipped.
    void DrawSegments(std::span<const TZPoint> ends, int row, double xmin, double xmax, std::uint32_t color);

    QSize sizeHint() const override { return {DesignWidth, DesignHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

} // namespace solvane
