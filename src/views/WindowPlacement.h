#pragma once
// Where a window opens beside another: it should cover neither the other
// window's controls nor run off the screen.
#include <QRect>
#include <QSize>

class QWidget;

namespace solvane {

// The frame rectangle for a window of frame size `wanted` (and at least
// `least`) beside the frame `anchor`, on the screen area `screen`: right of
// the anchor, else left of it, narrowed to the room there when it does not
// fit whole; with no room for even `least`, `least` wide on the side with
// more room, kept on the screen (over the anchor as little as it can then).
// Top aligned with the anchor's.
QRect BesideRect(const QRect& anchor, const QSize& wanted, const QSize& least, const QRect& screen);

// Moves and resizes the top-level window (not shown yet) beside `anchor`,
// on the anchor's screen, narrowed to no less than two thirds of its size:
// a picture squeezed narrower is of no use.
void PlaceBeside(QWidget& window, const QWidget& anchor);

} // namespace solvane
