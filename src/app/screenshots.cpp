// davrel3-screenshots OUTDIR: shows the main window as the program does, on
// whatever display Qt is given (the scripts run it under Xvfb), and saves a
// picture of each of its five tabs, then of the "Agent" and "Task" tabs after
// a run, the whole screen with the chart window as it opens beside (or below)
// the main window, the chart window's pages and their 3-D views with their
// legends, the whole screen with a 3-D view, that view saved with its legend,
// the "Design results" window with its charts after "Run design", and the
// "Division of labour" page after a Fit run with a generalist newcomer, into
// OUTDIR. Then the skill levels editor and the main window's own pictures: an
// agent frame with all its columns, a hundred skills scrolled to the last, the
// status line after a "Fit" run, a step-through box with its two buttons, the
// progress dialog of a long run, Help > About and the window maximised.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTemporaryDir>
#include <QPixmap>
#include <QTabWidget>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <functional>

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QMessageBox>
#include <QProgressDialog>
#include <iterator>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QScreen>
#include <QWindow>

#include "DV3Newcomer2009Chart.h"
#include "DV3Newcomer2009Par.h"
#include "about_tab.h"
#include "agent_tab.h"
#include "chart_view.h"
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
#include "window_settings.h"
#include "DV3Newcomer2009Agent.h"
#include "radio_group.h"
#include "run_progress.h"
#include "string_grid.h"
#include "up_down.h"
#include "labour_page.h"
#include "experiment/session.h"

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

// The whole screen, for windows whose place matters.
bool SaveScreen(const QDir& dir, const QString& name) {
  Settle(150);
  const QString path = dir.filePath(name);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || !screen->grabWindow(0).save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

// Runs `act` on the first top-level widget of type T named `name` once it is
// shown, checking every 50 ms while the caller's own loop runs.
template <typename T>
void WhenShown(const QString& name, std::function<void(T*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(50);
  QObject::connect(timer, &QTimer::timeout, [timer, name, act] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* wanted = qobject_cast<T*>(widget);
      if (wanted && wanted->isVisible() && wanted->objectName() == name) {
        timer->stop();
        timer->deleteLater();
        act(wanted);
        return;
      }
    }
  });
  timer->start();
}

