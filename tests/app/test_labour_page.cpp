// The "Division of labour" page: its figures' numbers on hand-built
// allocations, then the page in the chart window after real runs, read back
// from the widgets and compared with what the core counted.
#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QMessageBox>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>
#include <QtTest/QtTest>

#include "DV3Newcomer2009Chart.h"
#include "allocation_map_view.h"
#include "chart_session.h"
#include "labour_figures.h"
#include "labour_page.h"
#include "model/division_of_labour.h"
#include "window_test_helpers.h"

using davrel3::DivisionOfLabour;
using davrel3::Field;
using davrel3::UnitPerformance;

namespace {

using window_test::DialogAnswerer;
using window_test::ReadFile;

// Counts one unit of a group of `agents` x `skills` with the entrance at `entrance`.
void Perform(DivisionOfLabour& labour, int task, std::int64_t t, int agent, int skill, int cycle, int agents = 2,
             int skills = 2, std::int64_t entrance = 2, std::int64_t firstRow = 1) {
  davrel3::CountPerformedUnit(labour, UnitPerformance{task, t, firstRow + t, agent, skill, cycle, agents, skills,
                                                      entrance, 0});
}

struct FitGeneralistSession : ChartSession {
  FitGeneralistSession() {
    panel.SetItemIndex(davrel3::Choice::FitNoFit, 1);
    panel.SetItemIndex(davrel3::Choice::Newcomer, 2);
    panel.SetItemIndex(davrel3::Choice::HiLo, 1);
    bench.DefineButtonClick();
  }
};

}  // namespace

class TestLabourPage : public QObject {
  Q_OBJECT

 private slots:
  void indexLineKeepsTheDefinedRollingValues();
  void entranceMarksOnlyTasksThatReachedIt();
  void mapFindsEveryUnitByColumnAndSkill();
  void sharesSumToOneAndGatherSurplusSkills();
  void tablesSpellOutTheFigures();

  void pageLineFollowsTheRollingIndexAndTheWindowBox();
  void entranceIsMarkedForAGeneralist();
  void mapHasACellPerPerformedUnitAndTellsWhoOnHover();
  void barsAreEachAgentsSharesPerPhase();
  void pageSavesPicturesAndTablesAndReportsFailures();
  void chartWindowSaveAsksWhatToSave();
  void longRunMapScrollsWithoutAPictureOfTheWhole();
};

void TestLabourPage::indexLineKeepsTheDefinedRollingValues() {
  DivisionOfLabour labour;
  // Timestep 0: agent 0 in skill 0 and agent 1 in skill 1; timestep 1 nothing;
  // timestep 3: agent 0 in skill 1.
  Perform(labour, 0, 0, 0, 0, 0);
  Perform(labour, 0, 0, 1, 1, 0);
  Perform(labour, 0, 3, 0, 1, 1);
  const auto rolling = davrel3::RollingLabourIndex(labour, 1);
  QCOMPARE(rolling.size(), std::size_t(4));
  const auto line = labour_figures::IndexLine(labour, 1);
  // Timesteps 1 and 2 have no unit in a window of 1: no point.
  QCOMPARE(line.size(), std::size_t(2));
  QCOMPARE(line[0].timestep, std::int64_t(0));
  QCOMPARE(line[0].row, std::int64_t(1));
  QCOMPARE(line[0].value, 1.0);  // one to one
  QCOMPARE(line[1].timestep, std::int64_t(3));
  QCOMPARE(line[1].value, 0.0);  // one agent alone
  // A window of 4 at timestep 3 holds all three units.
  const auto wide = labour_figures::IndexLine(labour, 4);
  QCOMPARE(wide.size(), std::size_t(4));
  const std::vector<std::int64_t> all = {1, 1, 0, 1};
  QCOMPARE(wide.back().value, *davrel3::LabourIndex(all, 2, 2));
  QVERIFY(wide.back().value > 0 && wide.back().value < 1);
}

void TestLabourPage::entranceMarksOnlyTasksThatReachedIt() {
  DivisionOfLabour labour;
  // Task 0 ends at timestep 1, before the entrance at 2; task 1 goes on to 5.
  Perform(labour, 0, 0, 0, 0, 0);
  Perform(labour, 0, 1, 1, 1, 0);
  Perform(labour, 1, 0, 0, 0, 0, 2, 2, 2, 3);
  Perform(labour, 1, 5, 1, 1, 0, 2, 2, 2, 3);
  const auto marks = labour_figures::EntranceMarks(labour);
  QCOMPARE(marks.size(), std::size_t(1));
  QCOMPARE(marks[0].task, 1);
  QCOMPARE(marks[0].timestep, std::int64_t(2));
  QCOMPARE(marks[0].row, std::int64_t(5));
}

