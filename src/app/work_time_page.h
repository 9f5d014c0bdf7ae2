// The chart window's "PerformanceTime" page: the work-time table (agents by
// tasks, with the measures "Slow", "Sum", "MeanNoFit" and "MeanFit") and the
// legend of the four measures beside it. The table shows the view of
// work_time_view, rebuilt from the model's grid by Refresh.
#pragma once

#include <QWidget>

#include "model/text_grid.h"

class StringGridView;

class WorkTimePage : public QWidget {
  Q_OBJECT

 public:
  // Shows `model` (the workbench's work-time grid) through its view.
  explicit WorkTimePage(const davrel3::TextGrid& model, QWidget* parent = nullptr);

  StringGridView* WorkTimeGrid() const { return grid_; }
  // The texts the table shows now.
  const davrel3::TextGrid& Shown() const { return shown_; }
  // After a draw: the view rebuilt from the model's grid.
  void Refresh();

 private:
  const davrel3::TextGrid& model_;
  davrel3::TextGrid shown_;
  StringGridView* grid_ = nullptr;
};
