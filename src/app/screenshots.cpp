// davrel3-screenshots OUTDIR: shows the main window as the program does, on
// whatever display Qt is given (the scripts run it under Xvfb), and saves a
// picture of each of its five tabs, then of the "Agent" and "Task" tabs after
// a run, into OUTDIR.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include "DV3Newcomer2009Par.h"

namespace {

// Runs the event loop for a while so the window system maps and paints.
void Settle(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

bool Save(QWidget& window, const QDir& dir, const QString& name) {
  // Let the window system map and paint the window before it is grabbed.
  Settle(150);
  const QString path = dir.filePath(name);
  if (!window.grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  if (argc != 2) {
    std::fprintf(stderr, "usage: davrel3-screenshots OUTDIR\n");
    return 2;
  }
  QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!dir.mkpath(".")) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }

  TParForm parForm;
  parForm.show();
  Settle(500);

  static const char* const kNames[] = {"agent", "task", "parameters", "newcomers", "about"};
  bool ok = true;
  for (int tab = 0; tab < parForm.PageControl1->count(); ++tab) {
    parForm.PageControl1->setCurrentIndex(tab);
    ok = Save(parForm, dir, QString("main-%1-%2.png").arg(tab + 1).arg(kNames[tab])) && ok;
  }

  // After a run the frames and the task grid show what happened.
  parForm.StartButtonClick();
  parForm.PageControl1->setCurrentIndex(0);
  ok = Save(parForm, dir, "main-after-run-agent.png") && ok;
  parForm.PageControl1->setCurrentIndex(1);
  ok = Save(parForm, dir, "main-after-run-task.png") && ok;
  return ok ? 0 : 1;
}
