// The chart window as a user meets it: a workbench started up like the
// program, the chart window created after it, runs driven through START, and
// what the charts and grids then show read back from the window. Expected
// values come from the core's own history and measures.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtDataVisualization/Q3DScatter>
#include <QtDataVisualization/QScatter3DSeries>
#include <QtDataVisualization/QValue3DAxis>
#include <QtDataVisualization/QScatterDataProxy>
#include <QtTest/QtTest>
#include <functional>

#include "DV3Newcomer2009Chart.h"
#include "chart_session.h"
#include "chart_view.h"
#include "experiment/session.h"
#include "model/int_text.h"
#include "model/measures.h"
#include "string_grid.h"
#include "up_down.h"

using davrel3::Field;

namespace {


using Session = ChartSession;

QAbstractSeries::SeriesType LineType() { return QAbstractSeries::SeriesTypeLine; }

QList<QPointF> NonZeroSkillPoints(double (*store)(const davrel3::RunHistory&, std::int64_t, int, int),
                                  const davrel3::RunHistory& history, int rows, int agent, int slot) {
  QList<QPointF> points;
  for (int t = 0; t < rows; ++t) {
    const double v = store(history, t, agent, slot);
    if (v != 0) points.append(QPointF(t, v));
  }
  return points;
}

QList<QPointF> ColumnPoints(const davrel3::RunHistory& history, size_t column) {
  QList<QPointF> points;
  for (int t = 0; t <= history.HistoryLength; ++t) points.append(QPointF(t, StepWorkAt(history, t, static_cast<int>(column))));
  return points;
}

// Types `text` over the agent field's text as a user does (select all,
// delete, type) and presses Enter.
void EnterAgent(TChartForm& chart, const QString& text) {
  QLineEdit* edit = chart.AgEdit1();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

// Answers the next modal message box by reading its text and pressing OK.
class MessageBoxCatcher : public QObject {
 public:
  MessageBoxCatcher() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts_.append(box->text());
        // Every box of the program: its title, its icon, no alarm symbol.
        if (box->windowTitle() != QLatin1String("Davrel3") || box->windowIcon().isNull() ||
            box->icon() != QMessageBox::NoIcon) {
          foreign_.append(box->windowTitle());
        }
        box->accept();
      }
    });
    timer_.start();
  }
  const QStringList& Texts() const { return texts_; }
  // Titles of boxes that were not dressed as the program's.
  const QStringList& Foreign() const { return foreign_; }

 private:
  QStringList foreign_;
  QTimer timer_;
  QStringList texts_;
};

}  // namespace

class TestChartWindow : public QObject {
  Q_OBJECT

 private slots:
  void seriesHaveTheirTitlesLooksAndLegendOrder();
  void axesAndStartPage();
  void startUpDrawsTheEmptyHistoryWhileHidden();
  void expertiseAndMotivationOfAChosenAgentAfterARun();
  void everyPerformanceSeriesHasARowPerHistoryRow();
  void panelGroupSizeNeverReadsPastTheCommittedHistory();
  void workTimeGridShowsTheCoreMeasuresForACondition();
  void allocationHeadingsForTwoTasksOfFiveCycles();
  void agentFieldReportsBadTextsAndAgentsOutsideTheGroup();
  void legendClickShowsAHiddenSeriesThatWasFilled();
  void threeDSwitchReachesAllThreeCharts();
  void threeDWithoutOpenGLStaysTwoD();
  void threeDSwitchOnTheXDisplay();
  void absentAgentsLeaveTheLegendAndComeBack();
  void everySkillOfALargeGroupIsReachableFromTheSeriesMenu();
  void showBesidePlacesTheWindowNextToTheMainWindow();
};

