// The program: no arguments, no files. The main window is created first (its
// creation commits the start-up configuration), then the chart window; the
// event loop runs until the main window is closed.
#include <QApplication>

#include "DV3Newcomer2009Chart.h"
#include "DV3Newcomer2009Par.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  // Closing the main window ends the program, also while the chart window is
  // still open.
  QApplication::setQuitOnLastWindowClosed(false);

  TParForm parForm;
  QObject::connect(&parForm, &TParForm::Closed, &app, &QApplication::quit);

  // --- chart window: created here, after the main window's start-up commit.
  TChartForm chart(parForm.Bench());
  chart.FormCreate();
  parForm.SetAfterRunDraw([&] {
    chart.Draw();
    chart.ShowBeside(&parForm);
  });

  parForm.show();
  return app.exec();
}
