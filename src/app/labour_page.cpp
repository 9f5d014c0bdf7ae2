#include "labour_page.h"

#include <QAction>
#include <QBoxLayout>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QLabel>
#include <QSpinBox>
#include <QSplitter>
#include <QToolButton>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <tuple>

#include "allocation_map_view.h"
#include "chart_view.h"
#include "data_export.h"

namespace {

constexpr int kDefaultWindow = 20;

QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel* Title(const QString& text, QWidget* parent) {
  QLabel* label = PlainLabel(text, parent);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

void PlainChart(QChart* chart, const QFont& font) {
  chart->setBackgroundBrush(Qt::white);
  chart->setBackgroundRoundness(0);
  chart->setMargins(QMargins(0, 0, 0, 0));
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->setFont(font);
  chart->setFont(font);
}

// The colour of skill group g in the bars: hues around the circle, every
// other one darker, so neighbours differ.
QColor SkillColour(int g) {
  const int hue = (g * 137) % 360;
  return QColor::fromHsv(hue, 170, g % 2 == 0 ? 230 : 160);
}

QString TableName(LabourPage::Content content) {
  switch (content) {
    case LabourPage::Content::IndexTable:
      return QStringLiteral("labour-index");
    case LabourPage::Content::MapTable:
      return QStringLiteral("allocation-map");
    case LabourPage::Content::SharesTable:
      return QStringLiteral("labour-shares");
    case LabourPage::Content::Picture:
      break;
  }
  return QStringLiteral("division-of-labour");
}

}  // namespace

LabourPage::LabourPage(const davrel3::ModelState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QStringLiteral("LabourPage"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->setSpacing(2);

  auto* controls = new QHBoxLayout;
  controls->addWidget(PlainLabel(tr("Window"), this));
  windowBox_ = new QSpinBox(this);
  windowBox_->setObjectName(QStringLiteral("LabourWindow"));
  windowBox_->setRange(1, 1000000);
  windowBox_->setValue(kDefaultWindow);
  windowBox_->setSuffix(tr(" timesteps"));
  windowBox_->setToolTip(tr("The index line at a timestep counts the units of the last W timesteps of its task"));
  controls->addWidget(windowBox_);
  controls->addSpacing(16);
  note_ = PlainLabel(tr("Right-click a figure to save its picture (PNG, SVG) or its numbers (CSV)."), this);
  note_->setObjectName(QStringLiteral("LabourNote"));
  controls->addWidget(note_);
  controls->addStretch(1);
  layout->addLayout(controls);

  figures_ = new QWidget(this);
  figures_->setObjectName(QStringLiteral("LabourFigures"));
  figures_->setAutoFillBackground(true);
  QPalette white = figures_->palette();
  white.setColor(QPalette::Window, Qt::white);
  figures_->setPalette(white);
  auto* figuresLayout = new QHBoxLayout(figures_);
  figuresLayout->setContentsMargins(0, 0, 0, 0);
  auto* splitter = new QSplitter(Qt::Horizontal, figures_);
  splitter->setChildrenCollapsible(false);
  figuresLayout->addWidget(splitter);

  BuildIndexChart();
  auto* indexBox = new QWidget(splitter);
  auto* indexLayout = new QVBoxLayout(indexBox);
  indexLayout->setContentsMargins(0, 0, 0, 0);
  indexLayout->setSpacing(0);
  indexLayout->addWidget(Title(tr("Division of labour over the run"), indexBox));
  indexLayout->addWidget(indexView_, 1);
  indexView_->setParent(indexBox);
  splitter->addWidget(indexBox);

  mapBox_ = new QWidget(splitter);
  auto* mapLayout = new QVBoxLayout(mapBox_);
  mapLayout->setContentsMargins(0, 0, 0, 0);
  mapLayout->setSpacing(2);
  auto* mapTitle = new QHBoxLayout;
  mapTitle->addWidget(Title(tr("Allocation map"), mapBox_));
  mapTitle->addStretch(1);
  for (const auto& [text, tip, name] : {std::tuple{"-", "Smaller cells", "MapZoomOut"},
                                        std::tuple{"+", "Larger cells", "MapZoomIn"}}) {
    auto* button = new QToolButton(mapBox_);
    button->setText(QString::fromLatin1(text));
    button->setToolTip(tr(tip));
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    mapTitle->addWidget(button);
  }
  mapLayout->addLayout(mapTitle);
  mapView_ = new AllocationMapView(mapBox_);
  mapLayout->addWidget(mapView_, 1);
  mapLegend_ = new QWidget(mapBox_);
  mapLegend_->setObjectName(QStringLiteral("MapLegend"));
  new QHBoxLayout(mapLegend_);
  mapLegend_->layout()->setContentsMargins(0, 0, 0, 0);
  mapLayout->addWidget(mapLegend_);
  splitter->addWidget(mapBox_);
  connect(mapBox_->findChild<QToolButton*>(QStringLiteral("MapZoomIn")), &QToolButton::clicked, mapView_,
          &AllocationMapView::ZoomIn);
  connect(mapBox_->findChild<QToolButton*>(QStringLiteral("MapZoomOut")), &QToolButton::clicked, mapView_,
          &AllocationMapView::ZoomOut);

  BuildSharesChart();
  auto* sharesBox = new QWidget(splitter);
  auto* sharesLayout = new QVBoxLayout(sharesBox);
  sharesLayout->setContentsMargins(0, 0, 0, 0);
  sharesLayout->setSpacing(0);
  sharesLayout->addWidget(Title(tr("Shares of units per skill, before and after the entrance"), sharesBox));
  sharesLayout->addWidget(sharesView_, 1);
  sharesView_->setParent(sharesBox);
  splitter->addWidget(sharesBox);

  for (QWidget* box : {indexBox, mapBox_, sharesBox}) box->setMinimumWidth(260);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  splitter->setStretchFactor(2, 1);
  layout->addWidget(figures_, 1);

  InstallMenu(indexView_, Content::IndexTable, tr("labour-index"));
  InstallMenu(mapView_, Content::MapTable, tr("allocation-map"));
  InstallMenu(sharesView_, Content::SharesTable, tr("labour-shares"));

  connect(windowBox_, &QSpinBox::valueChanged, this, [this] { RefreshIndex(); });
}

void LabourPage::BuildIndexChart() {
  indexChart_ = new QChart;
  PlainChart(indexChart_, font());
  indexChart_->legend()->setAlignment(Qt::AlignBottom);
  indexSeries_ = new QLineSeries(indexChart_);
  indexSeries_->setObjectName(QStringLiteral("LabourIndexSeries"));
  indexSeries_->setPen(QPen(QColor(0, 0, 160), 1.5));
  indexChart_->addSeries(indexSeries_);
  auto* rounds = new QValueAxis(indexChart_);
  rounds->setTitleText(tr("Rounds"));
  rounds->setLabelFormat(QStringLiteral("%.0f"));
  auto* values = new QValueAxis(indexChart_);
  values->setRange(0, 1);
  values->setTickCount(6);
  values->setLabelFormat(QStringLiteral("%.1f"));
  for (QValueAxis* axis : {rounds, values}) {
    axis->setTitleFont(font());
    axis->setLabelsFont(font());
    axis->setGridLinePen(QPen(QColor(224, 224, 224), 1));
  }
  indexChart_->addAxis(rounds, Qt::AlignBottom);
  indexChart_->addAxis(values, Qt::AlignLeft);
  indexSeries_->attachAxis(rounds);
  indexSeries_->attachAxis(values);
  auto* view = new ChartView(indexChart_, this);
  view->setObjectName(QStringLiteral("LabourIndexView"));
  connect(view, &ChartView::resetRequested, indexChart_, &QChart::zoomReset);
  indexView_ = view;
}

void LabourPage::BuildSharesChart() {
  sharesChart_ = new QChart;
  PlainChart(sharesChart_, font());
  sharesChart_->legend()->setAlignment(Qt::AlignRight);
  sharesSeries_ = new QStackedBarSeries(sharesChart_);
  sharesSeries_->setObjectName(QStringLiteral("LabourSharesSeries"));
  sharesSeries_->setBarWidth(0.8);
  sharesChart_->addSeries(sharesSeries_);
  // The axes stay for the page's life; a refresh changes their contents.
  sharesCategories_ = new QBarCategoryAxis(sharesChart_);
  auto* values = new QValueAxis(sharesChart_);
  values->setRange(0, 1);
  values->setTickCount(6);
  values->setLabelFormat(QStringLiteral("%.1f"));
  values->setTitleText(tr("Share of units"));
  for (QAbstractAxis* axis : std::initializer_list<QAbstractAxis*>{sharesCategories_, values}) {
    axis->setTitleFont(font());
    axis->setLabelsFont(font());
  }
  sharesChart_->addAxis(sharesCategories_, Qt::AlignBottom);
  sharesChart_->addAxis(values, Qt::AlignLeft);
  sharesSeries_->attachAxis(sharesCategories_);
  sharesSeries_->attachAxis(values);
  sharesView_ = new QChartView(sharesChart_, this);
  sharesView_->setObjectName(QStringLiteral("LabourSharesView"));
  sharesView_->setRenderHint(QPainter::Antialiasing);
}

void LabourPage::Refresh() {
  RefreshIndex();
  const int skills = davrel3::CommittedSkills(state_.System);
  mapView_->SetMap(labour_figures::AllocationMap(state_.Labour, state_.Task.Cycles, skills));
  RefreshMapLegend();
  RefreshShares();
}

void LabourPage::RefreshIndex() {
  const std::int64_t window = windowBox_->value();
  line_ = labour_figures::IndexLine(state_.Labour, window);
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(line_.size()));
  for (const auto& p : line_) points.append(QPointF(static_cast<qreal>(p.row), p.value));
  indexSeries_->replace(points);
  indexSeries_->setName(tr("Index"));
  if (QAbstractAxis* values = indexChart_->axes(Qt::Vertical).value(0)) {
    values->setTitleText(tr("Index, last %1 timesteps").arg(window));
  }

  QValueAxis* rounds = qobject_cast<QValueAxis*>(indexChart_->axes(Qt::Horizontal).value(0));
  QValueAxis* values = qobject_cast<QValueAxis*>(indexChart_->axes(Qt::Vertical).value(0));
  for (QLineSeries* s : entranceSeries_) {
    indexChart_->removeSeries(s);
    delete s;
  }
  entranceSeries_.clear();
  const auto marks = labour_figures::EntranceMarks(state_.Labour);
  const bool newcomer = state_.System.NrOfAgents > davrel3::kNewcomerIndex &&
                        static_cast<int>(state_.System.Agents.size()) > davrel3::kNewcomerIndex;
  for (const auto& mark : marks) {
    auto* line = new QLineSeries(indexChart_);
    line->setObjectName(QStringLiteral("EntranceMark"));
    line->append(static_cast<qreal>(mark.row), 0);
    line->append(static_cast<qreal>(mark.row), 1);
    line->setPen(QPen(QColor(200, 0, 0), 1.5, Qt::DashLine));
    line->setName(newcomer ? tr("Newcomer enters (timestep %1)").arg(mark.timestep + 1)
                           : tr("Entrance time (timestep %1)").arg(mark.timestep + 1));
    indexChart_->addSeries(line);
    line->attachAxis(rounds);
    line->attachAxis(values);
    // One legend entry says what the dashed lines are.
    if (!entranceSeries_.isEmpty()) {
      for (QLegendMarker* marker : indexChart_->legend()->markers(line)) marker->setVisible(false);
    }
    entranceSeries_.append(line);
  }
  double first = line_.empty() ? 0 : static_cast<double>(line_.front().row);
  double last = line_.empty() ? 1 : static_cast<double>(line_.back().row);
  for (const auto& mark : marks) {
    first = std::min(first, static_cast<double>(mark.row));
    last = std::max(last, static_cast<double>(mark.row));
  }
  if (last <= first) last = first + 1;
  rounds->setRange(first, last);
  indexChart_->zoomReset();
}

void LabourPage::RefreshMapLegend() {
  QLayout* legend = mapLegend_->layout();
  while (QLayoutItem* item = legend->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  const int agents = static_cast<int>(state_.System.Agents.size());
  const int shown = std::min(agents, AllocationMapView::AgentColourCount());
  for (int a = 0; a < shown; ++a) {
    auto* swatch = new QLabel(mapLegend_);
    swatch->setFixedSize(10, 10);
    swatch->setAutoFillBackground(true);
    QPalette colour = swatch->palette();
    colour.setColor(QPalette::Window, AllocationMapView::AgentColour(a));
    swatch->setPalette(colour);
    legend->addWidget(swatch);
    legend->addWidget(PlainLabel(a == davrel3::kNewcomerIndex && state_.System.NrOfAgents > davrel3::kNewcomerIndex
                                     ? tr("%1 (newcomer)").arg(a + 1)
                                     : QString::number(a + 1),
                                 mapLegend_));
  }
  if (agents > shown) {
    legend->addWidget(PlainLabel(tr("colours repeat from agent %1").arg(shown + 1), mapLegend_));
  }
  static_cast<QHBoxLayout*>(legend)->addStretch(1);
}

void LabourPage::RefreshShares() {
  const int agents = static_cast<int>(state_.System.Agents.size());
  const int skills = davrel3::CommittedSkills(state_.System);
  shares_ = labour_figures::SharesOf(state_.Labour, agents, skills, kMaxSkillGroups);
  sharesSeries_->clear();
  const int shownAgents = std::min(agents, kMaxBarAgents);
  categories_.clear();
  for (int a = 0; a < shownAgents; ++a) categories_ << tr("%1 b").arg(a + 1) << tr("%1 a").arg(a + 1);
  for (int g = 0; g < static_cast<int>(shares_.groups.size()); ++g) {
    auto* set = new QBarSet(QString::fromStdString(shares_.groups[static_cast<std::size_t>(g)]));
    set->setColor(SkillColour(g));
    set->setBorderColor(Qt::white);
    for (int a = 0; a < shownAgents; ++a) {
      for (int phase = 0; phase < 2; ++phase) {
        const std::vector<double> shares = shares_.Shares(phase, a);
        set->append(shares.empty() ? 0.0 : shares[static_cast<std::size_t>(g)]);
      }
    }
    sharesSeries_->append(set);
  }
  sharesCategories_->clear();
  sharesCategories_->append(categories_);
  sharesCategories_->setTitleText(
      agents > shownAgents
          ? tr("Agent (b before, a after the entrance; agents 1 to %1 of %2)").arg(shownAgents).arg(agents)
          : tr("Agent (b before, a after the entrance)"));
  sharesChart_->legend()->setVisible(!shares_.groups.empty());
}

bool LabourPage::Save(Content content, const QString& path, QString* error) const {
  switch (content) {
    case Content::Picture:
      return data_export::SaveWidgetImage(figures_, path, error);
    case Content::IndexTable:
      return data_export::SaveText(
          path, QString::fromStdString(labour_figures::IndexLineCsv(line_, windowBox_->value())), error);
    case Content::MapTable:
      return data_export::SaveText(path, QString::fromStdString(labour_figures::AllocationMapCsv(mapView_->Map())),
                                   error);
    case Content::SharesTable:
      return data_export::SaveText(path, QString::fromStdString(labour_figures::SharesCsv(shares_)), error);
  }
  return false;
}

void LabourPage::InstallMenu(QWidget* figure, Content table, const QString& name) {
  auto* image = new QAction(tr("Save image..."), figure);
  image->setObjectName(QStringLiteral("SaveImageAction"));
  auto* csv = new QAction(tr("Save CSV..."), figure);
  csv->setObjectName(QStringLiteral("SaveCsvAction"));
  connect(image, &QAction::triggered, this, [this, figure, name] {
    const QString path = data_export::AskSavePath(this, tr("Save image"), name + ".png",
                                                  {tr("PNG picture (*.png)"), tr("SVG drawing (*.svg)")});
    if (path.isEmpty()) return;
    QString error;
    // The map saves what it shows: its visible part at the current zoom.
    QWidget* picture = figure == mapView_ ? mapBox_ : figure;
    if (!data_export::SaveWidgetImage(picture, path, &error)) data_export::ReportSaveError(this, error);
  });
  connect(csv, &QAction::triggered, this, [this, table, name] {
    const QString path = data_export::AskSavePath(this, tr("Save CSV"), name + ".csv", {tr("CSV table (*.csv)")});
    if (path.isEmpty()) return;
    QString error;
    if (!Save(table, path, &error)) data_export::ReportSaveError(this, error);
  });
  figure->addAction(image);
  figure->addAction(csv);
  // A ChartView puts the view's actions after its "Reset zoom"; the others
  // show them as their menu.
  if (!qobject_cast<ChartView*>(figure)) figure->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void LabourPage::AskAndSave() {
  const QStringList filters = {tr("PNG picture of the page (*.png)"), tr("SVG drawing of the page (*.svg)"),
                               tr("CSV table of the index line (*.csv)"),
                               tr("CSV table of the allocation map (*.csv)"),
                               tr("CSV table of the shares (*.csv)")};
  QString filter;
  const QString path =
      data_export::AskSavePath(this, tr("Save the division of labour"), TableName(Content::Picture) + ".png", filters, QStringLiteral("export"), &filter);
  if (path.isEmpty()) return;
  const int chosen = std::max(0, static_cast<int>(filters.indexOf(filter)));
  static const Content kContents[] = {Content::Picture, Content::Picture, Content::IndexTable, Content::MapTable,
                                      Content::SharesTable};
  const Content content = kContents[chosen];
  QString target = path;
  // A picture filter saves by its own suffix; a table always as CSV.
  if (content != Content::Picture && QFileInfo(path).suffix().isEmpty()) target += ".csv";
  QString error;
  if (!Save(content, target, &error)) data_export::ReportSaveError(this, error);
}
