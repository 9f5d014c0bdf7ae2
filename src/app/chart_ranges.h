// The axis ranges of the chart window's charts, from what the shown series
// hold. Pure functions: no widget.
#pragma once

#include <QList>
#include <QPointF>

namespace chart_ranges {

struct Range {
  double minimum = 0;
  double maximum = 0;
  friend bool operator==(const Range&, const Range&) = default;
};

// What the shown series of a chart hold: the last row with a point and the
// lowest and highest value; `any` is false when no shown series has a point.
struct Extent {
  bool any = false;
  double lastRow = 0;
  double low = 0;
  double high = 0;
};
Extent ExtentOf(const QList<QList<QPointF>>& shownSeries);

// A round tick interval giving about eight ticks over `span`, never below 1.
double NiceInterval(double span);

// The "Rounds" axis: from 1 to the last row with a point, or to the history's
// length while there is none; never shorter than 1 .. 2.
Range RoundsRange(const Extent& extent, int historyLength);

// The expertise and motivation axis: from 0 to the largest of 25, the
// committed maximum and the largest plotted value, so no point lies above it.
Range SkillValueRange(const Extent& extent, double committedMaximum);
// Ticks from 0 to `top`, about five of them, at a round interval (5 for 25).
double SkillTickInterval(double top);

// The performance axis follows the data; a flat line (or none) sits in the
// middle of a range 2 high.
Range AutomaticRange(const Extent& extent);

}  // namespace chart_ranges