void TestLabourPage::mapFindsEveryUnitByColumnAndSkill() {
  DivisionOfLabour labour;
  // Two tasks of 3 cycles; performed out of column order.
  Perform(labour, 0, 0, 1, 1, 2);
  Perform(labour, 0, 0, 0, 0, 0);
  Perform(labour, 0, 1, 0, 1, 0);
  Perform(labour, 1, 0, 1, 0, 1);
  labour_figures::AllocationMap map(labour, 3, 2);
  QCOMPARE(map.CellCount(), std::int64_t(4));
  QCOMPARE(map.Columns(), std::int64_t(6));
  QCOMPARE(map.Tasks(), 2);
  QVERIFY(map.CellAt(0, 0) && map.CellAt(0, 0)->agent == 0);
  QVERIFY(map.CellAt(0, 1) && map.CellAt(0, 1)->timestep == 1);
  QVERIFY(map.CellAt(2, 1) && map.CellAt(2, 1)->agent == 1);
  QVERIFY(map.CellAt(4, 0) && map.CellAt(4, 0)->task == 1);
  QVERIFY(!map.CellAt(1, 0));
  QVERIFY(!map.CellAt(4, 1));
  QVERIFY(!map.CellAt(99, 0));
  std::vector<std::int64_t> columns;
  map.ForEachCell(1, 5, [&](std::int64_t column, const davrel3::PerformedUnit&) { columns.push_back(column); });
  QCOMPARE(columns, (std::vector<std::int64_t>{2, 4}));
  // A unit outside the committed grid is no cell.
  labour_figures::AllocationMap narrow(labour, 2, 2);
  QCOMPARE(narrow.CellCount(), std::int64_t(3));
}

void TestLabourPage::sharesSumToOneAndGatherSurplusSkills() {
  DivisionOfLabour labour;
  const int agents = 2, skills = 4;
  // Before the entrance (t < 2): agent 0 three units in skill 0, one in skill 3.
  for (int c = 0; c < 3; ++c) Perform(labour, 0, 0, 0, 0, c, agents, skills);
  Perform(labour, 0, 1, 0, 3, 0, agents, skills);
  // After: agent 0 one in skill 2, agent 1 one each in skills 1 and 2.
  Perform(labour, 0, 2, 0, 2, 0, agents, skills);
  Perform(labour, 0, 2, 1, 1, 0, agents, skills);
  Perform(labour, 0, 3, 1, 2, 1, agents, skills);
  const auto all = labour_figures::SharesOf(labour, agents, skills, 10);
  QCOMPARE(all.groups, (std::vector<std::string>{"Skill 1", "Skill 2", "Skill 3", "Skill 4"}));
  QCOMPARE(all.Shares(0, 0), (std::vector<double>{0.75, 0, 0, 0.25}));
  QCOMPARE(all.Shares(1, 0), (std::vector<double>{0, 0, 1, 0}));
  QVERIFY(all.Shares(0, 1).empty());  // nothing before the entrance
  QCOMPARE(all.Shares(1, 1), (std::vector<double>{0, 0.5, 0.5, 0}));
  // Three groups: skills 3 and 4 together.
  const auto few = labour_figures::SharesOf(labour, agents, skills, 3);
  QCOMPARE(few.groups, (std::vector<std::string>{"Skill 1", "Skill 2", "Skills 3-4"}));
  QCOMPARE(few.Shares(0, 0), (std::vector<double>{0.75, 0, 0.25}));
  QCOMPARE(few.Total(1, 1), std::int64_t(2));
}

void TestLabourPage::tablesSpellOutTheFigures() {
  DivisionOfLabour labour;
  Perform(labour, 0, 0, 0, 0, 0);
  Perform(labour, 0, 0, 1, 1, 0);
  Perform(labour, 0, 2, 1, 0, 1);
  QCOMPARE(labour_figures::IndexLineCsv(labour_figures::IndexLine(labour, 1), 1),
           std::string("round,task,timestep,dol_window_1\n1,1,1,1.0\n3,1,3,0.0\n"));
  QCOMPARE(labour_figures::AllocationMapCsv(labour_figures::AllocationMap(labour, 2, 2)),
           std::string("task,cycle,skill,timestep,agent\n1,1,1,1,1\n1,1,2,1,2\n1,2,1,3,2\n"));
  const std::string shares = labour_figures::SharesCsv(labour_figures::SharesOf(labour, 2, 2, 5));
  QCOMPARE(shares, std::string("agent,phase,skills,units,share\n"
                               "1,before,Skill 1,1,1.0\n1,before,Skill 2,0,0.0\n"
                               "1,after,Skill 1,0,\n1,after,Skill 2,0,\n"
                               "2,before,Skill 1,0,0.0\n2,before,Skill 2,1,1.0\n"
                               "2,after,Skill 1,1,1.0\n2,after,Skill 2,0,0.0\n"));
}

