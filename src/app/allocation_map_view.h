// The allocation map of the "Division of labour" page: every performed unit
// a cell coloured by the agent who performed it, cycles across, skill rows
// down, one block per task with its number above. Only the visible cells are
// painted, so a run of millions of units scrolls like a short one; the cell
// size zooms (Ctrl + wheel, or ZoomIn / ZoomOut); until the user zooms, the
// cells are as large as lets every skill row fit the view's height (between
// 4 and 20 pixels). Hovering over a cell shows
// its timestep and agent.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>

#include "labour_figures.h"

class AllocationMapView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit AllocationMapView(QWidget* parent = nullptr);

  // Replaces the map; the scroll position goes back to the start.
  void SetMap(labour_figures::AllocationMap map);
  const labour_figures::AllocationMap& Map() const { return map_; }

  // The colour of agent a (from 0); the colours repeat after AgentColourCount().
  static QColor AgentColour(int agent);
  static int AgentColourCount();

  int CellSize() const { return cell_; }
  void ZoomIn();
  void ZoomOut();

  // What hovering at `position` (viewport coordinates) shows: "" outside a cell.
  QString CellTextAt(const QPoint& position) const;
  // The viewport rectangle of a cell, for tests and the hover text.
  QRect CellRect(std::int64_t column, int skill) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void SetCellSize(int cell);
  void FitRows();
  void UpdateScrollBars();
  int LeftMargin() const;
  int TopMargin() const;

  labour_figures::AllocationMap map_;
  int cell_ = 8;
  bool zoomed_ = false;
};
