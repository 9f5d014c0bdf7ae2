#include "DV3Newcomer2009Chart.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScopeGuard>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

#include "chart_view.h"
#include "data_export.h"
#include "model/int_text.h"
#include "string_grid.h"
#include "up_down.h"

using davrel3::ConversionError;
using davrel3::Field;

// Everything one chart needs: the chart with its axes and series, the view
// that shows it in 2-D, and the 3-D view once it has been asked for.
struct TChartForm::ChartPage {
  QChart* chart = nullptr;
  ChartView* view = nullptr;
  QStackedWidget* stack = nullptr;
  QValueAxis* rounds = nullptr;
  QValueAxis* values = nullptr;
  QList<QLineSeries*> series;
  QList<SeriesStyle> styles;
  QString valueTitle;
  std::optional<ValueRange> fixedRange;
  bool walls3d = true;
  std::unique_ptr<ThreeDChart> threeD;
};

namespace {

constexpr int kWindowWidth = 724;
constexpr int kWindowHeight = 376;
constexpr QPoint kWindowPosition(133, 394);
constexpr QSize kPanelSize(1241, 321);
constexpr int kRowHeight = 20;
constexpr int kWorkTimeColumnWidth = 55;
constexpr int kAllocationColumnWidth = 30;
constexpr int kAnimationMilliseconds = 400;

// The history rows a draw may read: 0 .. HistoryLength, as far as the store
// really has them.
int HistoryRows(const davrel3::RunHistory& history, size_t storeRows) {
  const long long wanted = static_cast<long long>(history.HistoryLength) + 1;
  return static_cast<int>(std::clamp<long long>(wanted, 0, static_cast<long long>(storeRows)));
}

// A round tick interval giving about eight ticks over `span`.
double NiceInterval(double span) {
  if (!(span > 0)) return 1;
  const double raw = span / 8;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 2.5, 5.0}) {
    if (raw <= factor * magnitude) return std::max(1.0, factor * magnitude);
  }
  return 10 * magnitude;
}

QLabel* PlainLabel(const QString& text, QWidget* parent) {
  // Texts such as "Only <Expertise> and <Motivation>" must not be taken for
  // markup.
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

TChartForm::TChartForm(davrel3::Workbench& bench, QWidget* parent) : QWidget(parent), bench_(bench) {
  setWindowTitle(QStringLiteral("ChartForm"));
  setObjectName(QStringLiteral("ChartForm"));
  // Closing the main window ends the program even while this one is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  setFont(font);
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);

  for (auto& page : pages_) page = std::make_unique<ChartPage>();

  // Panel1 is wider than the window; the scroll area reaches the rest. It
  // never shrinks below its size, and grows with a larger window.
  panel1_ = new QWidget;
  panel1_->setObjectName(QStringLiteral("Panel1"));
  panel1_->setMinimumSize(kPanelSize);
  panel1_->setAutoFillBackground(true);
  panel1_->setPalette(white);
  auto* panelLayout = new QVBoxLayout(panel1_);
  panelLayout->setContentsMargins(8, 8, 8, 2);
  panelLayout->setSpacing(4);
  BuildTopStrip(panel1_, panelLayout);

  pageControl1_ = new QTabWidget(panel1_);
  pageControl1_->setObjectName(QStringLiteral("PageControl1"));
  pageControl1_->addTab(BuildChartPage(*pages_[Expertise], QStringLiteral("Expertise"), ValueRange{0, 25},
                                       ExpertiseSeriesStyles(), false),
                        QStringLiteral("Expertise"));
  pageControl1_->addTab(BuildChartPage(*pages_[Motivation], QStringLiteral("Motivation"), ValueRange{0, 25},
                                       MotivationSeriesStyles(), true),
                        QStringLiteral("Motivation"));
  pageControl1_->addTab(BuildChartPage(*pages_[Performance], QStringLiteral("Performance Time"), std::nullopt,
                                       PerformanceSeriesStyles(), true),
                        QStringLiteral("Performance"));
  pageControl1_->addTab(BuildWorkTimePage(), QStringLiteral("PerformanceTime"));
  pageControl1_->addTab(BuildAllocationPage(), QStringLiteral("Allocation"));
  pageControl1_->setCurrentIndex(PerformanceTimePage);
  panelLayout->addWidget(pageControl1_, 1);

  auto* scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(panel1_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 8, 0, 0);
  layout->addWidget(scroll);

  resize(kWindowWidth, kWindowHeight);
  move(kWindowPosition);
}

