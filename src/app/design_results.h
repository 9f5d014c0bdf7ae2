// The "Design results" window: the rows of a design run (one per condition
// and task) in a table, and two bar charts across the 18 conditions, on two
// tabs: "Slow" and "Sum", and the division of labour before and after the
// newcomer's entrance (dol_before, dol_after).
//
// The table shows times to two decimals and the division-of-labour index to
// three (an empty cell where it is undefined); "Copy" and "Save CSV..." write the
// full values, in the very text davrel3-batch --design prints for the same
// parameters, so a table saved here and one scripted with the runner can be
// compared byte for byte. "Save image..." (also in each chart's context
// menu) saves the chart on the open tab as PNG or SVG.
//
// The window takes its size from the screen it opens on (FitInto), and its
// contents scroll when the screen is smaller than they need.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include "design_runner.h"

class QBarSeries;
class QChartView;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTableView;

class DesignResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit DesignResultsModel(QObject* parent = nullptr);

  void SetResult(const DesignResult& result);
  const DesignResult& Result() const { return result_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  // DisplayRole: two decimals (the index: three); ToolTipRole and EditRole:
  // the full value. An undefined index is an empty cell.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  // Columns before the agents': fit, newcomer, skills, task, status, timesteps.
  static constexpr int kLeadColumns = 6;
  // slow, sum, mean_nofit, mean_fit, dol, dol_before, dol_after
  static constexpr int kMeasureColumns = 7;

  DesignResult result_;
};

class DesignResultsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit DesignResultsWindow(QWidget* parent = nullptr);

  void SetResult(const DesignResult& result);

  DesignResultsModel* Model() const { return model_; }
  QTableView* Table() const { return table_; }
  QChartView* ChartView() const { return chartView_; }
  QBarSeries* Bars() const { return bars_; }
  // The dol_before / dol_after chart: one bar pair per condition, the mean
  // over the condition's tasks that have the value; no bar where none has.
  QChartView* LabourChartView() const { return labourView_; }
  QBarSeries* LabourBars() const { return labourBars_; }
  QTabWidget* Charts() const { return charts_; }
  QScrollArea* Scroll() const { return scroll_; }

  // Sizes the window to fit `room` (a screen's available geometry) with its
  // frame, at most its preferred size, and moves it as near `wanted` (the
  // frame's top left) as it fits.
  void FitInto(const QRect& room, QPoint wanted);

  // The runner's CSV text; the same with tabs for the clipboard.
  QString CsvText() const;
  QString TabText() const;

  // The commands behind the buttons, without their dialogs. False with the
  // reason in *error when the file cannot be written.
  bool SaveCsv(const QString& path, QString* error) const;
  bool SaveImage(const QString& path, QString* error) const;
  void Copy() const;

 private:
  void FillChart();
  void FillLabourChart();
  void AskAndSaveCsv();
  void AskAndSaveImage();

  DesignResultsModel* model_;
  QLabel* summary_;
  QTableView* table_;
  QChartView* chartView_;
  QBarSeries* bars_;
  QChartView* labourView_;
  QBarSeries* labourBars_;
  QTabWidget* charts_;
  QScrollArea* scroll_;
  QPushButton* copyButton_;
  QPushButton* saveCsvButton_;
  QPushButton* saveImageButton_;
};