// The main window's own pictures, after the others.
bool MainWindowPictures(TParForm& parForm, const QDir& dir) {
  bool ok = true;
  using davrel3::Field;
  // A frame with every column, after the start-up run.
  parForm.PageControl1()->setCurrentWidget(parForm.AgentTabSheet());
  ok = Save(*parForm.Frame(0), dir, "agent-frame.png") && ok;

  // A "Fit" run: the status line says what was committed and what ran.
  parForm.ProcesTabSheet()->FitNoFitRadioGroup()->SetItemIndex(1);
  ok = Save(parForm, dir, "main-status-items-differ.png") && ok;
  parForm.DefineButtonClick();
  parForm.StartButtonClick();
  ok = Save(parForm, dir, "main-status-fit-run.png") && ok;

  // A step-through box: its picture and the screen around it, then "Stop
  // indicating" lets the run go on.
  parForm.OKButtonClick();
  parForm.PageControl1()->setCurrentWidget(parForm.AgentTabSheet());
  parForm.Indicators()->CycleCheckBox()->setChecked(true);
  WhenShown<QMessageBox>("StepBox", [&](QMessageBox* box) {
    Settle(300);
    ok = Save(*box, dir, "step-box.png") && ok;
    ok = SaveScreen(dir, "step-box-screen.png") && ok;
    if (QAbstractButton* stop = box->findChild<QAbstractButton*>("StopIndicatingButton")) stop->click();
  });
  parForm.StartButtonClick();

  // A long run: the progress dialog with Cancel. The message that says so
  // is printed instead of waiting in a box.
  parForm.SetMessageFunction([](const QString& text) { std::printf("message: %s\n", qPrintable(text)); });
  parForm.Panel().Write(Field::Cycle, 100000);
  parForm.OKButtonClick();
  auto* poll = new QTimer;
  poll->setInterval(50);
  QObject::connect(poll, &QTimer::timeout, [&, poll] {
    QProgressDialog* dialog = parForm.Progress().Dialog();
    if (!dialog || !dialog->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    Settle(300);
    ok = Save(*dialog, dir, "progress-dialog.png") && ok;
    ok = SaveScreen(dir, "progress-dialog-screen.png") && ok;
    dialog->cancel();
  });
  poll->start();
  parForm.StartButtonClick();
  ok = Save(parForm, dir, "main-status-cancelled.png") && ok;

  // A hundred skills: the frames scroll to the last one.
  parForm.Panel().Write(Field::Cycle, 200);
  parForm.Panel().Write(Field::NrofSkills, 100);
  parForm.OKButtonClick();
  parForm.PageControl1()->setCurrentWidget(parForm.AgentTabSheet());
  for (int k = 0; k < 6; ++k) {
    StringGridView* grid = parForm.Frame(k)->AgentGrid;
    grid->scrollTo(grid->model()->index(99, 0));
  }
  ok = Save(parForm, dir, "main-agents-100-skills.png") && ok;
  parForm.AgentTabSheet()->ScrollToFrame(5);
  ok = Save(parForm, dir, "main-agents-100-skills-right.png") && ok;

  parForm.SetMessageFunction(nullptr);

  // Help > About.
  WhenShown<QMessageBox>("AboutBox", [&](QMessageBox* box) {
    Settle(300);
    ok = Save(*box, dir, "about.png") && ok;
    box->accept();
  });
  parForm.ShowAbout();

  // Maximised: the tabs take the room, the strip keeps its arrangement. A
  // display without a window manager does not maximise, so the window is
  // also given the screen's available area, as a maximised window has.
  const QRect normal = parForm.geometry();
  parForm.showMaximized();
  if (const QScreen* screen = parForm.screen()) parForm.setGeometry(screen->availableGeometry());
  Settle(800);
  static const char* const kTabs[] = {"agent", "task", "parameters", "newcomers", "about"};
  for (int tab = 0; tab < parForm.PageControl1()->count(); ++tab) {
    parForm.PageControl1()->setCurrentIndex(tab);
    const QString name = tab == 3 ? QString("main-maximized.png") : QString("main-maximized-%1.png").arg(kTabs[tab]);
    ok = Save(parForm, dir, name) && ok;
  }
  parForm.showNormal();
  parForm.setGeometry(normal);
  return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  if (argc != 2) {
    std::fprintf(stderr, "usage: davrel3-screenshots OUTDIR\n");
    return 2;
  }
  // The program's names, with its settings in a folder of this run's own:
  // the pictures never read nor change what the program remembers for its
  // user, and always show the windows at their layout's size.
  QTemporaryDir settingsFolder(QDir::temp().filePath(QStringLiteral("davrel3-screenshots-settings-XXXXXX")));
  QString elsewhere;
  if (!settingsFolder.isValid()) {
    std::fprintf(stderr, "cannot make a folder for the settings of the screenshots\n");
    return 1;
  }
  if (!window_settings::UseProgramNamesIn(settingsFolder.path(), &elsewhere)) {
    std::fprintf(stderr, "the settings of the screenshots would go to %s\n", qPrintable(elsewhere));
    return 1;
  }
  QApplication::setWindowIcon(QIcon(":/icons/davrel3.svg"));
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

  // The chart window after the start-up run, as it opens beside (or below)
  // the main window: the whole screen, then each page at the size it opened.
  Settle(600);
  QScreen* screen = parForm.screen();
  const QString desktopName =
      QString("desktop-%1x%2-after-run.png").arg(screen->geometry().width()).arg(screen->geometry().height());
  const QString desktopPath = dir.filePath(desktopName);
  if (!screen->grabWindow(0).save(desktopPath)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(desktopPath));
    ok = false;
  } else {
    std::printf("%s\n", qPrintable(desktopPath));
  }
  ok = Save(chart, dir, "chart-as-opened.png") && ok;
  static const char* const kChartPages[] = {"expertise", "motivation", "performance", "performancetime",
                                            "allocation", "labour"};
  constexpr int kNamedPages = static_cast<int>(std::size(kChartPages));
  for (int page = 0; page < chart.PageControl1()->count() && page < kNamedPages; ++page) {
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
    // The whole screen with the 3-D expertise view in the chart window as it
    // opened, and that view with its legend as "Save..." writes it.
    chart.PageControl1()->setCurrentIndex(TChartForm::ExpertisePage);
    Settle(1500);
    const QString desktop3d =
        dir.filePath(QString("desktop-%1x%2-3d.png").arg(screen->geometry().width()).arg(screen->geometry().height()));
    if (!screen->grabWindow(0).save(desktop3d)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(desktop3d));
      ok = false;
    } else {
      std::printf("%s\n", qPrintable(desktop3d));
    }
    QString error;
    const QString legendPath = dir.filePath("chart-3d-legend.png");
    if (chart.ThreeD(TChartForm::Expertise)->SaveImage(legendPath, &error)) {
      std::printf("%s\n", qPrintable(legendPath));
    } else {
      std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(legendPath), qPrintable(error));
      ok = false;
    }
  } else {
    std::fprintf(stderr, "no 3-D view on this display: %s\n", qPrintable(chart.ThreeDCheckBox()->toolTip()));
  }

  // The design run from the "Newcomers" tab: the results window as it opens,
  // then its chart alone as "Save image..." writes it.
  // A click, as the user turns the 3-D view off: setting the box alone
  // would leave the pages in 3-D.
  if (chart.ThreeDCheckBox()->isChecked()) chart.ThreeDCheckBox()->click();
  parForm.PageControl1()->setCurrentIndex(3);
  parForm.ProcesTabSheet()->RunDesignButton()->click();
  QElapsedTimer waited;
  waited.start();
  while ((parForm.Design().Runner()->IsRunning() || !parForm.Design().DesignResults()) && waited.elapsed() < 120000) Settle(50);
  if (DesignResultsWindow* results = parForm.Design().DesignResults()) {
    Settle(500);
    ok = Save(*results, dir, "design-results.png") && ok;
    for (int tab = 0; tab < results->Charts()->count(); ++tab) {
      results->Charts()->setCurrentIndex(tab);
      Settle(300);
      if (tab > 0) ok = Save(*results, dir, QString("design-results-%1.png").arg(tab + 1)) && ok;
      QString error;
      const QString path = dir.filePath(tab == 0 ? QString("design-chart.png") : QString("design-labour-chart.png"));
      if (results->SaveImage(path, &error)) {
        std::printf("%s\n", qPrintable(path));
      } else {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(error));
        ok = false;
      }
    }
    results->Charts()->setCurrentIndex(0);
  } else {
    std::fprintf(stderr, "the design run did not finish\n");
    ok = false;
  }

  // A Fit run with a generalist newcomer of moderate skills: the entrance on
  // the index line, the newcomer's cells on the map, its bar after the entrance.
  parForm.PageControl1()->setCurrentIndex(3);
  parForm.ProcesTabSheet()->FitNoFitRadioGroup()->SetItemIndex(1);
  parForm.ProcesTabSheet()->NewcomerRadioGroup()->SetItemIndex(2);
  parForm.ProcesTabSheet()->HiLoRadioGroup()->SetItemIndex(1);
  parForm.DefineButtonClick();
  parForm.StartButtonClick();
  chart.PageControl1()->setCurrentIndex(TChartForm::DivisionOfLabourPage);
  Settle(600);
  ok = Save(chart, dir, "chart-labour-fit-generalist.png") && ok;
  QString error;
  const QString page = dir.filePath("labour-fit-generalist.png");
  if (chart.Labour()->Save(LabourPage::Content::Picture, page, &error)) {
    std::printf("%s\n", qPrintable(page));
  } else {
    std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(page), qPrintable(error));
    ok = false;
  }

  // The skill levels editor for a group of ten agents: agents 7 to 10 filled
  // with the rotation pattern, agent 3 edited by hand.
  {
    ProgramWindows levels;
    TParForm& form = levels.parForm;
    form.Panel().Edit(davrel3::Field::NrofAg)->setText("10");
    form.OKButtonClick();
    // The editor as Configurations > Skill levels... opens it.
    form.ShowLevelsEditor();
    SkillLevelsEditor& editor = form.LevelsEditor();
    QAbstractItemModel* model = editor.View()->model();
    editor.View()->selectionModel()->select(QItemSelection(model->index(6, 0), model->index(9, 9)),
                                            QItemSelectionModel::ClearAndSelect);
    editor.FillRotation();
    editor.View()->clearSelection();
    model->setData(model->index(2, 3), "12.5");
    ok = Save(editor, dir, "levels-editor.png") && ok;
  }
  chart.hide();
  if (DesignResultsWindow* results = parForm.Design().DesignResults()) results->hide();
  ok = MainWindowPictures(parForm, dir) && ok;

  // A group of thirty skills: the expertise legend has room for about
  // seventeen entries, the context menu's "Show series" lists them all.
  parForm.Panel().Edit(davrel3::Field::NrofSkills)->setText("30");
  parForm.Panel().Edit(davrel3::Field::Action)->setText("30");
  parForm.OKButtonClick();
  davrel3::ApplyRotationLevels(parForm.Bench());
  // Whatever message the run ends with is printed: the charts are drawn either way.
  parForm.SetMessageFunction([](const QString& text) { std::printf("message: %s\n", qPrintable(text)); });
  parForm.StartButtonClick();
  parForm.SetMessageFunction(nullptr);
  chart.PageControl1()->setCurrentIndex(TChartForm::ExpertisePage);
  Settle(600);
  QTimer::singleShot(300, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* action : menu->actions()) {
        if (action->menu()) {
          menu->setActiveAction(action);
          action->menu()->popup(menu->mapToGlobal(menu->actionGeometry(action).topRight()));
        }
      }
      Settle(400);
      ok = SaveScreen(dir, "chart-series-menu-screen.png") && ok;
      for (QAction* action : menu->actions()) {
        if (action->menu()) action->menu()->close();
      }
      menu->close();
    } else {
      std::fprintf(stderr, "the chart's context menu did not open\n");
      ok = false;
    }
  });
  {
    QWidget* viewport = chart.View(TChartForm::Expertise)->viewport();
    const QPoint local(viewport->width() / 3, viewport->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, viewport->mapToGlobal(local));
    QApplication::sendEvent(viewport, &event);
  }
  return ok ? 0 : 1;
}