TChartForm::~TChartForm() = default;

void TChartForm::BuildTopStrip(QWidget* panel, QBoxLayout* layout) {
  auto* strip = new QHBoxLayout;
  strip->setSpacing(6);
  threeDCheckBox_ = new QCheckBox(QStringLiteral("3d"), panel);
  threeDCheckBox_->setObjectName(QStringLiteral("ThreeDCheckBox"));
  connect(threeDCheckBox_, &QCheckBox::clicked, this, &TChartForm::ThreeDCheckBoxClick);
  strip->addWidget(threeDCheckBox_);
  strip->addSpacing(8);
  saveButton_ = new QPushButton(tr("Save..."), panel);
  saveButton_->setObjectName(QStringLiteral("SaveButton"));
  saveButton_->setToolTip(tr("Save the open page: a chart as a PNG or SVG picture (the 3-D view as PNG), "
                             "a grid as a CSV table"));
  saveButton_->setAutoDefault(false);
  saveButton_->setFocusPolicy(Qt::TabFocus);
  connect(saveButton_, &QPushButton::clicked, this, &TChartForm::SaveOpenPage);
  strip->addWidget(saveButton_);
  strip->addSpacing(32);

  strip->addWidget(PlainLabel(QStringLiteral("Agent"), panel));
  agEdit1_ = new QLineEdit(QStringLiteral("1"), panel);
  agEdit1_->setObjectName(QStringLiteral("AgEdit1"));
  agEdit1_->setFixedWidth(std::max(33, agEdit1_->fontMetrics().horizontalAdvance(QStringLiteral("8888")) + 12));
  strip->addWidget(agEdit1_);
  // The maximum is set by AgEdit1Change from the group size.
  agUpDown1_ = new UpDown(agEdit1_, 1, 1, 1, panel);
  agUpDown1_->setObjectName(QStringLiteral("AgUpDown1"));
  strip->addWidget(agUpDown1_);
  strip->addSpacing(8);
  strip->addWidget(PlainLabel(QStringLiteral("Only <Expertise> and <Motivation>"), panel));
  strip->addWidget(PlainLabel(QStringLiteral("tabsheet"), panel));
  strip->addSpacing(16);
  agentMessage_ = PlainLabel(QString(), panel);
  agentMessage_->setObjectName(QStringLiteral("AgentMessage"));
  QPalette red = agentMessage_->palette();
  red.setColor(QPalette::WindowText, QColor(170, 0, 0));
  agentMessage_->setPalette(red);
  strip->addWidget(agentMessage_);
  strip->addStretch(1);
  layout->addLayout(strip);

  // Every change of the text, typed or by the spinner, redraws. A text that
  // is not a whole number is reported and leaves the charts as they were.
  connect(agEdit1_, &QLineEdit::textChanged, this, [this] {
    try {
      AgEdit1Change();
    } catch (const std::exception& error) {
      ReportError(QString::fromStdString(error.what()));
    }
  });
}

