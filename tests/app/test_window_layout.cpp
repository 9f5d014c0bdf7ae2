// Where the program's two windows open on the screens they are checked on,
// 1366 x 768 and 1920 x 1200: the main window as the program creates it, a
// run through START, and the chart window as it then opens. Each screen size
// is a second run of this program on an offscreen screen of that size (the
// platform's configuration file), as the placement depends on the screen.
#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest/QtTest>

#include "DV3Newcomer2009Chart.h"
#include "DV3Newcomer2009Par.h"
#include "chart_page.h"
#include "indicator_strip.h"
#include "newcomers_tab.h"
#include "program_windows.h"

namespace {

// The variable that tells a second run which screen it was given.
constexpr char kScreenVariable[] = "DAVREL3_TEST_SCREEN";

struct ScreenRun {
  bool started = false;
  bool passed = false;
  QString output;
};

// Runs `function` of this program again on an offscreen screen of `size`.
ScreenRun RunOnScreen(QSize size, const QString& function) {
  ScreenRun run;
  QTemporaryDir dir;
  if (!dir.isValid()) return run;
  const QString config = dir.filePath("screen.json");
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return run;
  const QByteArray json = QStringLiteral(R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false,
    "screens": [{"name": "screen", "x": 0, "y": 0, "width": %1, "height": %2, "logicalDpi": 96,
                 "logicalBaseDpi": 96, "dpr": 1}]})")
                              .arg(size.width())
                              .arg(size.height())
                              .toUtf8();
  if (file.write(json) != json.size() || !file.flush()) return run;
  file.close();
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
  environment.insert(kScreenVariable, QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(), {function});
  if (!child.waitForFinished(90000)) {
    child.kill();
    child.waitForFinished();
    return run;
  }
  run.started = true;
  run.output = QString::fromLocal8Bit(child.readAll());
  run.passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
               run.output.contains("PASS   : TestWindowLayout::" + function + "()");
  return run;
}

QRect GlobalRect(const QWidget* widget) { return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()); }

}  // namespace

class TestWindowLayout : public QObject {
  Q_OBJECT

 private slots:
  void bothWindowsOpenInsideTheScreenClearOfTheButtons_data();
  void bothWindowsOpenInsideTheScreenClearOfTheButtons();
  // Run by the test above, on the screen it chose.
  void windowsOnThisScreen();
};

void TestWindowLayout::bothWindowsOpenInsideTheScreenClearOfTheButtons_data() {
  QTest::addColumn<QSize>("screen");
  QTest::newRow("1366x768") << QSize(1366, 768);
  QTest::newRow("1920x1200") << QSize(1920, 1200);
}

void TestWindowLayout::bothWindowsOpenInsideTheScreenClearOfTheButtons() {
  QFETCH(QSize, screen);
  const ScreenRun run = RunOnScreen(screen, "windowsOnThisScreen");
  QVERIFY2(run.started, "the second run on the offscreen screen did not end");
  QVERIFY2(run.passed, qPrintable(run.output));
}

void TestWindowLayout::windowsOnThisScreen() {
  const QString wanted = qEnvironmentVariable(kScreenVariable);
  if (wanted.isEmpty()) QSKIP("run by bothWindowsOpenInsideTheScreenClearOfTheButtons on a screen of its own");
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  QCOMPARE(QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()), wanted);

  ProgramWindows windows;
  TParForm& main = windows.parForm;
  TChartForm& chart = windows.chart;
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  main.StartButtonClick();
  QVERIFY(chart.isVisible());
  QCoreApplication::processEvents();

  const QRect mainFrame = main.frameGeometry();
  const QRect chartFrame = chart.frameGeometry();
  QVERIFY2(screen.contains(mainFrame), qPrintable(QStringLiteral("main window at %1,%2 %3x%4")
                                                       .arg(mainFrame.x()).arg(mainFrame.y())
                                                       .arg(mainFrame.width()).arg(mainFrame.height())));
  QVERIFY(screen.contains(chartFrame));
  // Beside or below the main window, never over it, so never over its buttons.
  QVERIFY(!chartFrame.intersects(mainFrame));
  const QList<const QWidget*> buttons{main.ProcesTabSheet()->DefineButton(), main.ProcesTabSheet()->RunDesignButton(),
                                      main.Indicators()->OKButton(), main.Indicators()->CancelButton(),
                                      main.Indicators()->StartButton()};
  for (const QWidget* button : buttons) QVERIFY(!chartFrame.intersects(GlobalRect(button)));

  // Wide enough for the whole width of the charts; as high as the opening
  // size where the screen allows, and at 1366 x 768 all the height below the
  // main window (which then opens at the screen's top).
  const QSize opening = TChartForm::OpeningSize();
  QCOMPARE(chart.width(), opening.width());
  if (screen.height() >= 1200) {
    QCOMPARE(chart.height(), opening.height());
    QCOMPARE(main.pos(), QPoint(55, 47));
  } else {
    QCOMPARE(mainFrame.top(), screen.top());
    QCOMPARE(chartFrame.top(), mainFrame.bottom() + 1);
    QCOMPARE(chartFrame.bottom(), screen.bottom());
  }
  // The page that holds a chart (2-D or 3-D) keeps a usable height.
  chart.PageControl1()->setCurrentIndex(TChartForm::ExpertisePage);
  QCoreApplication::processEvents();
  QWidget* page = chart.ChartPageOf(TChartForm::Expertise).Widget();
  QVERIFY2(page->height() >= 300, qPrintable(QStringLiteral("chart page %1 high").arg(page->height())));
  QVERIFY(chart.rect().contains(QRect(page->mapTo(&chart, QPoint(0, 0)), page->size())));
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  TestWindowLayout test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_window_layout.moc"