void TestChartWindow::seriesHaveTheirTitlesLooksAndLegendOrder() {
  Session s;
  const auto& expertise = s.chart.Series(TChartForm::Expertise);
  const auto& motivation = s.chart.Series(TChartForm::Motivation);
  const auto& performance = s.chart.Series(TChartForm::Performance);
  QCOMPARE(expertise.size() + motivation.size() + performance.size(), 93);
  QCOMPARE(expertise.size(), 40);
  QCOMPARE(motivation.size(), 40);
  for (int k = 1; k <= 40; ++k) {
    QCOMPARE(expertise[k - 1]->name(), QStringLiteral("Skill %1").arg(k));
    QCOMPARE(motivation[k - 1]->name(), QStringLiteral("Skill %1").arg(k));
    QCOMPARE(expertise[k - 1]->objectName(), QStringLiteral("FirstExp%1").arg(k));
    QCOMPARE(motivation[k - 1]->objectName(),
             k <= 8 ? QStringLiteral("FirstMot%1").arg(k) : QStringLiteral("Mot%1").arg(k));
    // Skills 1 to 6 are shown, but the group has five: skill 6 is absent.
    QCOMPARE(expertise[k - 1]->isVisible(), k <= 5);
    QCOMPARE(motivation[k - 1]->isVisible(), k <= 5);
  }
  QStringList titles;
  for (const QLineSeries* series : performance) titles << series->name();
  QStringList expectedTitles{"System", "Coordination Time"};
  for (int k = 1; k <= 11; ++k) expectedTitles << QStringLiteral("Agent %1").arg(k);
  QCOMPARE(titles, expectedTitles);
  QVERIFY(!performance[0]->isVisible());
  QVERIFY(!performance[1]->isVisible());
  for (int k = 1; k <= 11; ++k) QCOMPARE(performance[1 + k]->isVisible(), k <= 6);

  // The legend lists the series in the same order, hidden ones included,
  // but not the agents or skills the group of six agents and five skills
  // does not have (the legend applies marker visibility when the event loop
  // runs).
  QCoreApplication::processEvents();
  for (TChartForm::ChartId id : {TChartForm::Expertise, TChartForm::Motivation, TChartForm::Performance}) {
    const QList<QLegendMarker*> markers = s.chart.Chart(id)->legend()->markers();
    QCOMPARE(markers.size(), s.chart.Series(id).size());
    for (int i = 0; i < markers.size(); ++i) {
      QCOMPARE(markers[i]->series(), s.chart.Series(id)[i]);
      QCOMPARE(markers[i]->isVisible(), id == TChartForm::Performance ? i < 2 + 6 : i < 5);
    }
  }

  // Fixed colours where the window names one, a line series everywhere, and a
  // marker image per series whose shape follows the marker cycle.
  QCOMPARE(expertise[0]->color(), QColor(128, 0, 128));
  QCOMPARE(expertise[11]->color(), QColor(0, 0, 0));     // skill 12
  QCOMPARE(expertise[28]->color(), QColor(0, 0, 0));     // skill 29
  QCOMPARE(expertise[33]->color(), QColor(0, 128, 0));   // skill 34
  QCOMPARE(motivation[5]->color(), QColor(0, 0, 0));     // skill 6
  QCOMPARE(motivation[3]->color(), QColor(255, 255, 0)); // skill 4
  QCOMPARE(performance[1]->color(), QColor(128, 128, 128));
  QCOMPARE(performance[5]->color(), QColor(255, 128, 255));  // agent 4
  QCOMPARE(performance[12]->color(), QColor(255, 0, 0));     // agent 11
  for (const auto* list : {&expertise, &motivation, &performance}) {
    for (const QLineSeries* series : *list) {
      QCOMPARE(series->type(), LineType());
      QVERIFY(!series->lightMarker().isNull());
      QVERIFY(!series->pointLabelsVisible());
    }
  }
  // Skills 1 and 25 share shape and colour; skills 1 and 2 share neither.
  QCOMPARE(expertise[0]->lightMarker(), expertise[24]->lightMarker());
  QVERIFY(expertise[0]->lightMarker() != expertise[1]->lightMarker());
  // Motivation skill 17 is a star, and skill 18 starts the cycle again.
  const MarkerExtent skillExtent{2, 2};
  QCOMPARE(motivation[16]->lightMarker(), MarkerImage(MarkerShape::Star, motivation[16]->color(), skillExtent));
  QCOMPARE(motivation[17]->lightMarker(), MarkerImage(MarkerShape::Circle, motivation[17]->color(), skillExtent));
  QCOMPARE(expertise[16]->lightMarker(), MarkerImage(MarkerShape::Circle, expertise[16]->color(), skillExtent));
  // Performance markers are wider than the skills' ones.
  QVERIFY(performance[2]->markerSize() > expertise[0]->markerSize());
}

