// The main window's answer to a run: the step-through check boxes are read
// from the window, the messages become modal boxes (the event loop repaints
// the window while one is open), the display edits are written, and every
// cell the model writes into the task grid is passed on to the task frame's
// view so it repaints with the box.
#pragma once

#include "model/run_observer.h"

class TParForm;

class WindowObserver : public davrel3::RunObserver {
 public:
  explicit WindowObserver(TParForm& form) : form_(form) {}

  bool IsIndicated(davrel3::Indicator indicator) const override;
  void ShowMessage(const std::string& text) override;
  void WriteDisplayEdit(davrel3::DisplayEdit edit, const std::string& text) override;
  void TaskGridRebuilt() override;
  void TaskGridCellWritten(long long column, long long row, const std::string& text) override;
  void ShowStatesAgents() override;
  void MakeGrids() override;
  bool CancelRequested() override;

 private:
  TParForm& form_;
};
