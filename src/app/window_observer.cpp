#include "window_observer.h"

#include <QCheckBox>
#include <QLineEdit>

#include "DV3Newcomer2009Par.h"
#include "DV3Newcomer2009Task.h"

using davrel3::DisplayEdit;
using davrel3::Indicator;

bool WindowObserver::IsIndicated(Indicator indicator) const {
  switch (indicator) {
    case Indicator::NewTask:
      return form_.TaskCheckBox->isChecked();
    case Indicator::NewTimestep:
      return form_.CycleCheckBox->isChecked();
    case Indicator::Allocation:
      return form_.AllCheckBox->isChecked();
    case Indicator::Performance:
      return form_.PerfCheckBox->isChecked();
    case Indicator::Influence:
      return form_.InflCheckBox->isChecked();
    case Indicator::AgVariation:
      return form_.AgVariationCheckBox->isChecked();
  }
  return false;
}

void WindowObserver::ShowMessage(const std::string& text) { form_.ShowMessage(QString::fromStdString(text)); }

void WindowObserver::WriteDisplayEdit(DisplayEdit edit, const std::string& text) {
  QLineEdit* target = edit == DisplayEdit::Edit2   ? form_.Edit2
                      : edit == DisplayEdit::Edit3 ? form_.Edit3
                                                   : form_.CountEdit;
  target->setText(QString::fromStdString(text));
}

void WindowObserver::TaskGridRebuilt() { form_.TaskFrame->GridRebuilt(); }

void WindowObserver::TaskGridCellWritten(long long column, long long row, const std::string& /*text*/) {
  // The text is already in the workbench's task grid, which the view shows.
  form_.TaskFrame->CellWritten(column, row);
}

void WindowObserver::ShowStatesAgents() { form_.ShowStatesAgents(); }

void WindowObserver::MakeGrids() { form_.MakeGrids(); }