void TestChartWindow::axesAndStartPage() {
  Session s;
  const QStringList valueTitles{"Expertise", "Motivation", "Performance Time"};
  for (TChartForm::ChartId id : {TChartForm::Expertise, TChartForm::Motivation, TChartForm::Performance}) {
    QChart* chart = s.chart.Chart(id);
    QVERIFY(chart->legend()->isVisible());
    auto* rounds = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
    auto* values = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
    QVERIFY(rounds && values);
    QCOMPARE(rounds->titleText(), QStringLiteral("Rounds"));
    QCOMPARE(rounds->min(), 1.0);
    QCOMPARE(values->titleText(), valueTitles[id]);
    if (id != TChartForm::Performance) {
      QCOMPARE(values->min(), 0.0);
      QCOMPARE(values->max(), 25.0);
    }
    QVERIFY(!s.chart.ShowsThreeD(id));
  }
  QCOMPARE(s.chart.windowTitle(), QStringLiteral("ChartForm"));
  QStringList pages;
  for (int i = 0; i < s.chart.PageControl1()->count(); ++i) pages << s.chart.PageControl1()->tabText(i);
  QCOMPARE(pages, (QStringList{"Expertise", "Motivation", "Performance", "PerformanceTime", "Allocation",
                                  "Division of labour"}));
  QCOMPARE(s.chart.PageControl1()->currentIndex(), int(TChartForm::PerformanceTimePage));
  QCOMPARE(s.chart.ThreeDCheckBox()->text(), QStringLiteral("3d"));
  QVERIFY(!s.chart.ThreeDCheckBox()->isChecked());
  QCOMPARE(s.chart.AgEdit1()->text(), QStringLiteral("1"));
  QCOMPARE(s.chart.AgUpDown1()->Min(), 1);
  QCOMPARE(s.chart.AgUpDown1()->Max(), s.panel.Read(Field::NrofAg));
}

void TestChartWindow::startUpDrawsTheEmptyHistoryWhileHidden() {
  Session s;
  QVERIFY(!s.chart.isVisible());
  for (TChartForm::ChartId id : {TChartForm::Expertise, TChartForm::Motivation}) {
    for (const QLineSeries* series : s.chart.Series(id)) QCOMPARE(series->count(), 0);
  }
  const int rows = s.History().HistoryLength + 1;
  QCOMPARE(rows, 246);
  const auto& performance = s.chart.Series(TChartForm::Performance);
  for (int i = 0; i < 2 + 6; ++i) {  // System, Coordination Time, Agents 1 to 6
    QCOMPARE(performance[i]->count(), rows);
    for (const QPointF& p : performance[i]->points()) QCOMPARE(p.y(), 0.0);
  }
  StringGridView* grid = s.chart.WorkTimeGrid();
  const int agents = s.bench.State().System.NrOfAgents;
  for (int row = 1; row <= agents + 4; ++row) QCOMPARE(grid->CellText(1, row), QStringLiteral("0"));
  QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("1"));
  QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Tot."));
}

void TestChartWindow::expertiseAndMotivationOfAChosenAgentAfterARun() {
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  const auto& history = s.History();
  const int rows = history.HistoryLength + 1;
  for (int agent : {2, 6}) {
    EnterAgent(s.chart, QString::number(agent));
    int nonEmpty = 0;
    for (int j = 0; j < 40; ++j) {
      const QList<QPointF> expertise = NonZeroSkillPoints(davrel3::ExpertiseAt, history, rows, agent - 1, j);
      const QList<QPointF> motivation = NonZeroSkillPoints(davrel3::MotivationAt, history, rows, agent - 1, j);
      QCOMPARE(s.chart.Series(TChartForm::Expertise)[j]->points(), expertise);
      QCOMPARE(s.chart.Series(TChartForm::Motivation)[j]->points(), motivation);
      if (!expertise.isEmpty()) ++nonEmpty;
    }
    // The group works on its five skills; the slots beyond stay empty.
    QCOMPARE(nonEmpty, 5);
  }
  // The newcomer (agent 6, shown now) is recorded only from its entrance on:
  // its first point lies after the incumbents' first one.
  const QList<QPointF> newcomer = s.chart.Series(TChartForm::Expertise)[0]->points();
  EnterAgent(s.chart, "1");
  const QList<QPointF> incumbent = s.chart.Series(TChartForm::Expertise)[0]->points();
  QVERIFY(!newcomer.isEmpty() && !incumbent.isEmpty());
  QCOMPARE(incumbent.first().x(), 1.0);
  QVERIFY(newcomer.first().x() > incumbent.first().x());
}

