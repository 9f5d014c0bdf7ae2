// The chart window's "Division of labour" page: how the group divides its
// work over the run and around the newcomer's entrance, in three figures
// side by side:
//
//   the index line   the division-of-labour index over the last W timesteps
//                    at every timestep (W from the "Window" box, 20 at
//                    start), with the entrance marked by a vertical line;
//   the map          the allocation grid as a picture, each performed unit a
//                    cell in its agent's colour (AllocationMapView), with the
//                    legend of agent colours;
//   the shares       per agent, its share of units per skill before and
//                    after the entrance, as stacked bars.
//
// The numbers come from labour_figures, read from the workbench's counted
// division of labour by Refresh. Each figure saves its picture (PNG or SVG)
// and its numbers (CSV) from its context menu; Save() writes the page's
// picture or any of the three tables, the chart window's "Save..." asks
// which.
#pragma once

#include <QString>
#include <QWidget>

#include "labour_figures.h"
#include "model/model_state.h"

class AllocationMapView;
class QBarCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QSpinBox;
class QStackedBarSeries;

class LabourPage : public QWidget {
  Q_OBJECT

 public:
  // What Save writes.
  enum class Content { Picture, IndexTable, MapTable, SharesTable };

  explicit LabourPage(const davrel3::ModelState& state, QWidget* parent = nullptr);

  // After a draw or a run: every figure rebuilt from the state as it stands.
  void Refresh();

  QSpinBox* WindowBox() const { return windowBox_; }
  QChartView* IndexView() const { return indexView_; }
  QLineSeries* IndexSeries() const { return indexSeries_; }
  // The vertical entrance lines, one per task that reached the entrance.
  const QList<QLineSeries*>& EntranceSeries() const { return entranceSeries_; }
  AllocationMapView* MapView() const { return mapView_; }
  QWidget* MapLegend() const { return mapLegend_; }
  QChartView* SharesView() const { return sharesView_; }
  QStackedBarSeries* SharesSeries() const { return sharesSeries_; }
  // The categories of the bars, in order: agent a before, agent a after, ...
  const QStringList& SharesCategories() const { return categories_; }
  const labour_figures::SkillShares& Shares() const { return shares_; }
  const std::vector<labour_figures::IndexPoint>& Line() const { return line_; }

  // Writes `content` to `path` (a picture as .png or .svg, a table as CSV).
  // False with the reason in *error when nothing could be written.
  bool Save(Content content, const QString& path, QString* error) const;
  // Asks for a file name and what to save, then saves; reports a failure.
  void AskAndSave();

  // The most agents the bars show, and the most skill groups.
  static constexpr int kMaxBarAgents = 12;
  static constexpr int kMaxSkillGroups = 24;

 private:
  void BuildIndexChart();
  void BuildSharesChart();
  void RefreshIndex();
  void RefreshMapLegend();
  void RefreshShares();
  void InstallMenu(QWidget* figure, Content table, const QString& name);

  const davrel3::ModelState& state_;
  QSpinBox* windowBox_ = nullptr;
  QLabel* note_ = nullptr;
  QWidget* figures_ = nullptr;
  QChart* indexChart_ = nullptr;
  QChartView* indexView_ = nullptr;
  QLineSeries* indexSeries_ = nullptr;
  QList<QLineSeries*> entranceSeries_;
  AllocationMapView* mapView_ = nullptr;
  QWidget* mapBox_ = nullptr;
  QWidget* mapLegend_ = nullptr;
  QChart* sharesChart_ = nullptr;
  QChartView* sharesView_ = nullptr;
  QStackedBarSeries* sharesSeries_ = nullptr;
  QBarCategoryAxis* sharesCategories_ = nullptr;
  QStringList categories_;
  std::vector<labour_figures::IndexPoint> line_;
  labour_figures::SkillShares shares_;
};
