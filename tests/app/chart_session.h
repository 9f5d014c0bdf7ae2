// One program's worth of state for the chart window's tests: a workbench after
// its start-up, and the chart window created after it.
#pragma once

#include "DV3Newcomer2009Chart.h"
#include "model/parameter_panel.h"
#include "presets/workbench.h"

struct ChartSession {
  davrel3::InMemoryPanel panel;
  davrel3::Workbench bench{panel};
  TChartForm chart{bench};

  ChartSession() {
    bench.FormCreate();
    chart.FormCreate();
  }

  davrel3::RunOutcome Start() {
    return bench.StartButtonClick([this] { chart.Draw(); });
  }
  const davrel3::RunHistory& History() const { return bench.State().History; }
};

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>

// The window tests run on the offscreen platform, which has no 3-D view. When
// an X display is at hand (xvfb-run), a 3-D test runs again there, as one
// test function of a second run of this program.
struct DisplayRun {
  enum Outcome { AlreadyOnDisplay, NoDisplay, Finished, TimedOut } outcome = NoDisplay;
  bool exitedCleanly = false;
  bool passed = false;  // the function passed (false also when it skipped for want of OpenGL)
  QString output;
};

inline DisplayRun RerunOnXDisplay(const QString& testClass, const QString& function) {
  DisplayRun run;
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    run.outcome = DisplayRun::AlreadyOnDisplay;
    return run;
  }
  if (qEnvironmentVariableIsEmpty("DISPLAY")) return run;
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "xcb");
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(), {function});
  if (!child.waitForFinished(90000)) {
    run.outcome = DisplayRun::TimedOut;
    return run;
  }
  run.outcome = DisplayRun::Finished;
  run.output = QString::fromLocal8Bit(child.readAll());
  run.exitedCleanly = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
  run.passed = run.output.contains("PASS   : " + testClass + "::" + function + "()");
  return run;
}