void TestChartWindow::everyPerformanceSeriesHasARowPerHistoryRow() {
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  const auto& history = s.History();
  const int n = s.bench.State().System.NrOfAgents;
  QCOMPARE(n, 6);
  const auto& performance = s.chart.Series(TChartForm::Performance);
  QCOMPARE(performance[0]->points(), ColumnPoints(history, n));
  QCOMPARE(performance[0]->count(), 246);
  QCOMPARE(performance[1]->count(), 246);
  for (const QPointF& p : performance[1]->points()) QCOMPARE(p.y(), 0.0);
  for (int k = 1; k <= n; ++k) {
    QCOMPARE(performance[1 + k]->points(), ColumnPoints(history, k - 1));
    QCOMPARE(performance[1 + k]->points().first(), QPointF(0, 0));
  }
  // The run worked: the system line is not flat.
  double busiest = 0;
  for (const QPointF& p : performance[0]->points()) busiest = std::max(busiest, p.y());
  QVERIFY(busiest > 0);
  // Agents 7 to 11 are not in a group of six: never drawn.
  for (int k = 7; k <= 11; ++k) QCOMPARE(performance[1 + k]->count(), 0);
}

void TestChartWindow::panelGroupSizeNeverReadsPastTheCommittedHistory() {
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  const auto& performance = s.chart.Series(TChartForm::Performance);
  // The group-size control now says eight, the history still holds six agents
  // and the system column.
  s.panel.SetText(Field::NrofAg, "8");
  s.chart.Draw();
  QCOMPARE(performance[1 + 7]->points(), performance[0]->points());  // column 6 is the system column
  QCOMPARE(performance[1 + 8]->count(), 0);                          // no column 7: left as it was

  // A group-size text that is not a number stops the draw after the skill charts.
  s.panel.SetText(Field::NrofAg, "x");
  s.chart.AgEdit1()->blockSignals(true);
  s.chart.AgEdit1()->setText("3");
  s.chart.AgEdit1()->blockSignals(false);
  QVERIFY_THROWS_EXCEPTION(davrel3::ConversionError, s.chart.Draw());
  QCOMPARE(s.chart.Series(TChartForm::Expertise)[0]->points(),
           NonZeroSkillPoints(davrel3::ExpertiseAt, s.History(), 246, 2, 0));
}

void TestChartWindow::workTimeGridShowsTheCoreMeasuresForACondition() {
  Session s;
  s.panel.SetItemIndex(davrel3::Choice::FitNoFit, 1);
  s.panel.SetItemIndex(davrel3::Choice::Newcomer, 2);
  s.panel.SetItemIndex(davrel3::Choice::HiLo, 2);
  s.bench.DefineButtonClick();
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  const auto& h = s.History();
  const int n = s.bench.State().System.NrOfAgents;
  StringGridView* grid = s.chart.WorkTimeGrid();
  QAbstractItemModel* model = grid->model();
  QCOMPARE(model->columnCount(), 2);  // task 1 and "Tot."
  QCOMPARE(model->rowCount(), n + 4);
  QStringList rowHeadings;
  for (int r = 0; r < n + 4; ++r) rowHeadings << model->headerData(r, Qt::Vertical).toString();
  QCOMPARE(rowHeadings, (QStringList{"1", "2", "3", "4", "5", "6", "Slow", "Sum", "MeanNoFit", "MeanFit"}));
  auto shown = [&](int column, int row) { return model->data(model->index(row - 1, column - 1)).toString(); };
  auto text = [](double v) { return QString::fromStdString(davrel3::FormatRounded(v)); };
  for (int j = 0; j < n; ++j) {
    QCOMPARE(shown(1, j + 1), text(davrel3::TaskWorkAt(h, 0, j)));
    QCOMPARE(shown(2, j + 1), text(davrel3::AddAllTasksPerAgents(h, 1, j)));
  }
  QCOMPARE(shown(1, n + 1), text(davrel3::SlowestPerformanceTime(h, n, 0)));
  QCOMPARE(shown(1, n + 2), text(davrel3::SumPerformanceTime(h, n, 0)));
  QCOMPARE(shown(1, n + 3), text(davrel3::MeanPerformanceTimeCorrectedNewcomerNoFit(h, n, 0)));
  QCOMPARE(shown(1, n + 4), text(davrel3::MeanPerformanceTimeCorrectedNewcomerFit(h, n, 0)));
  QCOMPARE(shown(2, n + 1), text(davrel3::SlowestPerformanceTime(h, n, 0)));
  QCOMPARE(shown(2, n + 2), QString());  // "Tot." of Sum is never written
  // The numbers are the run's: the slowest agent worked, and the sum is larger.
  QVERIFY(davrel3::SlowestPerformanceTime(h, n, 0) > 0);
  QVERIFY(shown(1, n + 2).toInt() > shown(1, n + 1).toInt());
}

