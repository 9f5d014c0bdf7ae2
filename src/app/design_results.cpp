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
#include <QScrollArea>
#include <QTabWidget>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <vector>

#include "experiment/record.h"
#include "experiment/table_format.h"
#include "data_export.h"
#include "model/parameter_panel.h"

using davrel3::Choice;
using davrel3::TableRow;

namespace {

// What the window asks for on a large screen, and the least its contents
// need before they scroll.
constexpr QSize kPreferredSize(1180, 900);
constexpr QSize kMinimumContents(760, 520);
// Title bar and borders of a window not yet shown.
constexpr QSize kFrameAllowance(16, 40);

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
  int decimals = 2;
  if (column < firstMeasure) {
    const int agent = column - kLeadColumns;
    if (agent >= static_cast<int>(row.agentTimes.size())) return {};
    value = row.agentTimes[static_cast<std::size_t>(agent)];
  } else if (column < firstMeasure + 4) {
    const double measures[] = {row.slow, row.sum, row.meanNoFit, row.meanFit};
    value = measures[column - firstMeasure];
  } else {
    const std::optional<double> labour[] = {row.dol, row.dolBefore, row.dolAfter};
    const int which = column - firstMeasure - 4;
    if (which >= 3 || !labour[which]) return {};
    value = *labour[which];
    decimals = 3;
  }
  if (role == Qt::DisplayRole) return QString::number(value, 'f', decimals);
  return QString::fromStdString(davrel3::ShortestNumber(value));
}

QVariant DesignResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  static const char* const kLead[] = {"Fit", "Newcomer", "Skills", "Task", "Status", "Timesteps"};
  static const char* const kMeasures[] = {"Slow", "Sum", "MeanNoFit", "MeanFit", "dol", "dol_before", "dol_after"};
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

  auto* labourChart = new QChart;
  labourChart->setTitle("Division of labour before and after the entrance per condition "
                        "(mean over the condition's tasks; no bar: undefined)");
  labourChart->legend()->setAlignment(Qt::AlignTop);
  labourChart->setAnimationOptions(QChart::NoAnimation);
  labourBars_ = new QBarSeries(labourChart);
  labourChart->addSeries(labourBars_);
  labourView_ = new QChartView(labourChart, this);
  labourView_->setObjectName("DesignLabourChart");
  labourView_->setRenderHint(QPainter::Antialiasing);
  labourView_->setMinimumHeight(260);
  data_export::InstallChartExportMenu(labourView_);

  charts_ = new QTabWidget(this);
  charts_->setObjectName("DesignCharts");
  charts_->addTab(chartView_, "Slow and Sum");
  charts_->addTab(labourView_, "Division of labour");

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(table_);
  splitter->addWidget(charts_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  splitter->setChildrenCollapsible(false);
  table_->setMinimumHeight(160);
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
  saveImageButton_->setToolTip("Save the chart on the open tab as a PNG picture or an SVG drawing");
  connect(copyButton_, &QPushButton::clicked, this, [this] { Copy(); });
  connect(saveCsvButton_, &QPushButton::clicked, this, [this] { AskAndSaveCsv(); });
  connect(saveImageButton_, &QPushButton::clicked, this, [this] { AskAndSaveImage(); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(summary_, 1);
  buttons->addWidget(copyButton_);
  buttons->addWidget(saveCsvButton_);
  buttons->addWidget(saveImageButton_);

  // Everything in a scroll area: on a screen smaller than the contents'
  // minimum the window still fits and scrolls.
  auto* contents = new QWidget;
  auto* inner = new QVBoxLayout(contents);
  inner->addLayout(buttons);
  inner->addWidget(splitter, 1);
  contents->setMinimumSize(kMinimumContents);
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName("DesignScroll");
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidgetResizable(true);
  scroll_->setWidget(contents);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
  resize(kPreferredSize);
}

void DesignResultsWindow::FitInto(const QRect& room, QPoint wanted) {
  if (room.isEmpty()) {
    move(wanted);
    return;
  }
  // Before the window is first shown its frame is not known: allow for a
  // title bar and borders, or the frame it has if that is larger.
  const QSize frame = (isVisible() ? frameGeometry().size() - size() : QSize()).expandedTo(kFrameAllowance);
  const QSize fits = (room.size() - frame).expandedTo(QSize(200, 150));
  resize(kPreferredSize.boundedTo(fits));
  const QSize outer = size() + frame;
  wanted.setX(std::clamp(wanted.x(), room.left(), std::max(room.left(), room.right() - outer.width() + 1)));
  wanted.setY(std::clamp(wanted.y(), room.top(), std::max(room.top(), room.bottom() - outer.height() + 1)));
  move(wanted);
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
  FillLabourChart();
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

void DesignResultsWindow::FillLabourChart() {
  QChart* chart = labourView_->chart();
  labourBars_->clear();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  // Per condition the mean over its tasks that have the value.
  QStringList categories;
  struct Mean {
    double sum = 0;
    int count = 0;
  };
  std::vector<Mean> before, after;
  const TableRow* previous = nullptr;
  for (const TableRow& row : model_->Result().rows) {
    if (!(previous && previous->run == row.run)) {
      categories << ConditionLabel(row);
      before.emplace_back();
      after.emplace_back();
    }
    if (row.dolBefore) {
      before.back().sum += *row.dolBefore;
      before.back().count += 1;
    }
    if (row.dolAfter) {
      after.back().sum += *row.dolAfter;
      after.back().count += 1;
    }
    previous = &row;
  }
  auto* beforeSet = new QBarSet("dol_before");
  auto* afterSet = new QBarSet("dol_after");
  for (std::size_t i = 0; i < before.size(); ++i) {
    beforeSet->append(before[i].count > 0 ? before[i].sum / before[i].count : 0.0);
    afterSet->append(after[i].count > 0 ? after[i].sum / after[i].count : 0.0);
  }
  labourBars_->append(beforeSet);
  labourBars_->append(afterSet);
  auto* categoryAxis = new QBarCategoryAxis;
  categoryAxis->append(categories);
  chart->addAxis(categoryAxis, Qt::AlignBottom);
  labourBars_->attachAxis(categoryAxis);
  auto* valueAxis = new QValueAxis;
  valueAxis->setTitleText("Division of labour");
  valueAxis->setRange(0, 1);
  valueAxis->setTickCount(6);
  valueAxis->setLabelFormat("%.1f");
  chart->addAxis(valueAxis, Qt::AlignLeft);
  labourBars_->attachAxis(valueAxis);
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
  return data_export::SaveChartImage(charts_->currentWidget(), path, error);
}

void DesignResultsWindow::Copy() const { data_export::CopyText(TabText()); }

void DesignResultsWindow::AskAndSaveCsv() {
  const QString path = data_export::AskSavePath(this, "Save CSV", "design.csv", {"CSV table (*.csv)"});
  if (path.isEmpty()) return;
  QString error;
  if (!SaveCsv(path, &error)) data_export::ReportSaveError(this, error);
}

void DesignResultsWindow::AskAndSaveImage() {
  const QString suggested = charts_->currentWidget() == labourView_ ? "design-labour.png" : "design-chart.png";
  const QString path = data_export::AskSavePath(this, "Save image", suggested,
                                                {"PNG picture (*.png)", "SVG drawing (*.svg)"});
  if (path.isEmpty()) return;
  QString error;
  if (!SaveImage(path, &error)) data_export::ReportSaveError(this, error);
}
