// The chart window's "Allocation" page: the allocation grid (one column per
// cycle of every task, one row per skill; the run writes which agent
// performed each unit at which timestep) with its axis labels.
#pragma once

#include <QWidget>

#include "model/text_grid.h"

class StringGridView;

class AllocationPage : public QWidget {
  Q_OBJECT

 public:
  // Shows `grid` (the workbench's allocation grid) as it stands.
  explicit AllocationPage(davrel3::TextGrid& grid, QWidget* parent = nullptr);

  StringGridView* AllocationGrid() const { return grid_; }
  // After a draw or a run: the counts and texts changed.
  void Refresh();

 private:
  StringGridView* grid_ = nullptr;
};