void TestChartWindow::allocationHeadingsForTwoTasksOfFiveCycles() {
  Session s;
  s.panel.Write(Field::NrOfTasks, 2);
  s.panel.Write(Field::Cycle, 5);
  s.bench.OKButtonClick();
  const auto outcome = s.Start();
  QVERIFY(outcome.status == davrel3::RunStatus::Finished || outcome.status == davrel3::RunStatus::Stalled);
  StringGridView* grid = s.chart.AllocationGrid();
  QAbstractItemModel* model = grid->model();
  QCOMPARE(model->columnCount(), 10);
  QStringList headings;
  for (int c = 0; c < 10; ++c) headings << model->headerData(c, Qt::Horizontal).toString();
  QCOMPARE(headings, (QStringList{"1", "2", "3", "4", "5", "1", "2", "3", "4", "5"}));
  const int skills = davrel3::CommittedSkills(s.bench.State().System);
  QCOMPARE(model->rowCount(), skills);
  for (int r = 1; r <= skills; ++r) QCOMPARE(model->headerData(r - 1, Qt::Vertical).toString(), QString::number(r));
  // The body is what the run wrote: "timestep/agent" in every performed unit.
  const QRegularExpression cell("^\\d+/\\d+$");
  int written = 0;
  for (int r = 0; r < model->rowCount(); ++r) {
    for (int c = 0; c < model->columnCount(); ++c) {
      const QString textShown = model->data(model->index(r, c)).toString();
      QCOMPARE(textShown, QString::fromStdString(s.bench.State().AllocationGrid.Cell(c + 1, r + 1)));
      if (!textShown.isEmpty()) {
        QVERIFY2(cell.match(textShown).hasMatch(), qPrintable(textShown));
        ++written;
      }
    }
  }
  QVERIFY(written > 0);
}

void TestChartWindow::agentFieldReportsBadTextsAndAgentsOutsideTheGroup() {
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  const QList<QPointF> before = s.chart.Series(TChartForm::Expertise)[0]->points();
  QVERIFY(!before.isEmpty());
  QLineEdit* edit = s.chart.AgEdit1();
  {
    // Deleting the digit to retype it raises nothing; the new number is taken
    // on Enter and redraws.
    MessageBoxCatcher catcher;
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QString());
    QTest::keyClicks(edit, "3");
    QCOMPARE(s.chart.Series(TChartForm::Expertise)[0]->points(), before);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(s.chart.Series(TChartForm::Expertise)[0]->points(),
             NonZeroSkillPoints(davrel3::ExpertiseAt, s.History(), 246, 2, 0));
    QTest::qWait(50);
    QCOMPARE(catcher.Texts(), QStringList());
  }
  EnterAgent(s.chart, "1");
  QCOMPARE(s.chart.Series(TChartForm::Expertise)[0]->points(), before);
  {
    // "abc", then Enter: one box with the conversion message, every key kept
    // in the field, the charts as they were.
    MessageBoxCatcher catcher;
    EnterAgent(s.chart, "abc");
    QTRY_COMPARE(catcher.Texts(), QStringList{"'abc' is not a valid integer value"});
    QCOMPARE(edit->text(), QStringLiteral("abc"));
    QTest::qWait(100);
    QCOMPARE(catcher.Texts().size(), 1);
    QCOMPARE(catcher.Foreign(), QStringList());
    // Enter once more on the same text reports it once more; an empty field too.
    QTest::keyClick(edit, Qt::Key_Return);
    EnterAgent(s.chart, "");
    QTRY_COMPARE(catcher.Texts(), (QStringList{"'abc' is not a valid integer value",
                                              "'abc' is not a valid integer value",
                                              "'' is not a valid integer value"}));
  }
  QCOMPARE(s.chart.Series(TChartForm::Expertise)[0]->points(), before);
  {
    // Leaving the field is as Enter: one box for a changed text.
    edit->setFocus();
    MessageBoxCatcher catcher;
    s.chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.chart));
    s.chart.activateWindow();
    edit->setFocus();
    QTest::keyClicks(edit, "7x");
    s.chart.SaveButton()->setFocus();
    QTRY_COMPARE(catcher.Texts(), QStringList{"'7x' is not a valid integer value"});
    QCOMPARE(edit->text(), QStringLiteral("7x"));
    s.chart.hide();
  }
  QCOMPARE(s.chart.Series(TChartForm::Expertise)[0]->points(), before);

  // An agent outside the group: empty skill charts, and the window says why.
  EnterAgent(s.chart, "9");
  QVERIFY(s.chart.AgentMessage()->text().contains("9"));
  for (TChartForm::ChartId id : {TChartForm::Expertise, TChartForm::Motivation}) {
    for (const QLineSeries* series : s.chart.Series(id)) QCOMPARE(series->count(), 0);
  }
  QCOMPARE(s.chart.Series(TChartForm::Performance)[2]->count(), 246);
  EnterAgent(s.chart, "0");
  QVERIFY(!s.chart.AgentMessage()->text().isEmpty());
  EnterAgent(s.chart, "1");
  QVERIFY(s.chart.AgentMessage()->text().isEmpty());
  QCOMPARE(s.chart.Series(TChartForm::Expertise)[0]->points(), before);

  // The spinner steps within 1 .. NrofAg and redraws through the field.
  s.chart.AgUpDown1()->ClickDown();
  QCOMPARE(s.chart.AgEdit1()->text(), QStringLiteral("1"));
  for (int i = 0; i < 10; ++i) s.chart.AgUpDown1()->ClickUp();
  QCOMPARE(s.chart.AgEdit1()->text(), QStringLiteral("6"));
  QCOMPARE(s.chart.Series(TChartForm::Expertise)[0]->points(),
           NonZeroSkillPoints(davrel3::ExpertiseAt, s.History(), 246, 5, 0));
}