QWidget* TChartForm::BuildChartPage(ChartPage& page, const QString& valueTitle, std::optional<ValueRange> fixedRange,
                                    QList<SeriesStyle> styles, bool walls3d) {
  page.valueTitle = valueTitle;
  page.fixedRange = fixedRange;
  page.styles = styles;
  page.walls3d = walls3d;

  QChart* chart = new QChart;
  page.chart = chart;
  // The title is one empty line: space above the plot, no text.
  chart->setTitle(QStringLiteral(" "));
  chart->setTitleFont(font());
  chart->setBackgroundBrush(Qt::white);
  chart->setBackgroundRoundness(0);
  chart->setPlotAreaBackgroundBrush(Qt::white);
  chart->setPlotAreaBackgroundVisible(true);
  chart->setMargins(QMargins(0, 0, 0, 0));
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  // Zooming moves the lines smoothly. The axes jump: animating them while the
  // number of tick labels changes crashes Qt Charts.
  chart->setAnimationOptions(QChart::SeriesAnimations);
  chart->setAnimationDuration(kAnimationMilliseconds);

  QLegend* legend = chart->legend();
  legend->setVisible(true);
  legend->setAlignment(Qt::AlignRight);
  legend->setFont(font());
  legend->setMarkerShape(QLegend::MarkerShapeFromSeries);
  legend->setBackgroundVisible(true);
  legend->setBrush(palette().color(QPalette::Button));
  legend->setPen(Qt::NoPen);
  legend->setShowToolTips(true);

  page.rounds = new QValueAxis(chart);
  page.rounds->setTitleText(QStringLiteral("Rounds"));
  page.rounds->setLabelFormat(QStringLiteral("%.0f"));
  page.rounds->setTickType(QValueAxis::TicksDynamic);
  page.rounds->setTickAnchor(0);
  page.values = new QValueAxis(chart);
  page.values->setTitleText(valueTitle);
  page.values->setLabelFormat(QStringLiteral("%.0f"));
  // The left wall: white with a dotted frame line.
  page.values->setLinePen(QPen(QColor(96, 96, 96), 1, Qt::DotLine));
  for (QValueAxis* axis : {page.rounds, page.values}) {
    axis->setTitleFont(font());
    axis->setLabelsFont(font());
    axis->setGridLinePen(QPen(QColor(224, 224, 224), 1));
    axis->setMinorGridLineVisible(false);
  }
  chart->addAxis(page.rounds, Qt::AlignBottom);
  chart->addAxis(page.values, Qt::AlignLeft);
  if (fixedRange) {
    page.values->setRange(fixedRange->minimum, fixedRange->maximum);
    page.values->setTickCount(6);
  }

  for (const SeriesStyle& style : styles) {
    auto* series = new QLineSeries(chart);
    series->setObjectName(style.objectName);
    series->setName(style.title);
    // The theme hands out its colour when the series is added; a series with
    // a colour of its own overrides it afterwards.
    chart->addSeries(series);
    series->attachAxis(page.rounds);
    series->attachAxis(page.values);
    const QColor colour = style.colour.value_or(series->color());
    QPen pen(colour, 1.2);
    series->setPen(pen);
    series->setPointsVisible(true);
    series->setPointLabelsVisible(false);
    series->setMarkerSize(MarkerImageSide(style.extent));
    series->setLightMarker(MarkerImage(style.marker, colour, style.extent));
    series->setVisible(style.shown);
    page.series.append(series);
    connect(series, &QLineSeries::visibleChanged, this, [this, &page] { SeriesVisibilityChanged(page); });
  }
  for (QLegendMarker* marker : legend->markers()) {
    UpdateLegendMarker(marker);
    // A click on a legend entry shows or hides its series.
    connect(marker, &QLegendMarker::clicked, this, [marker] {
      if (QAbstractSeries* series = marker->series()) series->setVisible(!series->isVisible());
    });
  }

  page.view = new ChartView(chart);
  page.view->setObjectName(valueTitle);
  page.view->setBackgroundBrush(Qt::white);
  data_export::InstallChartExportMenu(page.view);
  connect(page.view, &ChartView::resetRequested, this, [this, &page] { ResetZoom(page); });
  page.stack = new QStackedWidget;
  page.stack->addWidget(page.view);
  ApplyRanges(page);
  return page.stack;
}

StringGridView* TChartForm::MakeGridView(davrel3::TextGrid& grid, int columnWidth) {
  auto* model = new TextGridModel(TextGridModel::Headings::AsHeaders, this);
  model->SetGrid(&grid);
  // Wide enough for the widest text the grid is known to hold.
  return new StringGridView(model, columnWidth, kRowHeight);
}

QWidget* TChartForm::BuildWorkTimePage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(4, 2, 4, 4);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(2);

  workTimeGrid_ = MakeGridView(bench_.State().WorkTimeGrid, kWorkTimeColumnWidth);
  workTimeGrid_->setObjectName(QStringLiteral("WorkTimeGrid"));
  // The table takes the room its cells need, and scrolls when the page is
  // too small for it.
  workTimeGrid_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  workTimeGrid_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);

  grid->addWidget(PlainLabel(QStringLiteral("task"), page), 0, 1, Qt::AlignHCenter);
  grid->addWidget(PlainLabel(QStringLiteral("agent"), page), 1, 0, Qt::AlignTop);
  grid->addWidget(workTimeGrid_, 1, 1, Qt::AlignLeft | Qt::AlignTop);

  auto* legend = new QGridLayout;
  legend->setHorizontalSpacing(12);
  legend->setVerticalSpacing(6);
  legend->setRowStretch(0, 1);
  legend->addWidget(PlainLabel(QStringLiteral("Slow: Performance time of slowest agent (as used in article)"), page),
                    1, 0);
  legend->addWidget(PlainLabel(QStringLiteral("Sum: Total Performance time (as used in article)"), page), 2, 0);
  legend->addWidget(PlainLabel(QStringLiteral("MeanNoFit: Mean Performance time in No Fit condtitions"), page), 3, 0);
  legend->addWidget(PlainLabel(QStringLiteral("(No significance in Fit conditions)"), page), 3, 1);
  legend->addWidget(PlainLabel(QStringLiteral("MeanFit: Mean Performance time in Fit conditions"), page), 4, 0);
  legend->addWidget(PlainLabel(QStringLiteral("(No significance in No Fit conditions)"), page), 4, 1);
  legend->setColumnStretch(2, 1);
  grid->addLayout(legend, 1, 2);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(2, 1);
  return page;
}

