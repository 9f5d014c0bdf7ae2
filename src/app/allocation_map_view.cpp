#include "allocation_map_view.h"

#include <QHelpEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <array>

namespace {

constexpr int kMinCell = 1;
constexpr int kMaxCell = 32;

// Twelve colours that stay apart on white and from each other.
constexpr std::array<QRgb, 12> kAgentColours = {
    0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b,
    0xe377c2, 0x17becf, 0xbcbd22, 0x393b79, 0x7f7f7f, 0x000000,
};

}  // namespace

AllocationMapView::AllocationMapView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("AllocationMap"));
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(true);
  QPalette white = viewport()->palette();
  white.setColor(QPalette::Window, Qt::white);
  viewport()->setPalette(white);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setToolTip(tr("Each cell is a performed unit, coloured by its agent. Ctrl + wheel zooms."));
}

QColor AllocationMapView::AgentColour(int agent) {
  const int n = static_cast<int>(kAgentColours.size());
  return QColor(kAgentColours[static_cast<std::size_t>(((agent % n) + n) % n)]);
}

int AllocationMapView::AgentColourCount() { return static_cast<int>(kAgentColours.size()); }

void AllocationMapView::SetMap(labour_figures::AllocationMap map) {
  map_ = std::move(map);
  zoomed_ = false;
  FitRows();
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  UpdateScrollBars();
  viewport()->update();
}

void AllocationMapView::ZoomIn() {
  zoomed_ = true;
  SetCellSize(cell_ < 4 ? cell_ + 1 : cell_ * 3 / 2);
}

void AllocationMapView::ZoomOut() {
  zoomed_ = true;
  SetCellSize(cell_ <= 4 ? cell_ - 1 : cell_ * 2 / 3);
}

void AllocationMapView::FitRows() {
  if (zoomed_ || map_.Skills() <= 0) return;
  const int room = viewport()->height() - TopMargin() - horizontalScrollBar()->sizeHint().height();
  SetCellSize(std::clamp(room / map_.Skills(), 4, 20));
}

void AllocationMapView::SetCellSize(int cell) {
  cell = std::clamp(cell, kMinCell, kMaxCell);
  if (cell == cell_) return;
  // Keep the column at the left edge in place.
  const double firstColumn = static_cast<double>(horizontalScrollBar()->value()) / cell_;
  const double firstRow = static_cast<double>(verticalScrollBar()->value()) / cell_;
  cell_ = cell;
  UpdateScrollBars();
  horizontalScrollBar()->setValue(static_cast<int>(firstColumn * cell_));
  verticalScrollBar()->setValue(static_cast<int>(firstRow * cell_));
  viewport()->update();
}

int AllocationMapView::LeftMargin() const { return fontMetrics().horizontalAdvance(QStringLiteral("Skill 8888")) + 6; }

int AllocationMapView::TopMargin() const { return fontMetrics().height() + 4; }

void AllocationMapView::UpdateScrollBars() {
  const QSize room = viewport()->size();
  const qint64 width = map_.Columns() * cell_;
  const qint64 height = static_cast<qint64>(map_.Skills()) * cell_;
  const qint64 maxX = std::max<qint64>(0, width - (room.width() - LeftMargin()));
  const qint64 maxY = std::max<qint64>(0, height - (room.height() - TopMargin()));
  horizontalScrollBar()->setRange(0, static_cast<int>(std::min<qint64>(maxX, INT_MAX)));
  verticalScrollBar()->setRange(0, static_cast<int>(std::min<qint64>(maxY, INT_MAX)));
  horizontalScrollBar()->setPageStep(std::max(1, room.width() - LeftMargin()));
  verticalScrollBar()->setPageStep(std::max(1, room.height() - TopMargin()));
  horizontalScrollBar()->setSingleStep(std::max(1, cell_ * 4));
  verticalScrollBar()->setSingleStep(std::max(1, cell_));
}

QRect AllocationMapView::CellRect(std::int64_t column, int skill) const {
  const qint64 x = LeftMargin() + column * cell_ - horizontalScrollBar()->value();
  const qint64 y = TopMargin() + static_cast<qint64>(skill) * cell_ - verticalScrollBar()->value();
  return QRect(static_cast<int>(x), static_cast<int>(y), cell_, cell_);
}

