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

// The frame of a window that opens beside `anchor` at `wanted` size and may
// shrink to `minimum`, inside `room`, never over the anchor:
//   1. to the anchor's right at the wanted size, when it fits there whole;
//   2. else below it, as wide as wanted (moved left to stay inside the
//      room), its height cut to the room below the anchor;
//   3. else to the anchor's left, its width cut to the room there;
//   4. else (less than `minimum` beside and below) below the anchor at the
//      minimum height, pushed up to the room's bottom: it then covers the
//      anchor's lowest part only, as little as the room allows.
// A null room places the wanted frame right of the anchor.
QRect BesideOrBelowFitted(const QRect& anchor, QSize wanted, QSize minimum, const QRect& room);

}  // namespace window_placement
