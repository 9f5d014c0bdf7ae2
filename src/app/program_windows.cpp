#include "program_windows.h"

#include <QApplication>

#include "program_message.h"

ProgramWindows::ProgramWindows() : chart(parForm.Bench()) {
  // Both windows and every box carry the program's icon.
  QApplication::setWindowIcon(program_message::Icon());
  chart.FormCreate();
  // While a run waits at a step-through box, the chart window takes no input.
  QObject::connect(&parForm, &TParForm::RunBusy, &chart, [this](bool busy) { chart.setEnabled(!busy); });
  QObject::connect(&parForm, &TParForm::RunEnded, &chart, &TChartForm::SetRunSummary);
  parForm.SetAfterRunDraw([this] {
    chart.Draw();
    chart.ShowBeside(&parForm);
  });
}
