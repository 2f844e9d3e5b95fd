#include "views/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace solvane {

QRect BesideRect(const QRect& anchor, const QSize& wanted, const QSize& least, const QRect& screen)
{
    const int roomRight = screen.right() - anchor.right();
    const int roomLeft = anchor.left() - screen.left();
    int width = std::min(wanted.width(), screen.width());
    const bool right = roomRight >= width || (roomLeft < width && roomRight >= roomLeft);
    const int room = right ? roomRight : roomLeft;
    if (room < width) // narrowed to the room, or to the least it can be, to cover as little as it can
        width = std::max(room, std::min(least.width(), width));
    const int left = right ? std::min(anchor.right() + 1, screen.right() + 1 - width)
                           : std::max(anchor.left() - width, screen.left());
    const int height = std::min(wanted.height(), screen.height());
    const int top = std::clamp(anchor.top(), screen.top(), screen.bottom() + 1 - height);
    return {left, top, width, height};
}

void PlaceBeside(QWidget& window, const QWidget& anchor)
{
    const QScreen* screen = anchor.screen();
    if (!screen)
        return;
    // The window has no frame before it is shown: it gets the anchor's.
    const QRect anchorFrame = anchor.frameGeometry();
    const QSize frame = anchorFrame.size() - anchor.size();
    const QSize least = window.minimumSizeHint().expandedTo(window.size() * 2 / 3);
    const QRect placed = BesideRect(anchorFrame, window.size() + frame, least + frame, screen->availableGeometry());
    window.resize(placed.size() - frame);
    window.move(placed.topLeft());
}

} // namespace solvane
