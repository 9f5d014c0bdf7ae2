// The "Design results" window: the rows of a design run (one per condition
// and task) in a table, and a bar chart comparing "Slow" and "Sum" across the
// 18 conditions.
//
// The table shows numbers to two decimals; "Copy" and "Save CSV..." write the
// full values, in the very text davrel3-batch --design prints for the same
// parameters, so a table saved here and one scripted with the runner can be
// compared byte for byte. "Save image..." (also in the chart's context menu)
// saves the chart as PNG or SVG.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include "design_runner.h"

class QBarSeries;
class QChartView;
class QLabel;
class QPushButton;
class QTableView;

class DesignResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit DesignResultsModel(QObject* parent = nullptr);

  void SetResult(const DesignResult& result);
  const DesignResult& Result() const { return result_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  // DisplayRole: two decimals; ToolTipRole and EditRole: the full value.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  // Columns before the agents': fit, newcomer, skills, task, status, timesteps.
  static constexpr int kLeadColumns = 6;
  static constexpr int kMeasureColumns = 4;

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
  void AskAndSaveCsv();
  void AskAndSaveImage();

  DesignResultsModel* model_;
  QLabel* summary_;
  QTableView* table_;
  QChartView* chartView_;
  QBarSeries* bars_;
  QPushButton* copyButton_;
  QPushButton* saveCsvButton_;
  QPushButton* saveImageButton_;
};
