#include "window_observer.h"

#include <QCheckBox>
#include <QLineEdit>

#include "DV3Newcomer2009Par.h"
#include "DV3Newcomer2009Task.h"
#include "indicator_strip.h"
#include "run_progress.h"

using davrel3::DisplayEdit;
using davrel3::Indicator;

bool WindowObserver::IsIndicated(Indicator indicator) const {
  switch (indicator) {
    case Indicator::NewTask:
      return form_.Indicators()->TaskCheckBox()->isChecked();
    case Indicator::NewTimestep:
      return form_.Indicators()->CycleCheckBox()->isChecked();
    case Indicator::Allocation:
      return form_.Indicators()->AllCheckBox()->isChecked();
    case Indicator::Performance:
      return form_.Indicators()->PerfCheckBox()->isChecked();
    case Indicator::Influence:
      return form_.Indicators()->InflCheckBox()->isChecked();
    case Indicator::AgVariation:
      return form_.Indicators()->AgVariationCheckBox()->isChecked();
  }
  return false;
}

void WindowObserver::ShowMessage(const std::string& text) { form_.ShowStepMessage(QString::fromStdString(text)); }

bool WindowObserver::CancelRequested() { return form_.RunShouldStop(); }

void WindowObserver::WriteDisplayEdit(DisplayEdit edit, const std::string& text) {
  QLineEdit* target = edit == DisplayEdit::Edit2   ? form_.Indicators()->Edit2()
                      : edit == DisplayEdit::Edit3 ? form_.Indicators()->Edit3()
                                                   : form_.Indicators()->CountEdit();
  target->setText(QString::fromStdString(text));
}

void WindowObserver::TaskGridRebuilt() {
  form_.TaskFrame()->GridRebuilt();
  // Inside a run the grid is laid out afresh at the start of every task.
  form_.Progress().TaskStarted();
}

void WindowObserver::TaskGridCellWritten(long long column, long long row, const std::string& /*text*/) {
  // The text is already in the workbench's task grid, which the view shows.
  form_.TaskFrame()->CellWritten(column, row);
}

void WindowObserver::ShowStatesAgents() { form_.ShowStatesAgents(); }

void WindowObserver::MakeGrids() { form_.MakeGrids(); }