QWidget* TChartForm::BuildAllocationPage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(4, 2, 4, 4);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(2);
  allocationGrid_ = MakeGridView(bench_.State().AllocationGrid, kAllocationColumnWidth);
  allocationGrid_->setObjectName(QStringLiteral("AllocationGrid"));
  allocationGrid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  allocationGrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid->addWidget(PlainLabel(QStringLiteral("Action"), page), 0, 0, Qt::AlignVCenter);
  grid->addWidget(allocationGrid_, 0, 1);
  grid->addWidget(PlainLabel(QStringLiteral("Timestep/Agent"), page), 1, 1, Qt::AlignLeft);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(0, 1);
  return page;
}

// ------------------------------------------------------------ operations

void TChartForm::FormCreate() {
  try {
    AgEdit1Change();
  } catch (const std::exception& error) {
    ReportError(QString::fromStdString(error.what()));
  }
  hide();
}

void TChartForm::AgEdit1Change() {
  agUpDown1_->SetMax(bench_.Panel().Read(Field::NrofAg));
  Draw();
}

void TChartForm::Draw() {
  // Converted before anything is redrawn: a bad text leaves every page as it was.
  const int agent = davrel3::StrToInt(agEdit1_->text().toStdString());
  // Whatever a later read stops, the pages redrawn so far are shown.
  const auto refresh = qScopeGuard([this] { RefreshViews(); });
  ShowAgentMessage(agent);
  DrawExpertise(agent - 1);
  DrawMotivation(agent - 1);
  DrawPerformance();
  bench_.DrawGrids();
}

void TChartForm::ShowAgentMessage(int agent) {
  const int agents = bench_.State().System.NrOfAgents;
  if (agent >= 1 && agent <= agents) {
    agentMessage_->clear();
  } else {
    agentMessage_->setText(tr("Agent %1 is not in the group (agents 1 to %2): no expertise or motivation to show.")
                               .arg(agent)
                               .arg(agents));
  }
}

void TChartForm::DrawExpertise(int agentIndex) {
  DrawSkillSeries(bench_.State().History.ExpertiseHistory, Expertise, agentIndex);
}

void TChartForm::DrawMotivation(int agentIndex) {
  DrawSkillSeries(bench_.State().History.MotivationHistory, Motivation, agentIndex);
}

void TChartForm::DrawSkillSeries(const std::vector<std::vector<davrel3::SkillSlots>>& store, ChartId id,
                                 int agentIndex) {
  const davrel3::ModelState& state = bench_.State();
  const int rows = HistoryRows(state.History, store.size());
  const bool inGroup = agentIndex >= 0 && agentIndex < state.System.NrOfAgents;
  const QList<QLineSeries*>& series = pages_[id]->series;
  for (int j = 0; j < series.size(); ++j) {
    QList<QPointF> points;
    if (inGroup && j < davrel3::kSkillSlots) {
      for (int t = 0; t < rows; ++t) {
        if (agentIndex >= static_cast<int>(store[t].size())) continue;
        // A 0 is "not recorded": the line runs on to the next recorded row.
        const double v = store[t][agentIndex][j];
        if (v != 0) points.append(QPointF(t, v));
      }
    }
    series[j]->clearPointsConfiguration();
    series[j]->replace(points);
  }
}

