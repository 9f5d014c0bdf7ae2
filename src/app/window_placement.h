// Where a window opens next to another one: a pure function of the two
// frames and the screen's available area, so every window of the program
// opens inside the screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace window_placement {

// The frame size `wanted`, cut down to fit inside `room`.
QSize FitInside(QSize wanted, const QRect& room);

// The top-left corner for a frame of `size` beside `anchor`: to its right when
// the whole frame fits there, else below it when it fits there, else as far
// right as the screen allows, level with the anchor's top. The result keeps
// the frame inside `room` (a null room places it right of the anchor).
QPoint BesideOrBelow(const QRect& anchor, QSize size, const QRect& room);

// The top-left corner for a frame of `size` below `anchor`, moved as little
// as needed to lie inside `room`.
QPoint BelowInside(const QRect& anchor, QSize size, const QRect& room);

}  // namespace window_placement