void TestChartWindow::legendClickShowsAHiddenSeriesThatWasFilled() {
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  QLineSeries* system = s.chart.Series(TChartForm::Performance)[0];
  QVERIFY(!system->isVisible());
  QCOMPARE(system->count(), 246);
  QLegendMarker* marker = s.chart.Chart(TChartForm::Performance)->legend()->markers(system).value(0);
  QVERIFY(marker);
  emit marker->clicked();
  QVERIFY(system->isVisible());
  QTRY_VERIFY(marker->isVisible());
  // The value axis now reaches the system line's highest point.
  auto* values = qobject_cast<QValueAxis*>(s.chart.Chart(TChartForm::Performance)->axes(Qt::Vertical).value(0));
  double busiest = 0;
  for (const QPointF& p : system->points()) busiest = std::max(busiest, p.y());
  QVERIFY(values->max() >= busiest);
  emit marker->clicked();
  QVERIFY(!system->isVisible());
  QCoreApplication::processEvents();
  QVERIFY(marker->isVisible());  // hidden series keep their legend entry
}

void TestChartWindow::threeDSwitchReachesAllThreeCharts() {
  if (!OpenGLAvailable()) QSKIP("no OpenGL context on this display");
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  s.chart.PageControl1()->setCurrentIndex(TChartForm::ExpertisePage);
  const QList<QPointF> before = s.chart.Series(TChartForm::Performance)[2]->points();
  s.chart.ThreeDCheckBox()->click();
  const TChartForm::ChartId ids[] = {TChartForm::Expertise, TChartForm::Motivation, TChartForm::Performance};
  for (TChartForm::ChartId id : ids) {
    QVERIFY(s.chart.ShowsThreeD(id));
    ThreeDChart* view = s.chart.ThreeD(id);
    const auto& lines = s.chart.Series(id);
    QCOMPARE(view->Series().size(), lines.size());
    for (int i = 0; i < lines.size(); ++i) {
      const QScatter3DSeries* scatter = view->Series()[i];
      QCOMPARE(scatter->isVisible(), lines[i]->isVisible());
      QCOMPARE(scatter->baseColor(), lines[i]->color());
      const QScatterDataArray* items = scatter->dataProxy()->array();
      QCOMPARE(items->size(), lines[i]->count());
      for (int p = 0; p < items->size(); ++p) {
        QCOMPARE(items->at(p).position(), QVector3D(lines[i]->at(p).x(), lines[i]->at(p).y(), i + 1));
      }
    }
  }
  // Each 3-D view names its shown series in a legend beside the graph, and
  // the depth axis labels the series where they stand by their numbers:
  // agent 1 at the first agent's depth (the third series), not a bare 3.
  QCOMPARE(s.chart.ThreeD(TChartForm::Performance)->LegendEntries(),
           (QStringList{"Agent 1", "Agent 2", "Agent 3", "Agent 4", "Agent 5", "Agent 6"}));
  QCOMPARE(s.chart.ThreeD(TChartForm::Expertise)->LegendEntries().first(), QStringLiteral("Skill 1"));
  QCOMPARE(s.chart.ThreeD(TChartForm::Performance)->Graph()->axisZ()->labels(),
           (QStringList{"1", "2", "3", "4", "5", "6"}));
  // The group has five skills: skill 6 is absent, as in 2-D.
  QCOMPARE(s.chart.ThreeD(TChartForm::Expertise)->Graph()->axisZ()->labels(),
           (QStringList{"1", "2", "3", "4", "5"}));
  // Redrawing in 3-D refills the 3-D views.
  EnterAgent(s.chart, "2");
  QCOMPARE(s.chart.ThreeD(TChartForm::Expertise)->Series()[0]->dataProxy()->array()->size(),
           s.chart.Series(TChartForm::Expertise)[0]->count());
  s.chart.ThreeDCheckBox()->click();
  for (TChartForm::ChartId id : ids) QVERIFY(!s.chart.ShowsThreeD(id));
  QCOMPARE(s.chart.Series(TChartForm::Performance)[2]->points(), before);
}

