// Data out of the windows: grids as CSV and on the clipboard, charts as PNG
// and SVG, and the menus and buttons that offer them. Expected texts come
// from the core's own grids or are written out by hand; saved files are read
// back the way another program would read them.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtDataVisualization/QScatter3DSeries>
#include <QtTest/QtTest>
#include <functional>

#include "DV3Newcomer2009Agent.h"
#include "DV3Newcomer2009Chart.h"
#include "chart_session.h"
#include "chart_view.h"
#include "data_export.h"
#include "string_grid.h"
#include "window_test_helpers.h"

namespace {

using window_test::DialogAnswerer;
using window_test::ReadFile;

using Session = ChartSession;

// A grid of awkward texts: a comma, quotes, a line break, a tab.
davrel3::TextGrid AwkwardGrid() {
  davrel3::TextGrid grid(3, 3);
  grid.SetCell(0, 0, "corner");
  grid.SetCell(1, 0, "a,b");
  grid.SetCell(2, 0, "plain");
  grid.SetCell(0, 1, "say \"hi\"");
  grid.SetCell(1, 1, "two\nlines");
  grid.SetCell(2, 1, "tab\there");
  grid.SetCell(0, 2, "3");
  grid.SetCell(1, 2, "");
  grid.SetCell(2, 2, "12/4");
  return grid;
}

// Runs `inside` once the next popup menu is open, then closes it; returns the
// texts of the menu's entries (separators left out).
QStringList MenuEntriesOf(const std::function<void()>& open, const std::function<void(QMenu*)>& inside = {}) {
  QStringList entries;
  QTimer::singleShot(50, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator()) entries << action->text();
    }
    if (inside) inside(menu);
    menu->close();
  });
  open();
  return entries;
}

void RightClick(QWidget* target) {
  const QPoint local(target->width() / 2, target->height() / 2);
  QContextMenuEvent event(QContextMenuEvent::Mouse, local, target->mapToGlobal(local));
  QApplication::sendEvent(target, &event);
}

}  // namespace

class TestDataExport : public QObject {
  Q_OBJECT

 private slots:
  void gridTextKeepsHeadingsAndQuotesAwkwardCells();
  void workTimeGridCsvEqualsTheCoreTexts();
  void copyPutsTheGridOrTheSelectionOnTheClipboard();
  void savedPngLoadsBackAtTwiceTheViewSize();
  void savedSvgIsWellFormedAndNamesTheSeries();
  void badSuffixOrUnwritablePathWritesNothing();
  void chartAndGridContextMenusOfferExport();
  void agentGridExportsFromItsOwnAndItsFramesMenu();
  void saveButtonSavesTheOpenPage();
  void threeDViewSavesAPng();
  void threeDViewSavesAPngOnTheXDisplay();
};

void TestDataExport::gridTextKeepsHeadingsAndQuotesAwkwardCells() {
  davrel3::TextGrid grid = AwkwardGrid();
  const QString expectedCsv = QStringLiteral(
      "corner,\"a,b\",plain\n"
      "\"say \"\"hi\"\"\",\"two\nlines\",tab\there\n"
      "3,,12/4\n");
  // Headings as header sections or as cells: the same table either way.
  TextGridModel headers(TextGridModel::Headings::AsHeaders);
  headers.SetGrid(&grid);
  TextGridModel cells(TextGridModel::Headings::AsCells);
  cells.SetGrid(&grid);
  QCOMPARE(data_export::GridText(headers, QLatin1Char(',')), expectedCsv);
  QCOMPARE(data_export::GridText(cells, QLatin1Char(',')), expectedCsv);

  // Tab-separated: the tab is now the cell that needs quoting, the comma not.
  const QString expectedTabs = QStringLiteral(
      "corner\ta,b\tplain\n"
      "\"say \"\"hi\"\"\"\t\"two\nlines\"\t\"tab\there\"\n"
      "3\t\t12/4\n");
  QCOMPARE(data_export::GridText(headers, QLatin1Char('\t')), expectedTabs);

  // An empty model gives an empty text, not a stray line.
  TextGridModel none(TextGridModel::Headings::AsCells);
  QCOMPARE(data_export::GridText(none, QLatin1Char(',')), QString());
}

