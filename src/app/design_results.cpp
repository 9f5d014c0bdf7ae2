#include "design_results.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

#include "experiment/record.h"
#include "experiment/table_format.h"
#include "data_export.h"
#include "model/parameter_panel.h"

using davrel3::Choice;
using davrel3::TableRow;

namespace {

QString ItemText(Choice choice, int index) {
  if (index < 0 || index >= davrel3::ChoiceItemCount(choice)) return {};
  const std::string_view item = davrel3::ChoiceItems(choice)[index];
  return QString::fromUtf8(item.data(), static_cast<int>(item.size()));
}

// The condition as the chart's category axis shows it, one item per line.
// The axis cuts labels wider than a short word, so the two long newcomer
// items are abbreviated ("Spec.", "Gen."); the table spells them out.
QString ConditionLabel(const TableRow& row) {
  const int item = row.Item(Choice::Newcomer);
  QString newcomer = ItemText(Choice::Newcomer, item);
  if (item == 1) newcomer = "Spec.";
  if (item == 2) newcomer = "Gen.";
  return ItemText(Choice::FitNoFit, row.Item(Choice::FitNoFit)) + "<br>" + newcomer + "<br>" +
         ItemText(Choice::HiLo, row.Item(Choice::HiLo));
}

}  // namespace

// ------------------------------------------------------------------ model

DesignResultsModel::DesignResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

void DesignResultsModel::SetResult(const DesignResult& result) {
  beginResetModel();
  result_ = result;
  endResetModel();
}

int DesignResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(result_.rows.size());
}

int DesignResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kLeadColumns + result_.agents + kMeasureColumns;
}

QVariant DesignResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TableRow& row = result_.rows[static_cast<std::size_t>(index.row())];
  const int column = index.column();
  const int firstMeasure = kLeadColumns + result_.agents;
  const bool numeric = column >= 3;
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(numeric ? (Qt::AlignRight | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::EditRole) return {};

  switch (column) {
    case 0:
      return ItemText(Choice::FitNoFit, row.Item(Choice::FitNoFit));
    case 1:
      return ItemText(Choice::Newcomer, row.Item(Choice::Newcomer));
    case 2:
      return ItemText(Choice::HiLo, row.Item(Choice::HiLo));
    case 4:
    {
      // The tooltip says why a run did not finish.
      if (role == Qt::ToolTipRole && !row.message.empty()) return QString::fromStdString(row.message);
      const std::string_view status = davrel3::RunStatusName(row.status);
      return QString::fromUtf8(status.data(), static_cast<int>(status.size()));
    }
    default:
      break;
  }
  // A run without tasks (refused, or no task) has no numbers.
  if (row.task == 0) return {};
  if (column == 3) return row.task;
  if (column == 5) return row.timesteps;

  double value = 0;
  if (column < firstMeasure) {
    const int agent = column - kLeadColumns;
    if (agent >= static_cast<int>(row.agentTimes.size())) return {};
    value = row.agentTimes[static_cast<std::size_t>(agent)];
  } else {
    const double measures[] = {row.slow, row.sum, row.meanNoFit, row.meanFit};
    value = measures[column - firstMeasure];
  }
  if (role == Qt::DisplayRole) return QString::number(value, 'f', 2);
  return QString::fromStdString(davrel3::ShortestNumber(value));
}

QVariant DesignResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  static const char* const kLead[] = {"Fit", "Newcomer", "Skills", "Task", "Status", "Timesteps"};
  static const char* const kMeasures[] = {"Slow", "Sum", "MeanNoFit", "MeanFit"};
  if (section < kLeadColumns) return QString(kLead[section]);
  if (section < kLeadColumns + result_.agents) return QString("Agent %1").arg(section - kLeadColumns + 1);
  const int measure = section - kLeadColumns - result_.agents;
  return measure < kMeasureColumns ? QVariant(QString(kMeasures[measure])) : QVariant();
}

// ------------------------------------------------------------------ window

