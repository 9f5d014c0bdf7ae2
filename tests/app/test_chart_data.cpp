// The chart window's data without any widget: history to series points, the
// axis ranges, the work-time view and where windows open.
#include <QtTest>

#include "DV3Newcomer2009Chart.h"
#include "chart_3d.h"
#include "chart_ranges.h"
#include "history_series.h"
#include "model/history.h"
#include "window_placement.h"
#include "work_time_view.h"

using history_series::SkillMeasure;

namespace {

// A committed history of `agents` agents with every value 0.
davrel3::RunHistory EmptyHistory(int agents) {
  davrel3::RunHistory history;
  davrel3::DefineGraphics(history, 10, 1, agents);
  return history;
}

}  // namespace

class ChartDataTest : public QObject {
  Q_OBJECT

 private slots:
  void skillPointsSkipZerosAndStayInTheGroup() {
    davrel3::RunHistory history = EmptyHistory(2);
    davrel3::RecordLevels(history, 1, 1, 0, 12.5, 7);
    davrel3::RecordLevels(history, 3, 1, 0, 13, 0);  // row 2 stays 0: not plotted
    const QList<QPointF> points = history_series::SkillPoints(history, SkillMeasure::Expertise, 2, 1, 0);
    QCOMPARE(points, (QList<QPointF>{{1, 12.5}, {3, 13}}));
    QCOMPARE(history_series::SkillPoints(history, SkillMeasure::Motivation, 2, 1, 0), (QList<QPointF>{{1, 7}}));
    // Agents outside the group and slots outside the store give nothing.
    QVERIFY(history_series::SkillPoints(history, SkillMeasure::Expertise, 2, 2, 0).isEmpty());
    QVERIFY(history_series::SkillPoints(history, SkillMeasure::Expertise, 2, -1, 0).isEmpty());
    QVERIFY(history_series::SkillPoints(history, SkillMeasure::Expertise, 2, 1, davrel3::kSkillSlots).isEmpty());
    // A group size larger than the store has agents reads nothing beyond it.
    QVERIFY(history_series::SkillPoints(history, SkillMeasure::Expertise, 9, 5, 0).isEmpty());
  }

  void stepWorkPointsKeepZerosAndStopAtTheStore() {
    davrel3::RunHistory history = EmptyHistory(2);
    davrel3::RecordStepWork(history, 2, 2, 4);  // the system column of a two-agent group
    const QList<QPointF> system = history_series::StepWorkPoints(history, 2);
    QCOMPARE(system.size(), davrel3::kDefaultHistoryLength + 1);
    QCOMPARE(system[0], QPointF(0, 0));
    QCOMPARE(system[2], QPointF(2, 4));
    QVERIFY(history_series::StepWorkPoints(history, 3).isEmpty());
    QCOMPARE(history_series::CoordinationPoints(history).size(), davrel3::kDefaultHistoryLength + 1);
  }

