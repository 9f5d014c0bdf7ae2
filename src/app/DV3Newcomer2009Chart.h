// TChartForm, the chart window: the results of the last run on six pages.
//
//   "Expertise"        Chart1, the chosen agent's expertise per skill (40 series)
//   "Motivation"       Chart3, the chosen agent's motivation per skill (40 series)
//   "Performance"      Chart5, work time per timestep: "System",
//                      "Coordination Time", "Agent 1" ... "Agent 11"
//   "PerformanceTime"  WorkTimeGrid, work time per agent and task, and measures
//   "Allocation"       AllocationGrid, which agent performed which unit when
//   "Division of labour" LabourPage: the index over the run, the allocation
//                      map and each agent's shares before and after the entrance
//
// The window owns nothing but its controls: the three chart pages
// (ChartPage), the work-time page (WorkTimePage) and the allocation page
// (AllocationPage) below a top strip with the "3d" box, "Save..." and the
// agent field. Every draw reads the workbench's run history and grids as they
// stand, bounded by the sizes the last commit gave them, whatever the agent
// field or the parameter controls say; the points come from the pure
// functions of history_series.
//
// Data out: each chart saves as a PNG or SVG picture from its context menu
// ("Save image...", the 3-D view as PNG), each grid copies and saves as CSV
// from its own, and the top strip's "Save..." saves whatever the open page
// shows. Nothing is written but on such a command.
//
// Draw() and AgEdit1Change() throw ConversionError for a control text that is
// not a whole number, after redrawing whatever came before that read. The
// agent field takes a typed text on Enter or when the focus leaves it, and a
// spinner step at once; it reports such an error in a message box instead.
#pragma once

#include <QList>
#include <QWidget>
#include <array>
#include <memory>

#include "chart_page.h"
#include "presets/workbench.h"

class AllocationPage;
class LabourPage;
class QChart;
class QCheckBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QTabWidget;
class StringGridView;
class UpDown;
class WorkTimePage;

class TChartForm : public QWidget {
  Q_OBJECT

 public:
  explicit TChartForm(davrel3::Workbench& bench, QWidget* parent = nullptr);
  ~TChartForm() override;

  // Start-up: draws every page once on the history as it stands, then hides.
  void FormCreate();
  // Redraws all five pages for the agent in AgEdit1.
  void Draw();
  // Shows the window; if it was not visible, sizes and places it beside (or
  // else below) `mainWindow`, inside the screen's available area, clear of
  // the main window where the screen has room and never over its buttons
  // (window_placement::BesideOrBelowFitted). The first time it opens on
  // "PerformanceTime".
  void ShowBeside(QWidget* mainWindow);

  // The size the window opens at when the screen has room for it: the whole
  // of every page, chart and legend.
  static QSize OpeningSize();

  void DrawExpertise(int agentIndex);
  void DrawMotivation(int agentIndex);
  void DrawPerformance();

  // Index of the pages of PageControl1.
  enum Page { ExpertisePage, MotivationPage, PerformancePage, PerformanceTimePage, AllocationPage,
              DivisionOfLabourPage };
  // The three charts, in page order.
  enum ChartId { Expertise, Motivation, Performance };

  // --- what the window shows, for its owner and its tests
  QCheckBox* ThreeDCheckBox() const { return threeDCheckBox_; }
  QLineEdit* AgEdit1() const { return agEdit1_; }
  UpDown* AgUpDown1() const { return agUpDown1_; }
  QLabel* AgentMessage() const { return agentMessage_; }
  QTabWidget* PageControl1() const { return pageControl1_; }
  ChartPage& ChartPageOf(ChartId id) const { return *pages_[id]; }
  QChart* Chart(ChartId id) const { return pages_[id]->Chart(); }
  // The series of a chart in legend order.
  const QList<QLineSeries*>& Series(ChartId id) const { return pages_[id]->Series(); }
  StringGridView* WorkTimeGrid() const;
  StringGridView* AllocationGrid() const;
  WorkTimePage* WorkTime() const { return workTimePage_; }
  ::LabourPage* Labour() const { return labourPage_; }
  // Whether the chart's page shows its 3-D view now.
  bool ShowsThreeD(ChartId id) const { return pages_[id]->ShowsThreeD(); }
  // The chart's 3-D view, or nullptr while the box has never been checked.
  ThreeDChart* ThreeD(ChartId id) const { return pages_[id]->ThreeD(); }
  // The 2-D view of a chart.
  ChartView* View(ChartId id) const { return pages_[id]->View(); }
  QPushButton* SaveButton() const { return saveButton_; }
  // How the run the window shows ended ("Last run: stalled, 10245 timesteps").
  QLabel* RunSummary() const { return runSummary_; }
  void SetRunSummary(const QString& text);

 public slots:
  // Sets the spinner's maximum to NrofAg, then redraws.
  void AgEdit1Change();
  // AgEdit1Change for the agent field's text, reporting a bad text in a box.
  void TakeAgentText();
  // Switches all three charts to the check box's state.
  void ThreeDCheckBoxClick();
  // "Save...": the open page's chart as a picture (PNG for the 3-D view), or
  // its grid as CSV; asks for the file name.
  void SaveOpenPage();

 private:
  QLayout* BuildTopStrip(QWidget* panel);
  QLayout* BuildMessageLine(QWidget* panel);
  void ShowAgentMessage(int agent);
  void RefreshViews();
  void ReportError(const QString& message);

  davrel3::Workbench& bench_;
  QWidget* panel1_ = nullptr;
  QCheckBox* threeDCheckBox_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QLineEdit* agEdit1_ = nullptr;
  UpDown* agUpDown1_ = nullptr;
  QLabel* agentMessage_ = nullptr;
  QLabel* runSummary_ = nullptr;
  QTabWidget* pageControl1_ = nullptr;
  std::array<ChartPage*, 3> pages_{};
  WorkTimePage* workTimePage_ = nullptr;
  ::AllocationPage* allocationPage_ = nullptr;
  ::LabourPage* labourPage_ = nullptr;
  bool shownBefore_ = false;
};
