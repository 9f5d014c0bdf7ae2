// The 3-D view of one of the chart window's charts.
//
// Qt Data Visualization has no 3-D line series, so each 2-D line series
// becomes one scatter series of its colour: its points at X = history row,
// Y = value, and depth = the series' position in the legend (from 1), so the series
// stand one behind another along the depth axis "Parameter". Hidden series
// stay hidden. The view only mirrors the 2-D chart: Fill() copies what the
// line series hold, so switching back to 2-D loses nothing.
//
// The graph keeps its own mouse handling (the right button turns the
// camera); a right-click without a drag asks for the view's context menu.
//
// A 3-D graph needs OpenGL. Create a ThreeDChart only after OpenGLAvailable()
// has said yes: without a usable context the graph cannot be drawn at all.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QString>
#include <optional>

#include "chart_series_styles.h"

class QLineSeries;
class QWidget;
class Q3DScatter;
class QScatter3DSeries;

// Whether an OpenGL context can be created and made current here. Decided
// once per process; the answer does not change while the program runs.
bool OpenGLAvailable();

struct ValueRange {
  double minimum = 0;
  double maximum = 0;
};

class ThreeDChart : public QObject {
  Q_OBJECT

 signals:
  // A right-click that did not turn the camera: the place for a context menu.
  void contextMenuRequested(const QPoint& globalPos);

 public:
  // `valueTitle` titles the value axis; `fixedRange` fixes it (otherwise it
  // follows the data); `walls` shows the graph's back and side walls.
  ThreeDChart(const QString& valueTitle, std::optional<ValueRange> fixedRange, const QList<SeriesStyle>& styles,
              bool walls, QObject* parent = nullptr);
  ~ThreeDChart() override;

  // The widget that holds the graph and its legend, to be placed in a layout.
  QWidget* Widget() const { return view_; }
  // The graph itself, without its legend column.
  QWidget* GraphWidget() const { return container_; }
  // The names the legend beside the graph lists now, in order.
  const QStringList& LegendEntries() const { return entries_; }
  Q3DScatter* Graph() const { return graph_; }
  QList<QScatter3DSeries*> Series() const { return series_; }

  // Copies points, colour, title and visibility of each line series (in the
  // order of the styles given at construction) into its scatter series.
  void Fill(const QList<QLineSeries*>& lines);
  // Saves the graph as drawn now, with its legend column beside it, as a PNG
  // picture at twice the view's size (a 3-D scene has no vector form). Another suffix, or a graph that cannot
  // be rendered, is an error and writes nothing.
  bool SaveImage(const QString& path, QString* error) const;

  // Fixes the value axis to `range` from now on (the 2-D chart's axis).
  void SetValueRange(const ValueRange& range);

  // The depth axis' label of the series titled `title`: the number it ends
  // with, else the initials of its words.
  static QString DepthLabel(const QString& title);
  // The depth of the series at `position` (from 0) in the legend.
  static float DepthOf(int position);
  // The legend position (from 0) of the series at `depth`.
  static int PositionAtDepth(float depth);

 private:
  void FitRanges(const QList<QLineSeries*>& lines);
  void FillLegend();

  Q3DScatter* graph_ = nullptr;
  QWidget* container_ = nullptr;
  // Watched: the window that holds the page may delete it first.
  QPointer<QWidget> view_;
  QWidget* legend_ = nullptr;
  QStringList entries_;
  QList<QScatter3DSeries*> series_;
  std::optional<ValueRange> fixedRange_;
};