void TChartForm::DrawPerformance() {
  const davrel3::ModelState& state = bench_.State();
  const davrel3::RunHistory& history = state.History;
  const int rows = HistoryRows(history, history.StepWorkHistory.size());
  const QList<QLineSeries*>& series = pages_[Performance]->series;
  // Legend order: "System", "Coordination Time", then "Agent 1" ... "Agent 11".
  QLineSeries* system = series[0];
  QLineSeries* coordination = series[1];
  auto agentSeries = [&](int k) { return series[1 + k]; };

  // Every row gives a point, zeros included; a row without the column (the
  // committed group is smaller than the column asked for) gives none.
  auto rebuildFromColumn = [&](QLineSeries* line, size_t column) {
    QList<QPointF> points;
    points.reserve(rows);
    for (int t = 0; t < rows; ++t) {
      const std::vector<double>& row = history.StepWorkHistory[t];
      if (column < row.size()) points.append(QPointF(t, row[column]));
    }
    line->clearPointsConfiguration();
    line->replace(points);
  };
  // The columns a row of the committed history has: the agents, then the system.
  const size_t width = history.StepWorkHistory.empty() ? 0 : history.StepWorkHistory[0].size();

  rebuildFromColumn(agentSeries(1), 0);
  rebuildFromColumn(agentSeries(2), 1);
  for (int k = 3; k <= kAgentSeriesCount; ++k) {
    // The group size on the panel decides which agent lines are redrawn; the
    // others keep the points of an earlier draw. The committed history bounds
    // what can be read, whatever the panel says.
    if (bench_.Panel().Read(Field::NrofAg) >= k && static_cast<size_t>(k - 1) < width) {
      rebuildFromColumn(agentSeries(k), k - 1);
    }
  }

  QList<QPointF> coordinationPoints;
  const int coordinationRows = std::min<int>(rows, static_cast<int>(history.CoordinationHistory.size()));
  for (int t = 0; t < coordinationRows; ++t) {
    coordinationPoints.append(QPointF(t, static_cast<double>(history.CoordinationHistory[t])));
  }
  coordination->clearPointsConfiguration();
  coordination->replace(coordinationPoints);

  rebuildFromColumn(system, static_cast<size_t>(std::max(0, state.System.NrOfAgents)));
}

void TChartForm::ShowBeside(QWidget* mainWindow) {
  if (!isVisible() && mainWindow) {
    const QRect main = mainWindow->frameGeometry();
    const QScreen* screen = mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    const QSize size = frameGeometry().size();
    const QPoint right(main.right() + 1, main.top());
    const QPoint below(main.left(), main.bottom() + 1);
    if (room.isNull() || room.contains(QRect(right, size))) {
      move(right);
    } else if (room.contains(QRect(below, size))) {
      move(below);
    } else {
      // Neither fits whole: beside the main window, as far right as the screen allows.
      move(std::clamp(room.right() - size.width(), room.left(), right.x()),
           std::clamp(main.top(), room.top(), std::max(room.top(), room.bottom() - size.height())));
    }
  }
  if (!shownBefore_) {
    pageControl1_->setCurrentIndex(PerformanceTimePage);
    shownBefore_ = true;
  }
  show();
  raise();
}

// ------------------------------------------------------------ 3-D

void TChartForm::ThreeDCheckBoxClick() {
  const bool threeD = threeDCheckBox_->isChecked();
  if (threeD && !EnsureThreeD()) {
    // Without OpenGL there is no 3-D view: the box stays unchecked and says why.
    threeDCheckBox_->setChecked(false);
    threeDCheckBox_->setToolTip(tr("No OpenGL context can be created on this display, so the charts stay 2-D."));
    return;
  }
  for (auto& page : pages_) {
    if (threeD) page->threeD->Fill(page->series);
    page->stack->setCurrentIndex(threeD ? 1 : 0);
  }
}

bool TChartForm::EnsureThreeD() {
  if (pages_[0]->threeD) return true;
  if (!OpenGLAvailable()) return false;
  for (auto& page : pages_) {
    page->threeD = std::make_unique<ThreeDChart>(page->valueTitle, page->fixedRange, page->styles, page->walls3d);
    ChartPage* chartPage = page.get();
    connect(page->threeD.get(), &ThreeDChart::contextMenuRequested, this, [this, chartPage](const QPoint& where) {
      QMenu menu(this);
      menu.addAction(tr("Save image..."), this, [this, chartPage] { SaveThreeDImage(*chartPage); });
      menu.exec(where);
    });
    page->stack->addWidget(page->threeD->Widget());
  }
  return true;
}

bool TChartForm::ShowsThreeD(ChartId id) const {
  const ChartPage& page = *pages_[id];
  return page.threeD && page.stack->currentWidget() == page.threeD->Widget();
}