// ------------------------------------------------------------------ window

void TestLabourPage::pageLineFollowsTheRollingIndexAndTheWindowBox() {
  ChartSession s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  LabourPage* page = s.chart.Labour();
  QVERIFY(page);
  QCOMPARE(s.chart.PageControl1()->tabText(TChartForm::DivisionOfLabourPage), QString("Division of labour"));
  QCOMPARE(page->WindowBox()->value(), 20);
  const auto& labour = s.bench.State().Labour;
  for (int window : {20, 3}) {
    page->WindowBox()->setValue(window);
    QList<QPointF> expected;
    for (const auto& p : davrel3::RollingLabourIndex(labour, window)) {
      if (p.value) expected.append(QPointF(static_cast<qreal>(p.row), *p.value));
    }
    QVERIFY(expected.size() > 50);
    QCOMPARE(page->IndexSeries()->points(), expected);
    // One point per timestep of the task: every window here holds a unit.
    QCOMPARE(expected.size(), qsizetype(labour.Tasks[0].lastTimestep + 1));
  }
  // The start-up run's specialist enters at timestep 101, within the task.
  QCOMPARE(page->EntranceSeries().size(), qsizetype(1));
  QCOMPARE(page->EntranceSeries()[0]->points().value(0).x(),
           static_cast<qreal>(labour.Tasks[0].firstRow + s.bench.State().System.EntranceTime));
}

void TestLabourPage::entranceIsMarkedForAGeneralist() {
  FitGeneralistSession s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  const auto& state = s.bench.State();
  LabourPage* page = s.chart.Labour();
  QCOMPARE(page->EntranceSeries().size(), qsizetype(1));
  const QLineSeries* mark = page->EntranceSeries()[0];
  const qreal row = static_cast<qreal>(state.Labour.Tasks[0].firstRow + state.System.EntranceTime);
  QCOMPARE(mark->points(), (QList<QPointF>{QPointF(row, 0), QPointF(row, 1)}));
  QCOMPARE(mark->name(), QString("Newcomer enters (timestep %1)").arg(state.System.EntranceTime + 1));
  // The rounds axis reaches the mark and the line's end.
  auto* rounds = qobject_cast<QValueAxis*>(page->IndexView()->chart()->axes(Qt::Horizontal).value(0));
  QVERIFY(rounds && rounds->min() <= row && rounds->max() >= page->IndexSeries()->points().back().x());
}

void TestLabourPage::mapHasACellPerPerformedUnitAndTellsWhoOnHover() {
  FitGeneralistSession s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  const auto& state = s.bench.State();
  AllocationMapView* map = s.chart.Labour()->MapView();
  std::int64_t counted = 0;
  for (const auto& task : state.Labour.Tasks) {
    for (std::size_t i = 0; i < task.before.size(); ++i) counted += task.before[i] + task.after[i];
  }
  QCOMPARE(map->Map().CellCount(), counted);
  QCOMPARE(map->Map().CellCount(), static_cast<std::int64_t>(state.Task.PerformedCount));
  // The legend has a swatch and a number per agent, the newcomer named.
  QVERIFY(s.chart.Labour()->MapLegend()->findChildren<QLabel*>().size() >= 2 * state.System.NrOfAgents);
  // Hovering over the cell of the last unit names its timestep and agent.
  s.chart.resize(1300, 700);
  s.chart.PageControl1()->setCurrentIndex(TChartForm::DivisionOfLabourPage);
  s.chart.show();
  QVERIFY(QTest::qWaitForWindowExposed(&s.chart));
  const davrel3::PerformedUnit first = state.Labour.Units.front();
  const QRect cell = map->CellRect(map->Map().ColumnOf(first), first.skill);
  QVERIFY(map->viewport()->rect().contains(cell.center()));
  QCOMPARE(map->CellTextAt(cell.center()), QString("Timestep %1, Agent %2 (task 1, cycle %3, skill %4)")
                                               .arg(first.timestep + 1)
                                               .arg(first.agent + 1)
                                               .arg(first.cycle + 1)
                                               .arg(first.skill + 1));
  // The grid text of that unit says the same timestep and agent.
  const std::string text = state.AllocationGrid.Cell(static_cast<int>(map->Map().ColumnOf(first)) + 1, first.skill + 1);
  QCOMPARE(QString::fromStdString(text), QString("%1/%2").arg(first.timestep + 1).arg(first.agent + 1));
  QVERIFY(map->CellTextAt(QPoint(1, 1)).isEmpty());
  // The picture shows the agent's colour in that cell.
  const QImage shot = map->viewport()->grab().toImage();
  QCOMPARE(shot.pixelColor(cell.topLeft() + QPoint(1, 1)), AllocationMapView::AgentColour(first.agent));
  const int before = map->CellSize();
  map->ZoomIn();
  QVERIFY(map->CellSize() > before);
}

