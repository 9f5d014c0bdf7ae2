// TChartForm, the chart window: the results of the last run on five pages.
//
//   "Expertise"        Chart1, the chosen agent's expertise per skill (40 series)
//   "Motivation"       Chart3, the chosen agent's motivation per skill (40 series)
//   "Performance"      Chart5, work time per timestep: "System",
//                      "Coordination Time", "Agent 1" ... "Agent 11"
//   "PerformanceTime"  WorkTimeGrid, work time per agent and task, and measures
//   "Allocation"       AllocationGrid, which agent performed which unit when
//
// The window owns nothing but its controls. Every draw reads the workbench's
// run history and grids as they stand, bounded by the sizes the last commit
// gave them, whatever the agent field or the parameter controls say. The
// grids show the texts the workbench computes (Workbench::DrawGrids) and the
// run writes.
//
// Data out: each chart saves as a PNG or SVG picture from its context menu
// ("Save image...", the 3-D view as PNG), each grid copies and saves as CSV
// from its own, and the top strip's "Save..." saves whatever the open page
// shows. Nothing is written but on such a command.
//
// Draw() and AgEdit1Change() throw ConversionError for a control text that is
// not a whole number, after redrawing whatever came before that read. Typing
// into the agent field reports such an error in a message box instead.
#pragma once

#include <QList>
#include <QWidget>
#include <memory>
#include <optional>

#include "chart_3d.h"
#include "chart_series_styles.h"
#include "presets/workbench.h"

class QChart;
class QCheckBox;
class QLabel;
class QLegendMarker;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QValueAxis;

class ChartView;
class StringGridView;
class TextGridModel;
class UpDown;

class TChartForm : public QWidget {
  Q_OBJECT

 public:
  explicit TChartForm(davrel3::Workbench& bench, QWidget* parent = nullptr);
  ~TChartForm() override;

  // Start-up: draws every page once on the history as it stands, then hides.
  void FormCreate();
  // Redraws all five pages for the agent in AgEdit1.
  void Draw();
  // Shows the window; if it was not visible, places it beside (or else
  // below) `mainWindow`. The first time it opens on "PerformanceTime".
  void ShowBeside(QWidget* mainWindow);

  void DrawExpertise(int agentIndex);
  void DrawMotivation(int agentIndex);
  void DrawPerformance();

  // Index of the pages of PageControl1.
  enum Page { ExpertisePage, MotivationPage, PerformancePage, PerformanceTimePage, AllocationPage };
  // The three charts, in page order.
  enum ChartId { Expertise, Motivation, Performance };

  // --- what the window shows, for its owner and its tests
  QCheckBox* ThreeDCheckBox() const { return threeDCheckBox_; }
  QLineEdit* AgEdit1() const { return agEdit1_; }
  UpDown* AgUpDown1() const { return agUpDown1_; }
  QLabel* AgentMessage() const { return agentMessage_; }
  QTabWidget* PageControl1() const { return pageControl1_; }
  QChart* Chart(ChartId id) const;
  // The series of a chart in legend order.
  const QList<QLineSeries*>& Series(ChartId id) const;
  StringGridView* WorkTimeGrid() const { return workTimeGrid_; }
  StringGridView* AllocationGrid() const { return allocationGrid_; }
  // Whether the chart's page shows its 3-D view now.
  bool ShowsThreeD(ChartId id) const;
  // The chart's 3-D view, or nullptr while the box has never been checked.
  ThreeDChart* ThreeD(ChartId id) const;
  // The 2-D view of a chart.
  ChartView* View(ChartId id) const;
  QPushButton* SaveButton() const { return saveButton_; }

 public slots:
  // Sets the spinner's maximum to NrofAg, then redraws.
  void AgEdit1Change();
  // Switches all three charts to the check box's state.
  void ThreeDCheckBoxClick();
  // "Save...": the open page's chart as a picture (PNG for the 3-D view), or
  // its grid as CSV; asks for the file name.
  void SaveOpenPage();

 private:
  struct ChartPage;

  void BuildTopStrip(QWidget* panel, class QBoxLayout* layout);
  QWidget* BuildChartPage(ChartPage& page, const QString& valueTitle, std::optional<ValueRange> fixedRange,
                          QList<SeriesStyle> styles, bool walls3d);
  QWidget* BuildWorkTimePage();
  QWidget* BuildAllocationPage();
  StringGridView* MakeGridView(davrel3::TextGrid& grid, int columnWidth);

  void DrawSkillSeries(const std::vector<std::vector<davrel3::SkillSlots>>& store, ChartId id, int agentIndex);
  void ShowAgentMessage(int agent);
  void RefreshViews();
  void ApplyRanges(ChartPage& page);
  void ResetZoom(ChartPage& page);
  void SeriesVisibilityChanged(ChartPage& page);
  void UpdateLegendMarker(QLegendMarker* marker);
  bool EnsureThreeD();
  void ReportError(const QString& message);
  void SaveThreeDImage(ChartPage& page);

  davrel3::Workbench& bench_;
  QWidget* panel1_ = nullptr;
  QCheckBox* threeDCheckBox_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QLineEdit* agEdit1_ = nullptr;
  UpDown* agUpDown1_ = nullptr;
  QLabel* agentMessage_ = nullptr;
  QTabWidget* pageControl1_ = nullptr;
  std::unique_ptr<ChartPage> pages_[3];
  StringGridView* workTimeGrid_ = nullptr;
  StringGridView* allocationGrid_ = nullptr;
  bool shownBefore_ = false;
};