void TestDataExport::workTimeGridCsvEqualsTheCoreTexts() {
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  const auto rows = s.bench.State().WorkTimeGrid.RowMajor();
  QVERIFY(rows.size() > 2);
  // The grid's texts are numbers and short words: joined plainly they are
  // the CSV the window must write.
  QString expected;
  for (const auto& row : rows) {
    QStringList cells;
    for (const std::string& cell : row) {
      QVERIFY(cell.find_first_of(",\"\n") == std::string::npos);
      cells << QString::fromStdString(cell);
    }
    expected += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
  }
  // The run wrote real measures, not the start-up zeros.
  QVERIFY(expected.contains(QStringLiteral("Tot.")));
  QVERIFY(QRegularExpression(QStringLiteral("[1-9]")).match(expected.section('\n', 1)).hasMatch());

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("work time.csv"));
  QString error;
  QVERIFY2(s.chart.WorkTimeGrid()->SaveCsv(path, &error), qPrintable(error));
  QCOMPARE(QString::fromUtf8(ReadFile(path)), expected);
}

void TestDataExport::copyPutsTheGridOrTheSelectionOnTheClipboard() {
  davrel3::TextGrid grid = AwkwardGrid();
  auto* model = new TextGridModel(TextGridModel::Headings::AsHeaders);
  model->SetGrid(&grid);
  StringGridView view(model, 40, 20);
  model->setParent(&view);
  QApplication::clipboard()->clear();
  view.CopyToClipboard();
  QCOMPARE(QApplication::clipboard()->text(), data_export::GridText(*model, QLatin1Char('\t')));
  QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral("corner\ta,b\tplain\n")));

  // A selection copies its rectangle with the headings of its columns and
  // rows.
  view.selectionModel()->select(QItemSelection(model->index(0, 0), model->index(1, 1)),
                                QItemSelectionModel::Select);
  view.CopyToClipboard();
  QCOMPARE(QApplication::clipboard()->text(),
           QStringLiteral("corner\ta,b\tplain\n\"say \"\"hi\"\"\"\t\"two\nlines\"\t\"tab\there\"\n3\t\t12/4\n"));

  // Ctrl+C copies the same, not just the current cell.
  view.selectionModel()->clearSelection();
  view.selectionModel()->select(model->index(1, 1), QItemSelectionModel::Select);
  QApplication::clipboard()->clear();
  QTest::keySequence(&view, QKeySequence::Copy);
  QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("corner\tplain\n3\t12/4\n"));

  // Headings held as cells: a block away from them gets them added, a block
  // that starts at them keeps them once.
  davrel3::TextGrid cells = AwkwardGrid();
  auto* cellModel = new TextGridModel(TextGridModel::Headings::AsCells);
  cellModel->SetGrid(&cells);
  StringGridView cellView(cellModel, 40, 20);
  cellModel->setParent(&cellView);
  cellView.selectionModel()->select(cellModel->index(2, 2), QItemSelectionModel::Select);
  QCOMPARE(cellView.CopyText(), QStringLiteral("corner\tplain\n3\t12/4\n"));
  cellView.selectionModel()->clearSelection();
  cellView.selectionModel()->select(QItemSelection(cellModel->index(0, 1), cellModel->index(2, 1)),
                                    QItemSelectionModel::Select);
  QCOMPARE(cellView.CopyText(), QStringLiteral("corner\ta,b\n\"say \"\"hi\"\"\"\t\"two\nlines\"\n3\t\n"));
}

