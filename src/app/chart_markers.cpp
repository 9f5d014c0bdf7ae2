#include "chart_markers.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

struct MarkerKey {
  MarkerShape shape;
  QRgb colour;
  int halfWidth;
  int halfHeight;
  bool operator==(const MarkerKey& other) const {
    return std::tie(shape, colour, halfWidth, halfHeight) ==
           std::tie(other.shape, other.colour, other.halfWidth, other.halfHeight);
  }
};

size_t qHash(const MarkerKey& key, size_t seed = 0) {
  return qHashMulti(seed, static_cast<int>(key.shape), key.colour, key.halfWidth, key.halfHeight);
}

// Markers are painted at this multiple of their nominal size so that they
// stay crisp on high-density screens and in exported images; Qt Charts scales
// the image down to the series' marker size.
constexpr int kOversample = 4;

void PaintShape(QPainter& painter, MarkerShape shape, const QRectF& box) {
  const QPointF c = box.center();
  const qreal w = box.width() / 2;
  const qreal h = box.height() / 2;
  switch (shape) {
    case MarkerShape::Circle:
      painter.drawEllipse(box);
      break;
    case MarkerShape::Cross:
      painter.drawLine(QPointF(c.x() - w, c.y()), QPointF(c.x() + w, c.y()));
      painter.drawLine(QPointF(c.x(), c.y() - h), QPointF(c.x(), c.y() + h));
      break;
    case MarkerShape::DiagonalCross:
      painter.drawLine(box.topLeft(), box.bottomRight());
      painter.drawLine(box.bottomLeft(), box.topRight());
      break;
    case MarkerShape::Diamond:
      painter.drawPolygon(QPolygonF({QPointF(c.x(), c.y() - h), QPointF(c.x() + w, c.y()), QPointF(c.x(), c.y() + h),
                                     QPointF(c.x() - w, c.y())}));
      break;
    case MarkerShape::DownTriangle:
      painter.drawPolygon(QPolygonF({box.topLeft(), box.topRight(), QPointF(c.x(), box.bottom())}));
      break;
    case MarkerShape::UpTriangle:
      painter.drawPolygon(QPolygonF({box.bottomLeft(), box.bottomRight(), QPointF(c.x(), box.top())}));
      break;
    case MarkerShape::Rectangle:
      painter.drawRect(box);
      break;
    case MarkerShape::SmallDot:
      painter.drawEllipse(c, w / 2, h / 2);
      break;
    case MarkerShape::Star:
      // The cross and the diagonal cross on top of each other.
      painter.drawLine(QPointF(c.x() - w, c.y()), QPointF(c.x() + w, c.y()));
      painter.drawLine(QPointF(c.x(), c.y() - h), QPointF(c.x(), c.y() + h));
      painter.drawLine(QPointF(c.x() - w * 0.75, c.y() - h * 0.75), QPointF(c.x() + w * 0.75, c.y() + h * 0.75));
      painter.drawLine(QPointF(c.x() - w * 0.75, c.y() + h * 0.75), QPointF(c.x() + w * 0.75, c.y() - h * 0.75));
      break;
  }
}

QImage PaintMarker(MarkerShape shape, const QColor& colour, MarkerExtent extent) {
  const int side = MarkerImageSide(extent) * kOversample;
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal pen = kOversample;
  painter.setPen(QPen(colour, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(colour);
  const qreal width = (2 * extent.halfWidth + 1) * kOversample - pen;
  const qreal height = (2 * extent.halfHeight + 1) * kOversample - pen;
  const QRectF box((side - width) / 2, (side - height) / 2, width, height);
  PaintShape(painter, shape, box);
  return image;
}

}  // namespace

int MarkerImageSide(MarkerExtent extent) {
  return 2 * std::max(extent.halfWidth, extent.halfHeight) + 1;
}

QImage MarkerImage(MarkerShape shape, const QColor& colour, MarkerExtent extent) {
  static QHash<MarkerKey, QImage> cache;
  const MarkerKey key{shape, colour.rgba(), extent.halfWidth, extent.halfHeight};
  auto found = cache.constFind(key);
  if (found != cache.constEnd()) return *found;
  QImage image = PaintMarker(shape, colour, extent);
  cache.insert(key, image);
  return image;
}
