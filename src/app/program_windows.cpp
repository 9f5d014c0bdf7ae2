#include "program_windows.h"

#include <QApplication>
#include <QScreen>

#include "program_message.h"
#include "window_placement.h"

ProgramWindows::ProgramWindows() : chart(parForm.Bench()) {
  // Both windows and every box carry the program's icon.
  QApplication::setWindowIcon(program_message::Icon());
  chart.FormCreate();
  // The chart window opens below the main window when the screen is not wide
  // enough for it beside. On a screen too short for both at the layout's
  // places (1366 x 768), the main window opens higher up, so that the chart
  // window keeps its whole height below it.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize mainSize = parForm.size().expandedTo(parForm.minimumSizeHint());
    parForm.move(window_placement::LeavingRoomBelow(parForm.pos(), mainSize, TChartForm::OpeningSize().height(),
                                                    screen->availableGeometry()));
  }
  // While a run waits at a step-through box, the chart window takes no input.
  QObject::connect(&parForm, &TParForm::RunBusy, &chart, [this](bool busy) { chart.setEnabled(!busy); });
  QObject::connect(&parForm, &TParForm::RunEnded, &chart, &TChartForm::SetRunSummary);
  parForm.SetAfterRunDraw([this] {
    chart.Draw();
    chart.ShowBeside(&parForm);
  });
}
