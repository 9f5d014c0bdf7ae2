// Where a window opens next to another one: a pure function of the two
// frames and the screen's available area, so every window of the program
// opens inside the screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

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

// The top-left corner for a frame of `size` that would stand at `place`, moved
// up as far as needed (never above the room's top) to leave `heightBelow`
// free below it inside `room`, and kept inside the room. A null room keeps
// `place`.
QPoint LeavingRoomBelow(QPoint place, QSize size, int heightBelow, const QRect& room);

// The frame of a window that opens beside `anchor` at `wanted` size and may
// shrink to `minimum`, inside `room`, never over the anchor's controls:
//   1. to the anchor's right at the wanted size, when it fits there whole;
//   2. else below it, as wide as wanted (moved left to stay inside the
//      room), its height cut to the room below the anchor;
//   3. else to the anchor's left, its width cut to the room there;
//   4. else (less than `minimum` beside and below) below `controlsBottom`,
//      the lowest edge of the anchor's controls that must stay in view, at
//      the room's bottom: as high as `minimum` if the room below those
//      controls allows, else as high as that room, covering only the part
//      of the anchor below its controls;
//   5. else (the controls reach the room's bottom) the minimum height at the
//      room's bottom.
// Without `controlsBottom` step 4 is left out: the window then covers the
// anchor's lowest part, as little as the room allows.
// A null room places the wanted frame right of the anchor.
QRect BesideOrBelowFitted(const QRect& anchor, QSize wanted, QSize minimum, const QRect& room,
                          std::optional<int> controlsBottom = std::nullopt);

}  // namespace window_placement
