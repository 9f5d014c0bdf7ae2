// The view of one of the chart window's charts: zooms into a rectangle drawn
// with the mouse (animated by the chart), and offers the way back to the full
// view by a double-click or the context menu's "Reset zoom". The owner of
// the chart decides what the full view is: it answers resetRequested().
// Actions added to the view (QWidget::addAction) follow "Reset zoom" in the
// context menu.
#pragma once

#include <QtCharts/QChartView>

class ChartView : public QChartView {
  Q_OBJECT

 public:
  explicit ChartView(QChart* chart, QWidget* parent = nullptr);

 signals:
  void resetRequested();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
};
