// The point markers of the chart window's line series.
//
// Qt Charts draws only round markers by itself, so every other shape is an
// image that the series shows at each point (its light marker). The image is
// drawn once per shape, colour and extent and then shared: a redraw of the
// charts never paints markers anew.
#pragma once

#include <QColor>
#include <QImage>

enum class MarkerShape {
  Circle,
  Cross,
  DiagonalCross,
  Diamond,
  DownTriangle,
  Rectangle,
  SmallDot,
  Star,
  UpTriangle,
};

// The shapes the skill series cycle through, in order.
inline constexpr MarkerShape kMarkerCycle[8] = {
    MarkerShape::Circle,       MarkerShape::Cross,     MarkerShape::DiagonalCross, MarkerShape::Diamond,
    MarkerShape::DownTriangle, MarkerShape::Rectangle, MarkerShape::SmallDot,      MarkerShape::Star,
};

// Marker extents are half-sizes: a marker of half-width w and half-height h
// covers 2w + 1 by 2h + 1 pixels around its point.
struct MarkerExtent {
  int halfWidth = 2;
  int halfHeight = 2;
};

// A square, transparent image with the shape centred in it, outlined (and,
// for closed shapes, filled) in `colour`. Its side is the larger of the two
// extents, so a series' marker size is MarkerImageSide(extent).
QImage MarkerImage(MarkerShape shape, const QColor& colour, MarkerExtent extent);
int MarkerImageSide(MarkerExtent extent);
