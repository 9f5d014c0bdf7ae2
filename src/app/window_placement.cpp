#include "window_placement.h"

#include <algorithm>

namespace window_placement {

namespace {

QPoint ClampInto(QPoint place, QSize size, const QRect& room) {
  place.setX(std::clamp(place.x(), room.left(), std::max(room.left(), room.right() - size.width() + 1)));
  place.setY(std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() - size.height() + 1)));
  return place;
}

}  // namespace

QSize FitInside(QSize wanted, const QRect& room) {
  if (room.isNull()) return wanted;
  return wanted.boundedTo(room.size());
}

QPoint BesideOrBelow(const QRect& anchor, QSize size, const QRect& room) {
  const QPoint right(anchor.right() + 1, anchor.top());
  if (room.isNull()) return right;
  if (room.contains(QRect(right, size))) return right;
  const QPoint below(anchor.left(), anchor.bottom() + 1);
  if (room.contains(QRect(below, size))) return below;
  // Neither fits whole: as far right as the screen allows, level with the
  // anchor, and inside the screen.
  return ClampInto(QPoint(room.right() - size.width() + 1, anchor.top()), size, room);
}

QRect BesideOrBelowFitted(const QRect& anchor, QSize wanted, QSize minimum, const QRect& room,
                          std::optional<int> controlsBottom) {
  const QPoint right(anchor.right() + 1, anchor.top());
  if (room.isNull()) return QRect(right, wanted);
  wanted = wanted.boundedTo(room.size());
  minimum = minimum.boundedTo(wanted);
  if (room.contains(QRect(right, wanted))) return QRect(right, wanted);
  const int heightBelow = room.bottom() - anchor.bottom();
  if (heightBelow >= minimum.height()) {
    const QSize size(wanted.width(), std::min(wanted.height(), heightBelow));
    return QRect(ClampInto(QPoint(anchor.left(), anchor.bottom() + 1), size, room), size);
  }
  const int widthLeft = anchor.left() - room.left();
  if (widthLeft >= minimum.width()) {
    const QSize size(std::min(wanted.width(), widthLeft), wanted.height());
    return QRect(ClampInto(QPoint(anchor.left() - size.width(), anchor.top()), size, room), size);
  }
  // The lowest edge that must stay in view: the controls', at most the anchor's.
  const int keepBottom = std::clamp(controlsBottom.value_or(anchor.bottom()), anchor.top(), anchor.bottom());
  const int heightBelowControls = room.bottom() - keepBottom;
  if (controlsBottom && heightBelowControls > 0) {
    const QSize size(wanted.width(), std::min(minimum.height(), heightBelowControls));
    return QRect(ClampInto(QPoint(anchor.left(), room.bottom() + 1 - size.height()), size, room), size);
  }
  const QSize size(wanted.width(), minimum.height());
  return QRect(ClampInto(QPoint(anchor.left(), anchor.bottom() + 1), size, room), size);
}

QPoint LeavingRoomBelow(QPoint place, QSize size, int heightBelow, const QRect& room) {
  if (room.isNull()) return place;
  place.setY(std::min(place.y(), room.bottom() + 1 - heightBelow - size.height()));
  return ClampInto(place, size, room);
}

QPoint BelowInside(const QRect& anchor, QSize size, const QRect& room) {
  const QPoint below(anchor.left(), anchor.bottom() + 1);
  if (room.isNull()) return below;
  return ClampInto(below, size, room);
}

}  // namespace window_placement
