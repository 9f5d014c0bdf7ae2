// The program: no arguments. The main window is created first (its creation
// commits the start-up configuration), then the chart window; the event loop
// runs until the main window is closed. The main window's geometry is kept
// between launches (QSettings, "Davrel3/Davrel3"); nothing else is saved.
#include <QApplication>
#include <QIcon>

#include "experiment/vector_state.h"
#include "program_windows.h"
#include "window_settings.h"

int main(int argc, char* argv[]) {
  // Qt's QML library, loaded for the 3-D charts, leaves the upper vector
  // halves marked in use as it starts; cleared, the window's code and the
  // runs pay no state change at each call into the C library's AVX code.
  davrel3::ClearUpperVectorState();
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  window_settings::UseProgramNames();
  // The desktop entry's name, so that a desktop shell shows this window under
  // the entry's name and icon.
  QGuiApplication::setDesktopFileName("org.davrel3.Davrel3");
  QApplication::setWindowIcon(QIcon(":/icons/davrel3.svg"));
  // Closing the main window ends the program, also while the chart window is
  // still open.
  QApplication::setQuitOnLastWindowClosed(false);

  ProgramWindows windows;
  QObject::connect(&windows.parForm, &TParForm::Closed, &app, [&windows] {
    windows.parForm.SaveSettings();
    QApplication::quit();
  });
  windows.parForm.RestoreSettings();
  windows.parForm.show();
  return app.exec();
}
