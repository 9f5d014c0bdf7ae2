#include "chart_ranges.h"

#include <algorithm>
#include <cmath>

namespace chart_ranges {

Extent ExtentOf(const QList<QList<QPointF>>& shownSeries) {
  Extent extent;
  for (const QList<QPointF>& points : shownSeries) {
    for (const QPointF& p : points) {
      extent.lastRow = std::max(extent.lastRow, p.x());
      extent.low = extent.any ? std::min(extent.low, p.y()) : p.y();
      extent.high = extent.any ? std::max(extent.high, p.y()) : p.y();
      extent.any = true;
    }
  }
  return extent;
}

double NiceInterval(double span) {
  if (!(span > 0)) return 1;
  const double raw = span / 8;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 2.5, 5.0}) {
    if (raw <= factor * magnitude) return std::max(1.0, factor * magnitude);
  }
  return 10 * magnitude;
}

Range RoundsRange(const Extent& extent, int historyLength) {
  const double last = extent.any ? extent.lastRow : std::max(historyLength, 2);
  return Range{1, std::max(last, 2.0)};
}

Range SkillValueRange(const Extent& extent, double committedMaximum) {
  double top = std::max(25.0, committedMaximum);
  if (extent.any) top = std::max(top, extent.high);
  return Range{0, top};
}

double SkillTickInterval(double top) {
  if (!(top > 0)) return 1;
  const double raw = top / 5;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 2.5, 5.0}) {
    if (raw <= factor * magnitude) return std::max(1.0, factor * magnitude);
  }
  return 10 * magnitude;
}

Range AutomaticRange(const Extent& extent) {
  if (!extent.any || extent.high <= extent.low) {
    const double level = extent.any ? extent.low : 0;
    return Range{level - 1, level + 1};
  }
  return Range{extent.low, extent.high};
}

}  // namespace chart_ranges