  void agentSeriesRebuiltFollowPanelAndHistory() {
    // Two agents committed (three columns): agents 1 and 2 only, whatever the panel says.
    QCOMPARE(history_series::AgentSeriesToRebuild(6, 3, 11), (std::vector<int>{1, 2, 3}));
    QCOMPARE(history_series::AgentSeriesToRebuild(2, 3, 11), (std::vector<int>{1, 2}));
    QCOMPARE(history_series::AgentSeriesToRebuild(6, 7, 11), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    QCOMPARE(history_series::AgentSeriesToRebuild(1, 2, 11), (std::vector<int>{1, 2}));
  }

  void skillAxisReachesEveryPlottedValue() {
    using chart_ranges::Range;
    const chart_ranges::Extent none;
    QCOMPARE(chart_ranges::SkillValueRange(none, 25), (Range{0, 25}));
    QCOMPARE(chart_ranges::SkillValueRange(none, 10), (Range{0, 25}));
    QCOMPARE(chart_ranges::SkillValueRange(none, 150), (Range{0, 150}));
    const chart_ranges::Extent high = chart_ranges::ExtentOf({{{1, 3}, {2, 31.5}}, {{5, 2}}});
    QVERIFY(high.any);
    QCOMPARE(high.lastRow, 5.0);
    QCOMPARE(high.high, 31.5);
    QCOMPARE(chart_ranges::SkillValueRange(high, 25), (Range{0, 31.5}));
    QCOMPARE(chart_ranges::SkillTickInterval(25), 5.0);
    QCOMPARE(chart_ranges::SkillTickInterval(150), 50.0);
    QCOMPARE(chart_ranges::RoundsRange(none, 245), (Range{1, 245}));
    QCOMPARE(chart_ranges::RoundsRange(high, 245), (Range{1, 5}));
    // A flat performance line sits in the middle of its axis.
    QCOMPARE(chart_ranges::AutomaticRange(chart_ranges::ExtentOf({{{1, 0}, {2, 0}}})), (Range{-1, 1}));
  }

  void workTimeViewShowsOnlyWhatTheLastDrawWrote() {
    // A grid left by a six-agent draw, then laid out again for two agents and
    // one task: rows 3 .. 6 and the "Tot." of Sum and the means are stale.
    davrel3::TextGrid model(3, 11);
    for (int row = 0; row < 11; ++row) {
      for (int column = 0; column < 3; ++column) model.SetCell(column, row, "stale");
    }
    model.SetColumnCount(3);
    model.SetRowCount(7);
    const char* labels[] = {"", "1", "2", "Slow", "Sum", "MeanNoFit", "MeanFit"};
    for (int row = 0; row < 7; ++row) model.SetCell(0, row, labels[row]);
    model.SetCell(1, 0, "1");
    model.SetCell(2, 0, "Tot.");
    for (int row = 1; row <= 6; ++row) model.SetCell(1, row, std::to_string(10 + row));
    for (int row = 1; row <= 3; ++row) model.SetCell(2, row, std::to_string(20 + row));

    const davrel3::TextGrid view = work_time_view::WorkTimeView(model);
    QCOMPARE(view.ColumnCount(), 3);
    QCOMPARE(view.RowCount(), 7);
    QCOMPARE(view.Cell(0, 0), std::string());
    QCOMPARE(view.Cell(1, 1), std::string("11"));
    QCOMPARE(view.Cell(2, 3), std::string("23"));  // the Slow total
    QCOMPARE(view.Cell(1, 4), std::string("14"));  // Sum
    QCOMPARE(view.Cell(2, 4), std::string());      // Sum has no total
    QCOMPARE(view.Cell(1, 5), std::string("n/a"));
    QCOMPARE(view.Cell(1, 6), std::string("n/a"));
    QCOMPARE(view.Cell(2, 5), std::string());
    QCOMPARE(view.Cell(2, 6), std::string());
    for (const auto& row : view.RowMajor()) {
      for (const std::string& text : row) QVERIFY(text != "stale");
    }
  }

  void workTimeViewKeepsMeansFromFourAgents() {
    davrel3::TextGrid model(3, 9);
    model.SetCell(1, 7, "17");
    model.SetCell(1, 8, "18");
    const davrel3::TextGrid view = work_time_view::WorkTimeView(model);
    QCOMPARE(view.Cell(1, 7), std::string("17"));
    QCOMPARE(view.Cell(1, 8), std::string("18"));
  }

  void workTimeViewWithoutTasksHasNoAgentTotals() {
    davrel3::TextGrid model(2, 7);
    model.SetCell(1, 1, "stale");
    model.SetCell(1, 3, "0");
    const davrel3::TextGrid view = work_time_view::WorkTimeView(model);
    QCOMPARE(view.Cell(1, 1), std::string());
    QCOMPARE(view.Cell(1, 3), std::string("0"));
  }

  void windowsOpenBesideBelowOrInsideTheScreen() {
    const QRect screen(0, 0, 1366, 768);
    const QRect main(55, 47, 1094, 380);
    // No room to the right: below the main window.
    QCOMPARE(window_placement::BesideOrBelow(main, QSize(900, 340), screen), QPoint(55, 427));
    // Room to the right on a wide screen.
    QCOMPARE(window_placement::BesideOrBelow(QRect(0, 0, 500, 300), QSize(600, 400), screen), QPoint(500, 0));
    // Neither: inside the screen, right-aligned.
    const QPoint inside = window_placement::BesideOrBelow(main, QSize(900, 600), screen);
    QVERIFY(screen.contains(QRect(inside, QSize(900, 600))));
    QCOMPARE(window_placement::FitInside(QSize(1180, 900), screen), QSize(1180, 768));
    const QPoint below = window_placement::BelowInside(QRect(0, 320, 1100, 400), QSize(1180, 768), screen);
    QVERIFY(screen.contains(QRect(below, QSize(1180, 768))));

    // The chart window at 1366x768: below the main window, cut to the room
    // there, never over it; beside it on a wide screen.
    const QRect fitted = window_placement::BesideOrBelowFitted(main, QSize(1257, 400), QSize(640, 280), screen);
    QCOMPARE(fitted, QRect(55, 427, 1257, 341));
    QVERIFY(!fitted.intersects(main) && screen.contains(fitted));
    const QRect wide(0, 0, 2560, 1440);
    QCOMPARE(window_placement::BesideOrBelowFitted(main, QSize(1257, 400), QSize(640, 280), wide),
             QRect(1149, 47, 1257, 400));
    // Wider than the screen: as wide as the screen, moved left to stay in it.
    const QRect narrow = window_placement::BesideOrBelowFitted(QRect(300, 0, 900, 300), QSize(1400, 400),
                                                               QSize(640, 280), screen);
    QCOMPARE(narrow, QRect(0, 300, 1366, 400));
    // No room below: to the left when there is room there.
    const QRect left = window_placement::BesideOrBelowFitted(QRect(700, 0, 600, 600), QSize(900, 400),
                                                             QSize(640, 280), screen);
    QCOMPARE(left, QRect(0, 0, 700, 400));
    // Nowhere: the minimum height at the screen's bottom.
    const QRect last = window_placement::BesideOrBelowFitted(QRect(100, 0, 1200, 600), QSize(900, 400),
                                                             QSize(640, 280), screen);
    QCOMPARE(last, QRect(100, 488, 900, 280));
    QVERIFY(screen.contains(last));
  }

  // The layout the program opens with on the two screens it is checked on:
  // the main window's frame (1094 x 380 at 55, 47) and the chart window at
  // its opening size with its smallest size.
  void windowsAt1366x768And1920x1200() {
    const QSize mainSize(1094, 380);
    const QSize opening = TChartForm::OpeningSize();
    const QSize smallest(640, 280);
    // 1920 x 1200: the main window stays at its place, the chart window opens
    // below it at its whole opening size (the screen is not wide enough for
    // it beside).
    const QRect large(0, 0, 1920, 1200);
    const QPoint mainLarge = window_placement::LeavingRoomBelow(QPoint(55, 47), mainSize, opening.height(), large);
    QCOMPARE(mainLarge, QPoint(55, 47));
    const QRect chartLarge =
        window_placement::BesideOrBelowFitted(QRect(mainLarge, mainSize), opening, smallest, large, 47 + 340);
    QCOMPARE(chartLarge, QRect(QPoint(55, 427), opening));
    // 1366 x 768: the main window opens at the screen's top so that the chart
    // window below it has all the rest of the screen's height.
    const QRect small(0, 0, 1366, 768);
    const QPoint mainSmall = window_placement::LeavingRoomBelow(QPoint(55, 47), mainSize, opening.height(), small);
    QCOMPARE(mainSmall, QPoint(55, 0));
    const QRect chartSmall =
        window_placement::BesideOrBelowFitted(QRect(mainSmall, mainSize), opening, smallest, small, 340);
    QCOMPARE(chartSmall, QRect(55, 380, opening.width(), 388));
    QVERIFY(small.contains(chartSmall) && !chartSmall.intersects(QRect(mainSmall, mainSize)));
    // Only as far up as needed, and never off the screen's top.
    QCOMPARE(window_placement::LeavingRoomBelow(QPoint(55, 47), mainSize, 368, small), QPoint(55, 20));
    QCOMPARE(window_placement::LeavingRoomBelow(QPoint(55, 47), mainSize, 368, QRect(0, 30, 1366, 738)),
             QPoint(55, 30));
    QCOMPARE(window_placement::LeavingRoomBelow(QPoint(55, 47), mainSize, 368, QRect()), QPoint(55, 47));
  }

  // A screen too small for the smallest size beside or below: the window
  // covers only the part of the anchor below its controls.
  void tooSmallAScreenKeepsTheControlsInView() {
    const QRect screen(0, 0, 800, 600);
    const QRect main(0, 0, 800, 380);
    // 220 below the main window, its buttons end at 340: 259 at the bottom.
    const QRect placed = window_placement::BesideOrBelowFitted(main, QSize(1257, 460), QSize(640, 280), screen, 340);
    QCOMPARE(placed, QRect(0, 341, 800, 259));
    QVERIFY(screen.contains(placed));
    // With more room below the buttons, the smallest height, at the bottom.
    QCOMPARE(window_placement::BesideOrBelowFitted(main, QSize(1257, 460), QSize(640, 200), screen, 340),
             QRect(0, 380, 800, 220));
    QCOMPARE(window_placement::BesideOrBelowFitted(QRect(0, 0, 800, 500), QSize(1257, 460), QSize(640, 280), screen,
                                                   200),
             QRect(0, 320, 800, 280));
    // Buttons at the screen's bottom: the smallest height at the bottom.
    QCOMPARE(window_placement::BesideOrBelowFitted(QRect(0, 0, 800, 600), QSize(1257, 460), QSize(640, 280), screen,
                                                   599),
             QRect(0, 320, 800, 280));
  }

  // The depth axis of a 3-D view labels each series by its number, or by
  // the initials of a title without one; the legend names them in full.
  void depthLabelsAreShort() {
    QCOMPARE(ThreeDChart::DepthLabel("Skill 1"), QStringLiteral("1"));
    QCOMPARE(ThreeDChart::DepthLabel("Skill 40"), QStringLiteral("40"));
    QCOMPARE(ThreeDChart::DepthLabel("Agent 11"), QStringLiteral("11"));
    QCOMPARE(ThreeDChart::DepthLabel("System"), QStringLiteral("S"));
    QCOMPARE(ThreeDChart::DepthLabel("Coordination Time"), QStringLiteral("CT"));
    QCOMPARE(ThreeDChart::DepthLabel(""), QString());
  }
};

QTEST_APPLESS_MAIN(ChartDataTest)
#include "test_chart_data.moc"