void TestLabourPage::barsAreEachAgentsSharesPerPhase() {
  FitGeneralistSession s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  const auto& state = s.bench.State();
  LabourPage* page = s.chart.Labour();
  const int agents = state.System.NrOfAgents;
  const int skills = davrel3::CommittedSkills(state.System);
  QCOMPARE(page->SharesCategories().size(), qsizetype(2 * agents));
  const QList<QBarSet*> sets = page->SharesSeries()->barSets();
  QCOMPARE(sets.size(), qsizetype(skills));
  int barsWithUnits = 0;
  for (int a = 0; a < agents; ++a) {
    for (int phase = 0; phase < 2; ++phase) {
      const int category = 2 * a + phase;
      std::int64_t total = 0;
      for (int s2 = 0; s2 < skills; ++s2) {
        total += phase == 0 ? davrel3::UnitsBefore(state.Labour, 0, a, s2) : davrel3::UnitsAfter(state.Labour, 0, a, s2);
      }
      double sum = 0;
      for (int s2 = 0; s2 < skills; ++s2) {
        const std::int64_t n =
            phase == 0 ? davrel3::UnitsBefore(state.Labour, 0, a, s2) : davrel3::UnitsAfter(state.Labour, 0, a, s2);
        const double expected = total > 0 ? static_cast<double>(n) / static_cast<double>(total) : 0.0;
        QCOMPARE(sets[s2]->at(category), expected);
        sum += sets[s2]->at(category);
      }
      if (total > 0) {
        ++barsWithUnits;
        QVERIFY2(std::abs(sum - 1.0) < 1e-12, qPrintable(QString("agent %1 phase %2: %3").arg(a + 1).arg(phase).arg(sum)));
      } else {
        QCOMPARE(sum, 0.0);
      }
    }
  }
  // The newcomer has nothing before its entrance, everyone has something after.
  QCOMPARE(page->Shares().Total(0, davrel3::kNewcomerIndex), std::int64_t(0));
  QVERIFY(page->Shares().Total(1, davrel3::kNewcomerIndex) > 0);
  QCOMPARE(barsWithUnits, 2 * agents - 1);
}

void TestLabourPage::pageSavesPicturesAndTablesAndReportsFailures() {
  FitGeneralistSession s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  s.chart.resize(1300, 700);
  s.chart.PageControl1()->setCurrentIndex(TChartForm::DivisionOfLabourPage);
  s.chart.show();
  QVERIFY(QTest::qWaitForWindowExposed(&s.chart));
  LabourPage* page = s.chart.Labour();
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  QString error;
  QVERIFY2(page->Save(LabourPage::Content::Picture, dir.filePath("page.png"), &error), qPrintable(error));
  const QImage png(dir.filePath("page.png"));
  QVERIFY(!png.isNull());
  QVERIFY(png.width() >= page->width() && png.height() > 100);
  QVERIFY2(page->Save(LabourPage::Content::Picture, dir.filePath("page.svg"), &error), qPrintable(error));
  const QByteArray svg = ReadFile(dir.filePath("page.svg"));
  QVERIFY(svg.contains("<svg") && svg.contains("</svg>"));
  QVERIFY2(page->Save(LabourPage::Content::IndexTable, dir.filePath("index.csv"), &error), qPrintable(error));
  QCOMPARE(ReadFile(dir.filePath("index.csv")),
           QByteArray::fromStdString(labour_figures::IndexLineCsv(page->Line(), 20)));
  QCOMPARE(ReadFile(dir.filePath("index.csv")).count('\n'), qsizetype(page->Line().size() + 1));
  QVERIFY2(page->Save(LabourPage::Content::MapTable, dir.filePath("map.csv"), &error), qPrintable(error));
  QCOMPARE(ReadFile(dir.filePath("map.csv")).count('\n'), qsizetype(s.bench.State().Task.PerformedCount + 1));
  QVERIFY2(page->Save(LabourPage::Content::SharesTable, dir.filePath("shares.csv"), &error), qPrintable(error));
  QVERIFY(ReadFile(dir.filePath("shares.csv")).startsWith("agent,phase,skills,units,share\n"));

  // A folder that does not exist, and a picture of an unknown kind: a
  // message, and nothing written.
  error.clear();
  QVERIFY(!page->Save(LabourPage::Content::MapTable, dir.filePath("missing/map.csv"), &error));
  QVERIFY2(error.startsWith("Cannot write"), qPrintable(error));
  error.clear();
  QVERIFY(!page->Save(LabourPage::Content::Picture, dir.filePath("page.bmp"), &error));
  QVERIFY2(error.contains("PNG") && error.contains("SVG"), qPrintable(error));
  QVERIFY(!QFile::exists(dir.filePath("page.bmp")));
  // An existing file is kept whole when the new one cannot be written in its place.
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const QByteArray old = ReadFile(dir.filePath("shares.csv"));
  const bool refused = !page->Save(LabourPage::Content::SharesTable, dir.filePath("shares.csv"), &error);
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  if (refused) QCOMPARE(ReadFile(dir.filePath("shares.csv")), old);  // root may write anyway
}