DesignResultsWindow::DesignResultsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("DesignResults");
  setWindowTitle("Design results");

  model_ = new DesignResultsModel(this);
  summary_ = new QLabel(this);
  summary_->setObjectName("DesignSummary");
  summary_->setWordWrap(true);

  table_ = new QTableView(this);
  table_->setObjectName("DesignTable");
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);

  auto* chart = new QChart;
  chart->setTitle("Slow and Sum per condition (totals over the condition's tasks)");
  chart->legend()->setAlignment(Qt::AlignTop);
  chart->setAnimationOptions(QChart::NoAnimation);
  bars_ = new QBarSeries(chart);
  chart->addSeries(bars_);
  chartView_ = new QChartView(chart, this);
  chartView_->setObjectName("DesignChart");
  chartView_->setRenderHint(QPainter::Antialiasing);
  chartView_->setMinimumHeight(260);
  data_export::InstallChartExportMenu(chartView_);

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(table_);
  splitter->addWidget(chartView_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  splitter->setChildrenCollapsible(false);
  // The table's 18 rows in view, the chart tall enough for its axis titles.
  splitter->setSizes({420, 440});

  copyButton_ = new QPushButton("Copy", this);
  copyButton_->setObjectName("CopyButton");
  copyButton_->setToolTip("Copy the table to the clipboard, tab-separated, with full precision");
  saveCsvButton_ = new QPushButton("Save CSV...", this);
  saveCsvButton_->setObjectName("SaveCsvButton");
  saveCsvButton_->setToolTip("Save the table as davrel3-batch --design prints it for these parameters");
  saveImageButton_ = new QPushButton("Save image...", this);
  saveImageButton_->setObjectName("SaveImageButton");
  saveImageButton_->setToolTip("Save the chart as a PNG picture or an SVG drawing");
  connect(copyButton_, &QPushButton::clicked, this, [this] { Copy(); });
  connect(saveCsvButton_, &QPushButton::clicked, this, [this] { AskAndSaveCsv(); });
  connect(saveImageButton_, &QPushButton::clicked, this, [this] { AskAndSaveImage(); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(summary_, 1);
  buttons->addWidget(copyButton_);
  buttons->addWidget(saveCsvButton_);
  buttons->addWidget(saveImageButton_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(splitter, 1);
  resize(1180, 900);
}

void DesignResultsWindow::SetResult(const DesignResult& result) {
  model_->SetResult(result);
  table_->resizeColumnsToContents();
  int refused = 0;
  for (const TableRow& row : result.rows) refused += row.status != davrel3::RunStatus::Finished;
  QString summary = QString("%1 conditions, %2 rows, from the parameters on the main window when the design "
                            "was started.")
                        .arg(DesignRunner::Conditions())
                        .arg(result.rows.size());
  if (refused > 0) summary += QString(" %1 rows did not finish: see their status.").arg(refused);
  summary_->setText(summary);
  FillChart();
}

void DesignResultsWindow::FillChart() {
  QChart* chart = chartView_->chart();
  bars_->clear();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  // One bar pair per condition: a condition of several tasks shows its totals,
  // as the work-time table's "Tot." column sums the unrounded values.
  QStringList categories;
  QList<qreal> slow, sum;
  const TableRow* previous = nullptr;
  for (const TableRow& row : model_->Result().rows) {
    const bool sameCondition = previous && previous->run == row.run;
    if (!sameCondition) {
      categories << ConditionLabel(row);
      slow << 0;
      sum << 0;
    }
    if (row.task != 0) {
      slow.back() += row.slow;
      sum.back() += row.sum;
    }
    previous = &row;
  }
  auto* slowSet = new QBarSet("Slow");
  slowSet->append(slow);
  auto* sumSet = new QBarSet("Sum");
  sumSet->append(sum);
  bars_->append(slowSet);
  bars_->append(sumSet);

  auto* categoryAxis = new QBarCategoryAxis;
  categoryAxis->append(categories);
  chart->addAxis(categoryAxis, Qt::AlignBottom);
  bars_->attachAxis(categoryAxis);
  auto* valueAxis = new QValueAxis;
  valueAxis->setTitleText("Performance time");
  valueAxis->setLabelFormat("%.0f");
  double top = 0;
  for (qreal v : sum) top = std::max(top, double(v));
  for (qreal v : slow) top = std::max(top, double(v));
  valueAxis->setRange(0, top > 0 ? top * 1.05 : 1);
  valueAxis->applyNiceNumbers();
  chart->addAxis(valueAxis, Qt::AlignLeft);
  bars_->attachAxis(valueAxis);
}

QString DesignResultsWindow::CsvText() const { return QString::fromStdString(model_->Result().CsvText()); }

QString DesignResultsWindow::TabText() const {
  // The same cells, tab-separated; a tab or line break inside a cell (a
  // message) becomes a space so every line stays one row.
  const DesignResult& result = model_->Result();
  auto line = [](const std::vector<std::string>& cells) {
    QStringList parts;
    for (const auto& cell : cells) {
      QString text = QString::fromStdString(cell);
      text.replace('\t', ' ').replace('\n', ' ').replace('\r', ' ');
      parts << text;
    }
    return parts.join('\t') + '\n';
  };
  QString text = line(davrel3::TableColumns(result.agents));
  for (const TableRow& row : result.rows) text += line(davrel3::TableRowCells(row, result.agents));
  return text;
}

bool DesignResultsWindow::SaveCsv(const QString& path, QString* error) const {
  if (!data_export::SaveText(path, CsvText(), error)) return false;
  // The manifest beside the table, as the runner's --output writes it.
  const QFileInfo info(path);
  const std::string tablePath = QFile::encodeName(info.absoluteFilePath()).toStdString();
  const std::string tableName = QFile::encodeName(info.fileName()).toStdString();
  if (auto problem = davrel3::WriteManifest(tablePath, model_->Result().Manifest(tableName))) {
    if (error) *error = QString::fromStdString(*problem);
    return false;
  }
  return true;
}

bool DesignResultsWindow::SaveImage(const QString& path, QString* error) const {
  return data_export::SaveChartImage(chartView_, path, error);
}

void DesignResultsWindow::Copy() const { data_export::CopyText(TabText()); }

void DesignResultsWindow::AskAndSaveCsv() {
  const QString path = data_export::AskSavePath(this, "Save CSV", "design.csv", {"CSV table (*.csv)"});
  if (path.isEmpty()) return;
  QString error;
  if (!SaveCsv(path, &error)) data_export::ReportSaveError(this, error);
}

void DesignResultsWindow::AskAndSaveImage() {
  const QString path = data_export::AskSavePath(this, "Save image", "design-chart.png",
                                                {"PNG picture (*.png)", "SVG drawing (*.svg)"});
  if (path.isEmpty()) return;
  QString error;
  if (!SaveImage(path, &error)) data_export::ReportSaveError(this, error);
}