void TestDataExport::savedPngLoadsBackAtTwiceTheViewSize() {
  // The chart as the user sees it: the window open on the chart's page, its
  // lines drawn to the end of their animation.
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  s.chart.PageControl1()->setCurrentIndex(TChartForm::PerformancePage);
  s.chart.show();
  QVERIFY(QTest::qWaitForWindowExposed(&s.chart));
  QTest::qWait(600);
  ChartView* view = s.chart.View(TChartForm::Performance);
  const QSize size = view->size();
  QVERIFY(size.width() > 300 && size.height() > 150);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("performance.PNG"));  // suffix in any case
  QString error;
  QVERIFY2(data_export::SaveChartImage(view, path, &error), qPrintable(error));
  QImage image;
  QVERIFY(image.load(path, "PNG"));
  QCOMPARE(image.size(), size * 2);
  // The chart fills the picture: what is drawn (not white) reaches from near
  // the left edge to near the right one and from near the top to near the
  // bottom, and is many pixels.
  int drawn = 0;
  QRect reach;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      if (image.pixelColor(x, y) == QColor(Qt::white)) continue;
      ++drawn;
      reach |= QRect(x, y, 1, 1);
    }
  }
  QVERIFY2(drawn > 5000, qPrintable(QString::number(drawn)));
  QVERIFY2(reach.width() > image.width() * 8 / 10 && reach.height() > image.height() * 7 / 10,
           qPrintable(QStringLiteral("%1x%2").arg(reach.width()).arg(reach.height())));
}

void TestDataExport::savedSvgIsWellFormedAndNamesTheSeries() {
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  ChartView* view = s.chart.View(TChartForm::Performance);
  view->resize(800, 400);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("performance.svg"));
  QString error;
  QVERIFY2(data_export::SaveChartImage(view, path, &error), qPrintable(error));
  const QByteArray svg = ReadFile(path);
  QXmlStreamReader xml(svg);
  QString root;
  QStringList texts;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement) {
      if (root.isEmpty()) root = xml.name().toString();
      if (xml.name() == QLatin1String("text")) texts << xml.readElementText(QXmlStreamReader::IncludeChildElements);
    }
  }
  QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
  QCOMPARE(root, QStringLiteral("svg"));
  const QString all = texts.join(QLatin1Char('|'));
  // Agents outside the group are not drawn and have no legend entry.
  int named = 0;
  for (const QLineSeries* series : s.chart.Series(TChartForm::Performance)) {
    if (!series->isVisible()) continue;
    QVERIFY2(all.contains(series->name()), qPrintable(series->name()));
    ++named;
  }
  QVERIFY(named > 0);
  QVERIFY(all.contains(QStringLiteral("Rounds")));
  QVERIFY(all.contains(QStringLiteral("Performance Time")));
}

void TestDataExport::badSuffixOrUnwritablePathWritesNothing() {
  Session s;
  ChartView* view = s.chart.View(TChartForm::Expertise);
  view->resize(400, 300);
  QTemporaryDir dir;
  QString error;
  for (const QString& name : {QStringLiteral("chart.jpg"), QStringLiteral("chart"), QStringLiteral("chart.svg.txt")}) {
    error.clear();
    QVERIFY(!data_export::SaveChartImage(view, dir.filePath(name), &error));
    QVERIFY2(error.contains(QStringLiteral(".png")) && error.contains(QStringLiteral(".svg")), qPrintable(error));
  }
  // Not a chart view at all.
  QWidget plain;
  QVERIFY(!data_export::SaveChartImage(&plain, dir.filePath(QStringLiteral("x.png")), &error));
  QVERIFY(!data_export::SaveChartImage(nullptr, dir.filePath(QStringLiteral("x.png")), &error));

  // A folder that does not exist: an error naming the file.
  const QString missing = dir.filePath(QStringLiteral("no such folder/chart.png"));
  error.clear();
  QVERIFY(!data_export::SaveChartImage(view, missing, &error));
  QVERIFY2(error.contains(QStringLiteral("chart.png")), qPrintable(error));
  error.clear();
  QVERIFY(!data_export::SaveText(dir.filePath(QStringLiteral("no such folder/grid.csv")), "x\n", &error));
  QVERIFY2(error.contains(QStringLiteral("grid.csv")), qPrintable(error));
  // A folder where the file should be.
  QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.csv")));
  QVERIFY(!data_export::SaveText(dir.filePath(QStringLiteral("taken.csv")), "x\n", &error));
  QVERIFY(!s.chart.WorkTimeGrid()->SaveCsv(dir.filePath(QStringLiteral("taken.csv")), &error));
  // A null error pointer is allowed.
  QVERIFY(!data_export::SaveText(missing, "x\n", nullptr));

  // Nothing was written, and nothing left behind in the folder.
  QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"taken.csv"});
  QVERIFY(QDir(dir.filePath(QStringLiteral("taken.csv"))).isEmpty());

  // A failed save keeps the file that was there.
  const QString kept = dir.filePath(QStringLiteral("kept.jpg"));
  QVERIFY(data_export::SaveText(kept, QStringLiteral("old"), &error));
  QVERIFY(!data_export::SaveChartImage(view, kept, &error));
  QCOMPARE(ReadFile(kept), QByteArray("old"));
}