void TestChartWindow::threeDWithoutOpenGLStaysTwoD() {
  if (OpenGLAvailable()) QSKIP("OpenGL is available here; the 3-D switch is tested instead");
  Session s;
  s.chart.ThreeDCheckBox()->click();
  QVERIFY(!s.chart.ThreeDCheckBox()->isChecked());
  QVERIFY(s.chart.ThreeDCheckBox()->toolTip().contains("OpenGL"));
  for (TChartForm::ChartId id : {TChartForm::Expertise, TChartForm::Motivation, TChartForm::Performance}) {
    QVERIFY(!s.chart.ShowsThreeD(id));
    QVERIFY(!s.chart.ThreeD(id));
  }
}

// The window tests run on the offscreen platform, which has no 3-D view. When
// an X display is at hand (xvfb-run), the 3-D switch is tested there, in a
// second run of this program on that display.
void TestChartWindow::threeDSwitchOnTheXDisplay() {
  const DisplayRun run = RerunOnXDisplay("TestChartWindow", "threeDSwitchReachesAllThreeCharts");
  if (run.outcome == DisplayRun::AlreadyOnDisplay) QSKIP("already on a display");
  if (run.outcome == DisplayRun::NoDisplay) QSKIP("no X display: run under xvfb-run for the 3-D view");
  QVERIFY(run.outcome == DisplayRun::Finished);
  QVERIFY2(run.exitedCleanly, qPrintable(run.output));
  if (!run.passed) QSKIP("the X display has no OpenGL either");
}

void TestChartWindow::absentAgentsLeaveTheLegendAndComeBack() {
  Session s;
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  // A group of two: agents 3 to 6 keep their points but are neither drawn
  // nor in the legend.
  s.panel.SetItemIndex(davrel3::Choice::Newcomer, 0);
  s.panel.SetText(Field::NrofAg, "2");
  s.bench.OKButtonClick();
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  QCoreApplication::processEvents();
  const auto& performance = s.chart.Series(TChartForm::Performance);
  QLegend* legend = s.chart.Chart(TChartForm::Performance)->legend();
  for (int k = 1; k <= 11; ++k) {
    QCOMPARE(performance[1 + k]->isVisible(), k <= 2);
    QCOMPARE(legend->markers(performance[1 + k]).value(0)->isVisible(), k <= 2);
  }
  QVERIFY(performance[1 + 3]->count() > 0);
  // Back to six: agents 3 to 6 are shown again as they were.
  s.panel.SetText(Field::NrofAg, "6");
  s.bench.OKButtonClick();
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  QCoreApplication::processEvents();
  for (int k = 1; k <= 11; ++k) QCOMPARE(performance[1 + k]->isVisible(), k <= 6);
}

