// davrel3-screenshots OUTDIR: shows the main window as the program does, on
// whatever display Qt is given (the scripts run it under Xvfb), and saves a
// picture of each of its five tabs, then of the "Agent" and "Task" tabs after
// a run, the chart window's pages, and the "Design results" window with its
// chart after "Run design", into OUTDIR.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "DV3Newcomer2009Chart.h"
#include "DV3Newcomer2009Par.h"
#include "about_tab.h"
#include "agent_tab.h"
#include "design_control.h"
#include "file_commands.h"
#include "indicator_strip.h"
#include "main_menu_bar.h"
#include "newcomers_tab.h"
#include "parameters_tab.h"
#include "program_windows.h"
#include "design_results.h"
#include "design_runner.h"
#include "skill_levels_editor.h"
#include "widget_panel.h"

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

  ProgramWindows windows;
  TParForm& parForm = windows.parForm;
  TChartForm& chart = windows.chart;
  parForm.show();
  Settle(500);

  static const char* const kNames[] = {"agent", "task", "parameters", "newcomers", "about"};
  bool ok = true;
  for (int tab = 0; tab < parForm.PageControl1()->count(); ++tab) {
    parForm.PageControl1()->setCurrentIndex(tab);
    ok = Save(parForm, dir, QString("main-%1-%2.png").arg(tab + 1).arg(kNames[tab])) && ok;
  }

  // After a run the frames and the task grid show what happened.
  parForm.StartButtonClick();
  parForm.PageControl1()->setCurrentIndex(0);
  ok = Save(parForm, dir, "main-after-run-agent.png") && ok;
  parForm.PageControl1()->setCurrentIndex(1);
  ok = Save(parForm, dir, "main-after-run-task.png") && ok;

  // The chart window after the start-up run, first as it opens, then larger
  // so that each page shows whole.
  ok = Save(chart, dir, "chart-as-opened.png") && ok;
  chart.resize(1260, 640);
  static const char* const kChartPages[] = {"expertise", "motivation", "performance", "performancetime",
                                            "allocation"};
  for (int page = 0; page < chart.PageControl1()->count(); ++page) {
    chart.PageControl1()->setCurrentIndex(page);
    // The charts animate into place; wait until they have settled.
    Settle(600);
    ok = Save(chart, dir, QString("chart-%1-%2.png").arg(page + 1).arg(kChartPages[page])) && ok;
  }
  // The 3-D views are OpenGL windows inside the chart window: only the
  // screen holds their picture.
  chart.ThreeDCheckBox()->click();
  if (chart.ShowsThreeD(TChartForm::Expertise)) {
    for (int page = 0; page < 3; ++page) {
      chart.PageControl1()->setCurrentIndex(page);
      Settle(1500);
      const QString path = dir.filePath(QString("chart-3d-%1-%2.png").arg(page + 1).arg(kChartPages[page]));
      const QPixmap shot = chart.screen()->grabWindow(chart.winId());
      if (shot.isNull() || !shot.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ok = false;
      } else {
        std::printf("%s\n", qPrintable(path));
      }
    }
  } else {
    std::fprintf(stderr, "no 3-D view on this display: %s\n", qPrintable(chart.ThreeDCheckBox()->toolTip()));
  }

  // The design run from the "Newcomers" tab: the results window as it opens,
  // then its chart alone as "Save image..." writes it.
  chart.ThreeDCheckBox()->setChecked(false);
  parForm.PageControl1()->setCurrentIndex(3);
  parForm.ProcesTabSheet()->RunDesignButton()->click();
  QElapsedTimer waited;
  waited.start();
  while ((parForm.Design().Runner()->IsRunning() || !parForm.Design().DesignResults()) && waited.elapsed() < 120000) Settle(50);
  if (DesignResultsWindow* results = parForm.Design().DesignResults()) {
    Settle(500);
    ok = Save(*results, dir, "design-results.png") && ok;
    QString error;
    const QString path = dir.filePath("design-chart.png");
    if (results->SaveImage(path, &error)) {
      std::printf("%s\n", qPrintable(path));
    } else {
      std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(error));
      ok = false;
    }
  } else {
    std::fprintf(stderr, "the design run did not finish\n");
    ok = false;
  }

  // The skill levels editor for a group of ten agents: agents 7 to 10 filled
  // with the rotation pattern, agent 3 edited by hand.
  {
    ProgramWindows levels;
    TParForm& form = levels.parForm;
    form.Panel().Edit(davrel3::Field::NrofAg)->setText("10");
    form.OKButtonClick();
    SkillLevelsEditor editor(form.Bench(), &form);
    editor.show();
    QAbstractItemModel* model = editor.View()->model();
    editor.View()->selectionModel()->select(QItemSelection(model->index(6, 0), model->index(9, 9)),
                                            QItemSelectionModel::ClearAndSelect);
    editor.FillRotation();
    editor.View()->clearSelection();
    model->setData(model->index(2, 3), "12.5");
    ok = Save(editor, dir, "levels-editor.png") && ok;
  }
  return ok ? 0 : 1;
}