ThreeDChart* TChartForm::ThreeD(ChartId id) const { return pages_[id]->threeD.get(); }

ChartView* TChartForm::View(ChartId id) const { return pages_[id]->view; }

// ------------------------------------------------------------ data out

void TChartForm::SaveOpenPage() {
  const int open = pageControl1_->currentIndex();
  if (open == PerformanceTimePage) {
    workTimeGrid_->SaveCsvAs();
  } else if (open == AllocationPage) {
    allocationGrid_->SaveCsvAs();
  } else if (open >= ExpertisePage && open <= PerformancePage) {
    ChartPage& page = *pages_[open];
    if (ShowsThreeD(ChartId(open))) {
      SaveThreeDImage(page);
    } else {
      // The same command as the chart's context menu.
      const QList<QAction*> actions = page.view->actions();
      for (QAction* action : actions) {
        if (action->objectName() == QLatin1String("SaveImageAction")) action->trigger();
      }
    }
  }
}

void TChartForm::SaveThreeDImage(ChartPage& page) {
  if (!page.threeD) return;
  QString name = page.valueTitle;
  name.replace(QLatin1Char(' '), QLatin1Char('-'));
  const QString path =
      data_export::AskSavePath(this, tr("Save image"), name + QStringLiteral("-3d.png"), {tr("PNG picture (*.png)")});
  if (path.isEmpty()) return;
  QString error;
  if (!page.threeD->SaveImage(path, &error)) data_export::ReportSaveError(this, error);
}

QChart* TChartForm::Chart(ChartId id) const { return pages_[id]->chart; }

const QList<QLineSeries*>& TChartForm::Series(ChartId id) const { return pages_[id]->series; }

// ------------------------------------------------------------ views

void TChartForm::RefreshViews() {
  for (auto& page : pages_) {
    ApplyRanges(*page);
    if (page->threeD) page->threeD->Fill(page->series);
  }
  workTimeGrid_->GridModel()->Rebuilt();
  allocationGrid_->GridModel()->Rebuilt();
  workTimeGrid_->updateGeometry();
}

void TChartForm::ApplyRanges(ChartPage& page) {
  double maxRow = 0;
  double low = 0;
  double high = 0;
  bool any = false;
  for (const QLineSeries* line : page.series) {
    if (!line->isVisible()) continue;
    for (const QPointF& p : line->points()) {
      maxRow = std::max(maxRow, p.x());
      low = any ? std::min(low, p.y()) : p.y();
      high = any ? std::max(high, p.y()) : p.y();
      any = true;
    }
  }
  // The rounds axis starts at 1; its end follows the data, or the history's
  // length while no shown series has a point.
  if (!any) maxRow = std::max(bench_.State().History.HistoryLength, 2);
  maxRow = std::max(maxRow, 2.0);
  page.rounds->setRange(1, maxRow);
  page.rounds->setTickInterval(NiceInterval(maxRow - 1));
  if (!page.fixedRange) {
    if (!any || high <= low) {
      // A flat line sits in the middle of the plot.
      const double level = any ? low : 0;
      page.values->setRange(level - 1, level + 1);
      page.values->setTickCount(5);
    } else {
      page.values->setRange(low, high);
      page.values->applyNiceNumbers();
    }
  }
}

void TChartForm::ResetZoom(ChartPage& page) {
  page.chart->zoomReset();
  ApplyRanges(page);
}

void TChartForm::SeriesVisibilityChanged(ChartPage& page) {
  for (QLegendMarker* marker : page.chart->legend()->markers()) UpdateLegendMarker(marker);
  ApplyRanges(page);
  if (page.threeD) page.threeD->Fill(page.series);
}

void TChartForm::UpdateLegendMarker(QLegendMarker* marker) {
  // A hidden series keeps its legend entry, greyed, so that it can be shown
  // again with a click.
  marker->setVisible(true);
  const bool shown = marker->series() && marker->series()->isVisible();
  QColor label = palette().color(QPalette::WindowText);
  if (!shown) label.setAlphaF(0.4);
  marker->setLabelBrush(label);
  QBrush brush = marker->brush();
  QColor fill = brush.color();
  fill.setAlphaF(shown ? 1.0 : 0.3);
  brush.setColor(fill);
  marker->setBrush(brush);
}

void TChartForm::ReportError(const QString& message) {
  QMessageBox::critical(this, QGuiApplication::applicationDisplayName(), message);
}