namespace {

// The "Show series" submenu of a chart's context menu, as it opens.
QMenu* OpenedSeriesMenu(ChartView* view) {
  QMenu* found = nullptr;
  for (QAction* action : view->actions()) {
    if (action->menu() && action->menu()->objectName() == QLatin1String("SeriesMenu")) found = action->menu();
  }
  if (found) {
    found->popup(QPoint(0, 0));
    found->hide();
  }
  return found;
}

QStringList CheckedEntries(const QMenu* menu, bool checked) {
  QStringList names;
  for (const QAction* action : menu->actions()) {
    if (action->isChecked() == checked) names << action->text();
  }
  return names;
}

}  // namespace

void TestChartWindow::everySkillOfALargeGroupIsReachableFromTheSeriesMenu() {
  Session s;
  s.panel.SetText(Field::NrofSkills, "30");
  s.panel.SetText(Field::Action, "30");
  s.bench.OKButtonClick();
  davrel3::ApplyRotationLevels(s.bench);  // levels that let every skill be worked
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  QCoreApplication::processEvents();
  const auto& expertise = s.chart.Series(TChartForm::Expertise);
  QLegend* legend = s.chart.Chart(TChartForm::Expertise)->legend();
  for (int k = 1; k <= 40; ++k) QCOMPARE(legend->markers(expertise[k - 1]).value(0)->isVisible(), k <= 30);

  // The menu lists the thirty skills, the first six checked; the legend has
  // no room for most of them in a window of the opening height.
  QMenu* menu = OpenedSeriesMenu(s.chart.View(TChartForm::Expertise));
  QVERIFY(menu);
  QCOMPARE(menu->actions().size(), 30);
  QCOMPARE(menu->actions()[24]->text(), QStringLiteral("Skill 25"));
  QStringList shown;
  for (int k = 1; k <= 6; ++k) shown << QStringLiteral("Skill %1").arg(k);
  QCOMPARE(CheckedEntries(menu, true), shown);

  // Checking skill 25 draws its line and checks its entry; unchecking skill
  // 1 hides it in this chart only.
  QVERIFY(expertise[24]->count() > 0);
  menu->actions()[24]->trigger();
  QVERIFY(expertise[24]->isVisible());
  menu = OpenedSeriesMenu(s.chart.View(TChartForm::Expertise));
  QCOMPARE(CheckedEntries(menu, true), shown + QStringList{"Skill 25"});
  menu->actions()[0]->trigger();
  QVERIFY(!expertise[0]->isVisible());
  QVERIFY(s.chart.Series(TChartForm::Motivation)[0]->isVisible());  // each chart keeps its own choice

  // A group of five skills: the rest leave the legend and the menu, and
  // come back as the user left them.
  s.panel.SetText(Field::NrofSkills, "5");
  s.panel.SetText(Field::Action, "5");
  s.bench.OKButtonClick();
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  QCoreApplication::processEvents();
  menu = OpenedSeriesMenu(s.chart.View(TChartForm::Expertise));
  QCOMPARE(menu->actions().size(), 5);
  QVERIFY(!expertise[24]->isVisible());
  QVERIFY(!legend->markers(expertise[24]).value(0)->isVisible());
  s.panel.SetText(Field::NrofSkills, "30");
  s.panel.SetText(Field::Action, "30");
  s.bench.OKButtonClick();
  davrel3::ApplyRotationLevels(s.bench);
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  QCoreApplication::processEvents();
  QVERIFY(expertise[24]->isVisible());
  QVERIFY(!expertise[0]->isVisible());
  QVERIFY(legend->markers(expertise[24]).value(0)->isVisible());
}

void TestChartWindow::showBesidePlacesTheWindowNextToTheMainWindow() {
  Session s;
  QWidget mainWindow;
  mainWindow.setGeometry(20, 20, 300, 180);
  mainWindow.show();
  s.chart.PageControl1()->setCurrentIndex(TChartForm::ExpertisePage);
  QCOMPARE(s.Start().status, davrel3::RunStatus::Finished);
  s.chart.ShowBeside(&mainWindow);
  QVERIFY(s.chart.isVisible());
  QCOMPARE(s.chart.PageControl1()->currentIndex(), int(TChartForm::PerformanceTimePage));
  QVERIFY(!s.chart.frameGeometry().intersects(mainWindow.frameGeometry()));
  // Later showings keep the page the user chose.
  s.chart.PageControl1()->setCurrentIndex(TChartForm::AllocationPage);
  s.chart.hide();
  s.chart.ShowBeside(&mainWindow);
  QCOMPARE(s.chart.PageControl1()->currentIndex(), int(TChartForm::AllocationPage));
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TestChartWindow test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_chart_window.moc"
