// One chart page of the chart window ("Expertise", "Motivation",
// "Performance"): the chart with its "Rounds" and value axes and its line
// series in legend order, the view that shows it in 2-D, and the 3-D view
// once it has been asked for, stacked so the page shows one of the two.
//
// The page keeps the axes in step with what its shown series hold (the
// ranges of chart_ranges), greys the legend entry of a hidden series (a click
// on an entry, or on the series in the "Show series" context menu, shows or
// hides it) and mirrors every change into the 3-D view.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

#include "chart_3d.h"
#include "chart_series_styles.h"

class ChartView;
class QChart;
class QFont;
class QLegendMarker;
class QLineSeries;
class QMenu;
class QStackedWidget;
class QValueAxis;
class QWidget;

class ChartPage : public QObject {
  Q_OBJECT

 public:
  // How the value axis runs: from 0 to at least 25 and the committed maximum
  // (expertise, motivation), or following the data (performance).
  enum class ValueAxis { SkillLevel, Automatic };

  ChartPage(const QString& valueTitle, ValueAxis valueAxis, QList<SeriesStyle> styles, bool walls3d,
            const QFont& font, const QColor& legendColour, QWidget* dialogParent);
  ~ChartPage() override;

  // The stacked 2-D and 3-D views, for the page's tab.
  QWidget* Widget() const;
  QChart* Chart() const { return chart_; }
  ChartView* View() const { return view_; }
  QValueAxis* RoundsAxis() const { return rounds_; }
  QValueAxis* ValuesAxis() const { return values_; }
  const QList<QLineSeries*>& Series() const { return series_; }
  const QString& ValueTitle() const { return valueTitle_; }

  // The maximum the last commit gave the plotted quantity (ExpMax, MotMax);
  // the value axis reaches at least this far.
  void SetCommittedMaximum(double maximum) { committedMaximum_ = maximum; }
  // Whether series `series` stands for something the committed group has
  // (an agent or a skill of the group). An absent series is neither drawn nor in the
  // legend, in 2-D and 3-D; its points stay, and it comes back as the user
  // left it (shown or hidden) once it is present again.
  void SetPresent(int series, bool present);
  bool IsPresent(int series) const { return present_.value(series, true); }
  // Shows a hidden series or hides a shown one, as a click on its legend
  // entry does. The "Show series" menu lists the present series, checked
  // where shown; it is rebuilt each time it opens.
  void ToggleSeries(int series);
  QMenu* SeriesMenu() const { return seriesMenu_; }
  // Replaces the points of a series, in one colour.
  void SetPoints(int series, const QList<QPointF>& points);
  // Axes after the points changed; `historyLength` ends the rounds axis while
  // no shown series has a point.
  void Refresh(int historyLength);

  // Creates the 3-D view if OpenGL allows; false if it cannot be made.
  bool EnsureThreeD();
  void ShowThreeD(bool threeD);
  bool ShowsThreeD() const;
  ThreeDChart* ThreeD() const { return threeD_.get(); }
  // Asks for a PNG name and saves the 3-D view; reports a failure.
  void SaveThreeDImage();

 private:
  void ApplyRanges();
  void ResetZoom();
  void SeriesVisibilityChanged();
  void UpdateLegend();
  void UpdateLegendMarker(QLegendMarker* marker);
  void FillSeriesMenu();

  QString valueTitle_;
  ValueAxis valueAxis_;
  QList<SeriesStyle> styles_;
  bool walls3d_;
  QWidget* dialogParent_;
  QChart* chart_ = nullptr;
  ChartView* view_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QMenu* seriesMenu_ = nullptr;
  QValueAxis* rounds_ = nullptr;
  QValueAxis* values_ = nullptr;
  QList<QLineSeries*> series_;
  // Per series: present in the group; shown as the user (or the start) wants.
  QList<bool> present_;
  QList<bool> wanted_;
  std::unique_ptr<ThreeDChart> threeD_;
  double committedMaximum_ = 0;
  int historyLength_ = 0;
};
