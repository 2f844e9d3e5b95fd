#pragma once
// Geometry of the mosaic picture: which pixel row a line falls on, which
// pixels a two-phase segment colours and where a point phase's circle goes.
// The picture itself belongs to the window; these are its pure computations.

namespace solvane {

// Nearest integer, halves to even (the rounding of the desktop toolkit).
int RoundHalfEven(double value);
// Drops the fraction; values beyond the integer range are clamped.
int TruncToInt(double value);

// Pixels per unit of Y: Ymax maps to row 0 and Ymin to row height - 10. A Y
// range of zero width (one line) gives 0, so every line falls on row 0.
double MosaicScale(int pictureHeight, double ymin, double ymax);

// The pixel row of the line with this index.
int MosaicRowOf(int lineIndex, double ystep, double scale);

struct TPixelBox {
    int Left, Top, Right, Bottom;
};
// The circle of a point phase at composition x: the picture width times x
// itself, not scaled to the X range.
TPixelBox PointPhaseMarkBox(double x, int pictureWidth, int mosaicRow);

struct TPixelSpan {
    int First, Last; // inclusive, First <= Last
};
// The pixels of a segment between compositions xa and xb, scaled to the X
// range. An X range of zero width puts both ends at pixel 0.
TPixelSpan SegmentPixelSpan(double xa, double xb, double xmin, double xmax, int pictureWidth);

} // namespace solvane