QString AllocationMapView::CellTextAt(const QPoint& position) const {
  if (position.x() < LeftMargin() || position.y() < TopMargin()) return {};
  const qint64 column = (static_cast<qint64>(position.x()) - LeftMargin() + horizontalScrollBar()->value()) / cell_;
  const qint64 skill = (static_cast<qint64>(position.y()) - TopMargin() + verticalScrollBar()->value()) / cell_;
  if (column >= map_.Columns() || skill >= map_.Skills()) return {};
  const auto unit = map_.CellAt(column, static_cast<int>(skill));
  if (!unit) return {};
  return tr("Timestep %1, Agent %2 (task %3, cycle %4, skill %5)")
      .arg(unit->timestep + 1)
      .arg(unit->agent + 1)
      .arg(unit->task + 1)
      .arg(unit->cycle + 1)
      .arg(unit->skill + 1);
}

void AllocationMapView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QRect room = viewport()->rect();
  painter.fillRect(room, Qt::white);
  const int left = LeftMargin();
  const int top = TopMargin();
  if (map_.Columns() == 0 || map_.Skills() == 0) {
    painter.setPen(QColor(96, 96, 96));
    painter.drawText(room, Qt::AlignCenter, tr("No unit performed yet"));
    return;
  }
  const qint64 scrollX = horizontalScrollBar()->value();
  const qint64 scrollY = verticalScrollBar()->value();
  const qint64 firstColumn = scrollX / cell_;
  const qint64 endColumn = std::min<qint64>(map_.Columns(), (scrollX + room.width() - left) / cell_ + 2);
  const int firstSkill = static_cast<int>(scrollY / cell_);
  const int endSkill = static_cast<int>(std::min<qint64>(map_.Skills(), (scrollY + room.height() - top) / cell_ + 2));

  // The grid area: light grey where no unit was performed.
  painter.save();
  painter.setClipRect(QRect(left, top, room.width() - left, room.height() - top));
  const QRect area(CellRect(firstColumn, firstSkill).topLeft(),
                   CellRect(endColumn - 1, endSkill - 1).bottomRight());
  painter.fillRect(area, QColor(238, 238, 238));
  const int gap = cell_ >= 4 ? 1 : 0;
  map_.ForEachCell(firstColumn, endColumn, [&](std::int64_t column, const davrel3::PerformedUnit& unit) {
    if (unit.skill < firstSkill || unit.skill >= endSkill) return;
    painter.fillRect(CellRect(column, unit.skill).adjusted(0, 0, -gap, -gap), AgentColour(unit.agent));
  });
  // Task borders.
  painter.setPen(QPen(QColor(40, 40, 40), 1));
  const int cycles = std::max(1, map_.Cycles());
  for (qint64 k = firstColumn / cycles; k * cycles <= endColumn; ++k) {
    const int x = CellRect(k * cycles, 0).left() - (k > 0 ? 1 : 0);
    painter.drawLine(x, area.top(), x, area.bottom());
  }
  painter.restore();

  // Task numbers above, skill numbers on the left.
  painter.setPen(Qt::black);
  painter.save();
  painter.setClipRect(QRect(left, 0, room.width() - left, top));
  for (qint64 k = firstColumn / cycles; k * cycles < endColumn; ++k) {
    const QRect cell = CellRect(k * cycles, 0);
    painter.drawText(QRect(std::max(left, cell.left()) + 2, 0, 400, top), Qt::AlignLeft | Qt::AlignVCenter,
                     tr("Task %1").arg(k + 1));
  }
  painter.restore();
  const int textHeight = fontMetrics().height();
  const int every = std::max(1, (textHeight + cell_ - 1) / cell_);
  painter.save();
  painter.setClipRect(QRect(0, top, left, room.height() - top));
  for (int s = firstSkill; s < endSkill; ++s) {
    if (s % every != 0) continue;
    const QRect cell = CellRect(0, s);
    painter.drawText(QRect(0, cell.center().y() - textHeight / 2, left - 4, textHeight), Qt::AlignRight | Qt::AlignVCenter,
                     tr("Skill %1").arg(s + 1));
  }
  painter.restore();
}

void AllocationMapView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  FitRows();
  UpdateScrollBars();
}

void AllocationMapView::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    if (event->angleDelta().y() > 0) ZoomIn();
    if (event->angleDelta().y() < 0) ZoomOut();
    event->accept();
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}

bool AllocationMapView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = CellTextAt(help->pos());
    if (text.isEmpty()) {
      QToolTip::showText(help->globalPos(), toolTip(), viewport());
    } else {
      QToolTip::showText(help->globalPos(), text, viewport());
    }
    return true;
  }
  return QAbstractScrollArea::viewportEvent(event);
}
