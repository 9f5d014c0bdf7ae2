// TTaskFrame: the task allocation frame. Shows the current task as a grid of
// task units, one column per cycle and one row per action, each cell "N", "Y"
// or the timestep/agent text of the unit once performed.
//
// The cell texts are the workbench's own task grid (ModelState::TaskGrid),
// which the model lays out at every commit and task start and writes as units
// are performed; the frame only displays it. Whoever changes that grid tells
// the frame: GridRebuilt after a layout, CellWritten after a single cell.
#pragma once

#include <QFrame>

#include "model/text_grid.h"
#include "string_grid.h"

class QLabel;

class TTaskFrame : public QFrame {
  Q_OBJECT

 public:
  static constexpr int kColumnWidth = 30;
  static constexpr int kRowHeight = 20;

  explicit TTaskFrame(QWidget* parent = nullptr);

  // The grid shown; it must outlive the frame.
  void SetGrid(davrel3::TextGrid* grid);
  void GridRebuilt();
  void CellWritten(long long column, long long row);

  StringGridView* TaskGrid1;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;

 private:
  TextGridModel* model_;
};