void TestDataExport::chartAndGridContextMenusOfferExport() {
  Session s;
  s.chart.show();
  for (TChartForm::ChartId id : {TChartForm::Expertise, TChartForm::Motivation, TChartForm::Performance}) {
    s.chart.PageControl1()->setCurrentIndex(id);
    ChartView* view = s.chart.View(id);
    const QStringList entries = MenuEntriesOf([&] { RightClick(view->viewport()); });
    QCOMPARE(entries, (QStringList{"Reset zoom", "Save image...", "Show series"}));
  }
  for (StringGridView* grid : {s.chart.WorkTimeGrid(), s.chart.AllocationGrid()}) {
    s.chart.PageControl1()->setCurrentWidget(grid->parentWidget());
    QApplication::clipboard()->clear();
    const QStringList entries = MenuEntriesOf([&] { RightClick(grid->viewport()); },
                                              [](QMenu* menu) { menu->actions().first()->trigger(); });
    QCOMPARE(entries, (QStringList{"Copy", "Save CSV..."}));
    // "Copy" with nothing selected: the whole grid, headings included.
    QCOMPARE(QApplication::clipboard()->text(), data_export::GridText(*grid->model(), QLatin1Char('\t')));
  }
}

void TestDataExport::agentGridExportsFromItsOwnAndItsFramesMenu() {
  TFrame1 frame;
  frame.MakeGrid(2);
  frame.ShowSkillRow(1, davrel3::TSkill{}, true);
  frame.show();
  QVERIFY(QTest::qWaitForWindowExposed(&frame));
  // The grid takes clicks to select cells; its own menu offers the export.
  QVERIFY(frame.AgentGrid->isEnabled());
  for (QWidget* target : {static_cast<QWidget*>(frame.AgentGrid->viewport()), static_cast<QWidget*>(frame.Label22)}) {
    QApplication::clipboard()->clear();
    const QStringList entries =
        MenuEntriesOf([&] { RightClick(target); }, [](QMenu* menu) { menu->actions().first()->trigger(); });
    QCOMPARE(entries, (QStringList{"Copy", "Save CSV..."}));
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("skill\tchoice\tmot.\texp.\tloser\tI\tYou\tPresent\t"));
    QVERIFY2(lines.value(1).startsWith(QStringLiteral("1\tYou\t")), qPrintable(lines.value(1)));
    QVERIFY(lines.value(1).contains(QStringLiteral("Yes")));
    QCOMPARE(lines.value(2), QStringLiteral("2\t\t\t\t\t\t\t\t"));
  }
}

void TestDataExport::saveButtonSavesTheOpenPage() {
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  s.chart.show();
  QTemporaryDir dir;
  QVERIFY(s.chart.SaveButton()->isVisible());

  // A grid page: the CSV of its grid, the suffix added to a bare name.
  s.chart.PageControl1()->setCurrentIndex(TChartForm::AllocationPage);
  {
    DialogAnswerer user(dir.filePath(QStringLiteral("allocation")));
    QTest::mouseClick(s.chart.SaveButton(), Qt::LeftButton);
    QVERIFY(user.Suggested().endsWith(QStringLiteral("AllocationGrid.csv")));
  }
  QCOMPARE(QString::fromUtf8(ReadFile(dir.filePath(QStringLiteral("allocation.csv")))),
           data_export::GridText(*s.chart.AllocationGrid()->model(), QLatin1Char(',')));

  // A chart page: its picture, named after its values.
  s.chart.PageControl1()->setCurrentIndex(TChartForm::MotivationPage);
  {
    DialogAnswerer user(dir.filePath(QStringLiteral("motivation-chart.png")));
    QTest::mouseClick(s.chart.SaveButton(), Qt::LeftButton);
    QVERIFY(user.Suggested().endsWith(QStringLiteral("Motivation.png")));
    QVERIFY2(user.Messages().isEmpty(), qPrintable(user.Messages().join('\n')));
  }
  QVERIFY2(!QImage(dir.filePath(QStringLiteral("motivation-chart.png"))).isNull(),
           qPrintable(QDir(dir.path()).entryList().join(' ')));

  // A failing save is reported in a message box, nothing written.
  {
    DialogAnswerer user(dir.filePath(QStringLiteral("motivation.gif")));
    QTest::mouseClick(s.chart.SaveButton(), Qt::LeftButton);
    QTRY_COMPARE(user.Messages().size(), 1);
    QVERIFY(user.Messages().first().contains(QStringLiteral("motivation.gif")));
  }
  QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("motivation.gif"))));
}