void TestLabourPage::chartWindowSaveAsksWhatToSave() {
  ChartSession s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  s.chart.resize(1300, 700);
  s.chart.PageControl1()->setCurrentIndex(TChartForm::DivisionOfLabourPage);
  s.chart.show();
  QVERIFY(QTest::qWaitForWindowExposed(&s.chart));
  QTemporaryDir dir;
  {
    // The map's table chosen by its filter; a name without suffix gets ".csv".
    DialogAnswerer answer(dir.filePath("cells"), "CSV table of the allocation map (*.csv)");
    s.chart.SaveOpenPage();
    QVERIFY(answer.Messages().isEmpty());
  }
  QVERIFY(ReadFile(dir.filePath("cells.csv")).startsWith("task,cycle,skill,timestep,agent\n"));
  {
    DialogAnswerer answer(dir.filePath("page.svg"), "SVG drawing of the page (*.svg)");
    s.chart.SaveOpenPage();
    QVERIFY(answer.Messages().isEmpty());
  }
  QVERIFY(ReadFile(dir.filePath("page.svg")).contains("<svg"));
  {
    DialogAnswerer answer(dir.filePath("no/such/folder/page.png"), "PNG picture of the page (*.png)");
    s.chart.SaveOpenPage();
    QTRY_COMPARE(answer.Messages().size(), qsizetype(1));
    QVERIFY2(answer.Messages()[0].startsWith("Cannot write"), qPrintable(answer.Messages()[0]));
  }
}

void TestLabourPage::longRunMapScrollsWithoutAPictureOfTheWhole() {
  ChartSession s;
  s.panel.Write(Field::Cycle, 4000);
  s.bench.OKButtonClick();
  const auto outcome = s.Start();
  QVERIFY(outcome.status == davrel3::RunStatus::Finished || outcome.status == davrel3::RunStatus::Stalled);
  AllocationMapView* map = s.chart.Labour()->MapView();
  QCOMPARE(map->Map().CellCount(), static_cast<std::int64_t>(s.bench.State().Task.PerformedCount));
  QVERIFY(map->Map().CellCount() > 10000);
  s.chart.resize(1300, 700);
  s.chart.PageControl1()->setCurrentIndex(TChartForm::DivisionOfLabourPage);
  s.chart.show();
  QVERIFY(QTest::qWaitForWindowExposed(&s.chart));
  // The map is far wider than its view: it scrolls, and the page's picture
  // is the size of the page, not of the map.
  QVERIFY(map->horizontalScrollBar()->maximum() > 4000 * map->CellSize() / 2);
  map->horizontalScrollBar()->setValue(map->horizontalScrollBar()->maximum());
  QTemporaryDir dir;
  QString error;
  QVERIFY2(s.chart.Labour()->Save(LabourPage::Content::Picture, dir.filePath("long.png"), &error), qPrintable(error));
  const QImage png(dir.filePath("long.png"));
  QVERIFY(!png.isNull() && png.width() <= 4 * s.chart.width());
  // The last cycle's cells are in view at the far end.
  bool found = false;
  for (int skill = 0; skill < map->Map().Skills(); ++skill) {
    const auto unit = map->Map().CellAt(map->Map().Columns() - 1, skill);
    if (unit) found = map->viewport()->rect().contains(map->CellRect(map->Map().Columns() - 1, skill).center());
  }
  QVERIFY(found);
}

QTEST_MAIN(TestLabourPage)
#include "test_labour_page.moc"
