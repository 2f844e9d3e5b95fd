#include "calc/Mosaic.h"

#include <climits>
#include <cmath>
#include <utility>

namespace solvane {
namespace {

int ClampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

int RoundHalfEven(double value)
{
    // The default floating-point rounding mode rounds halves to even.
    return ClampToInt(std::nearbyint(value));
}

int TruncToInt(double value) { return ClampToInt(std::trunc(value)); }

double MosaicScale(int pictureHeight, double ymin, double ymax)
{
    if (ymax == ymin)
        return 0;
    return (pictureHeight - 10) / (ymax - ymin);
}

int MosaicRowOf(int lineIndex, double ystep, double scale) { return TruncToInt(lineIndex * ystep * scale); }

TPixelBox PointPhaseMarkBox(double x, int pictureWidth, int mosaicRow)
{
    return {RoundHalfEven(pictureWidth * x - 2), mosaicRow - 2, RoundHalfEven(pictureWidth * x + 2),
            mosaicRow + 2};
}

TPixelSpan SegmentPixelSpan(double xa, double xb, double xmin, double xmax, int pictureWidth)
{
    const double range = xmax - xmin;
    auto pixel = [&](double x) { return range == 0 ? 0 : RoundHalfEven((x - xmin) / range * pictureWidth); };
    int first = pixel(xa);
    int last = pixel(xb);
    if (last < first)
        std::swap(first, last);
    return {first, last};
}

} // namespace solvane
