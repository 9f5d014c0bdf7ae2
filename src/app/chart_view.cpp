#include "chart_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

ChartView::ChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::RectangleRubberBand);
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    emit resetRequested();
    event->accept();
    return;
  }
  QChartView::mouseDoubleClickEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
  // The rubber band would take a right-button release as "zoom out one step";
  // the right button belongs to the context menu here.
  if (event->button() == Qt::RightButton) {
    QGraphicsView::mouseReleaseEvent(event);
    return;
  }
  QChartView::mouseReleaseEvent(event);
}

void ChartView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(tr("Reset zoom"), this, &ChartView::resetRequested);
  // Entries others add to the view (data_export's "Save image...") follow.
  if (!actions().isEmpty()) {
    menu.addSeparator();
    menu.addActions(actions());
  }
  menu.exec(event->globalPos());
}
