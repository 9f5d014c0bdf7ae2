// The program: no arguments, no files. The main window is created first (its
// creation commits the start-up configuration), then the chart window; the
// event loop runs until the main window is closed.
#include <QApplication>

#include "program_windows.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  // Closing the main window ends the program, also while the chart window is
  // still open.
  QApplication::setQuitOnLastWindowClosed(false);

  ProgramWindows windows;
  QObject::connect(&windows.parForm, &TParForm::Closed, &app, &QApplication::quit);
  windows.parForm.show();
  return app.exec();
}