void TestDataExport::threeDViewSavesAPng() {
  if (!OpenGLAvailable()) QSKIP("no OpenGL here: the 3-D view is tested on the X display");
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  s.chart.resize(900, 500);
  s.chart.show();
  QVERIFY(QTest::qWaitForWindowExposed(&s.chart));
  s.chart.ThreeDCheckBox()->click();
  QVERIFY(s.chart.ShowsThreeD(TChartForm::Performance));
  s.chart.PageControl1()->setCurrentIndex(TChartForm::PerformancePage);
  QTest::qWait(200);
  ThreeDChart* threeD = s.chart.ThreeD(TChartForm::Performance);
  QTemporaryDir dir;
  QString error;
  QVERIFY(!threeD->SaveImage(dir.filePath(QStringLiteral("view.svg")), &error));
  QVERIFY(error.contains(QStringLiteral(".png")));
  QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("view.svg"))));
  const QString path = dir.filePath(QStringLiteral("view.png"));
  QVERIFY2(threeD->SaveImage(path, &error), qPrintable(error));
  const QImage image(path);
  QVERIFY(!image.isNull());
  // The picture is what the user sees: the graph and, beside it, its legend.
  const QSize graph = threeD->GraphWidget()->size().expandedTo(QSize(400, 300));
  const auto* legend = threeD->Widget()->findChild<QWidget*>(QStringLiteral("ThreeDLegend"));
  QVERIFY(legend && !threeD->LegendEntries().isEmpty());
  QVERIFY(legend->width() > 20);
  QCOMPARE(image.width(), 2 * (graph.width() + legend->sizeHint().expandedTo(legend->size()).width()));
  QCOMPARE(image.height(), 2 * std::max(graph.height(), legend->sizeHint().expandedTo(legend->size()).height()));
  // The graph is drawn: its colours are not all the white background.
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 8) {
    for (int x = 0; x < 2 * graph.width(); x += 8) colours.insert(image.pixel(x, y));
  }
  QVERIFY2(colours.size() > 10, qPrintable(QString::number(colours.size())));
  // The legend column holds the swatch of every entry it lists, in the
  // series' colour.
  QSet<QRgb> legendColours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 2 * graph.width(); x < image.width(); ++x) legendColours.insert(image.pixel(x, y) | 0xff000000u);
  }
  int swatches = 0;
  for (const QScatter3DSeries* series : threeD->Series()) {
    if (!series->isVisible()) continue;
    QVERIFY2(legendColours.contains(series->baseColor().rgb() | 0xff000000u), qPrintable(series->name()));
    ++swatches;
  }
  QCOMPARE(swatches, threeD->LegendEntries().size());
}

void TestDataExport::threeDViewSavesAPngOnTheXDisplay() {
  const DisplayRun run = RerunOnXDisplay("TestDataExport", "threeDViewSavesAPng");
  if (run.outcome == DisplayRun::AlreadyOnDisplay) QSKIP("already on a display");
  if (run.outcome == DisplayRun::NoDisplay) QSKIP("no X display: run under xvfb-run for the 3-D view");
  QVERIFY(run.outcome == DisplayRun::Finished);
  QVERIFY2(run.exitedCleanly, qPrintable(run.output));
  if (!run.passed) QSKIP("the X display has no OpenGL either");
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TestDataExport test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_data_export.moc"
