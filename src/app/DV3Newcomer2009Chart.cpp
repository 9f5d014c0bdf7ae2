#include "DV3Newcomer2009Chart.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScopeGuard>
#include <QTabWidget>
#include <QtCharts/QLineSeries>
#include <algorithm>
#include <optional>

#include "allocation_page.h"
#include "chart_view.h"
#include "data_export.h"
#include "history_series.h"
#include "labour_page.h"
#include "model/int_text.h"
#include "program_message.h"
#include "string_grid.h"
#include "up_down.h"
#include "window_placement.h"
#include "work_time_page.h"

using davrel3::Field;
using history_series::SkillMeasure;

namespace {

// The size the window opens at when the screen has room: the whole of
// Panel1's charts, their legends and the top strip with its message line,
// with the 3-D views tall enough to read. On a 1366 x 768 screen the window
// gets the height below the main window (about 390).
constexpr QSize kOpeningSize(1257, 460);
// The smallest size it is cut down to, so that it fits below the main window
// on a small screen; charts and legends shrink with it.
constexpr QSize kSmallestSize(640, 280);
constexpr QPoint kWindowPosition(133, 394);

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

  // Panel1 fills the window and the pages grow and shrink with it, so that
  // every chart, its legend and its 3-D view stay inside the window.
  panel1_ = new QWidget(this);
  panel1_->setObjectName(QStringLiteral("Panel1"));
  panel1_->setAutoFillBackground(true);
  panel1_->setPalette(white);
  auto* panelLayout = new QVBoxLayout(panel1_);
  panelLayout->setContentsMargins(8, 8, 8, 2);
  panelLayout->setSpacing(4);
  panelLayout->addLayout(BuildTopStrip(panel1_));
  panelLayout->addLayout(BuildMessageLine(panel1_));

  const QColor legendColour = palette().color(QPalette::Button);
  pages_[Expertise] = new ChartPage(QStringLiteral("Expertise"), ChartPage::ValueAxis::SkillLevel,
                                    ExpertiseSeriesStyles(), false, font, legendColour, this);
  pages_[Motivation] = new ChartPage(QStringLiteral("Motivation"), ChartPage::ValueAxis::SkillLevel,
                                     MotivationSeriesStyles(), true, font, legendColour, this);
  pages_[Performance] = new ChartPage(QStringLiteral("Performance Time"), ChartPage::ValueAxis::Automatic,
                                      PerformanceSeriesStyles(), true, font, legendColour, this);
  workTimePage_ = new WorkTimePage(bench_.State().WorkTimeGrid);
  allocationPage_ = new ::AllocationPage(bench_.State().AllocationGrid);
  labourPage_ = new ::LabourPage(bench_.State());

  pageControl1_ = new QTabWidget(panel1_);
  pageControl1_->setObjectName(QStringLiteral("PageControl1"));
  pageControl1_->addTab(pages_[Expertise]->Widget(), QStringLiteral("Expertise"));
  pageControl1_->addTab(pages_[Motivation]->Widget(), QStringLiteral("Motivation"));
  pageControl1_->addTab(pages_[Performance]->Widget(), QStringLiteral("Performance"));
  pageControl1_->addTab(workTimePage_, QStringLiteral("PerformanceTime"));
  pageControl1_->addTab(allocationPage_, QStringLiteral("Allocation"));
  pageControl1_->addTab(labourPage_, QStringLiteral("Division of labour"));
  pageControl1_->setCurrentIndex(PerformanceTimePage);
  panelLayout->addWidget(pageControl1_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 8, 0, 0);
  layout->addWidget(panel1_);

  setMinimumSize(kSmallestSize);
  resize(kOpeningSize);
  move(kWindowPosition);
}

TChartForm::~TChartForm() = default;

QSize TChartForm::OpeningSize() { return kOpeningSize; }

StringGridView* TChartForm::WorkTimeGrid() const { return workTimePage_->WorkTimeGrid(); }

StringGridView* TChartForm::AllocationGrid() const { return allocationPage_->AllocationGrid(); }

QLayout* TChartForm::BuildTopStrip(QWidget* panel) {
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
  strip->addStretch(1);
  // A typed text is taken when the user is done with it (Enter, or the
  // focus leaves the field), so that deleting a digit to retype it raises no
  // box; each step of the spinner redraws at once. A text that is not a
  // whole number is reported once and stays in the field as typed, and the
  // charts keep what they showed.
  connect(agEdit1_, &QLineEdit::editingFinished, this, &TChartForm::TakeAgentText);
  connect(agUpDown1_, &UpDown::Click, this, &TChartForm::TakeAgentText);
  return strip;
}

QLayout* TChartForm::BuildMessageLine(QWidget* panel) {
  // Below the strip, so that neither text is ever cut by the strip's
  // controls: why the skill charts are empty, and how the run shown ended.
  auto* line = new QHBoxLayout;
  line->setSpacing(16);
  agentMessage_ = PlainLabel(QString(), panel);
  agentMessage_->setObjectName(QStringLiteral("AgentMessage"));
  agentMessage_->setWordWrap(true);
  QPalette red = agentMessage_->palette();
  red.setColor(QPalette::WindowText, QColor(170, 0, 0));
  agentMessage_->setPalette(red);
  line->addWidget(agentMessage_, 1);
  runSummary_ = PlainLabel(QString(), panel);
  runSummary_->setObjectName(QStringLiteral("RunSummary"));
  runSummary_->setWordWrap(true);
  runSummary_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  line->addWidget(runSummary_, 1);
  return line;
}

// ------------------------------------------------------------ operations

void TChartForm::TakeAgentText() {
  try {
    AgEdit1Change();
  } catch (const std::exception& error) {
    ReportError(QString::fromStdString(error.what()));
  }
}

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
  const davrel3::ModelState& state = bench_.State();
  // Only the skills of the committed group are drawn and in the legend.
  const int skills = davrel3::CommittedSkills(state.System);
  for (int j = 0; j < static_cast<int>(pages_[Expertise]->Series().size()); ++j) {
    pages_[Expertise]->SetPresent(j, j < skills);
    pages_[Expertise]->SetPoints(j, history_series::SkillPoints(state.History, SkillMeasure::Expertise,
                                                                state.System.NrOfAgents, agentIndex, j));
  }
}

void TChartForm::DrawMotivation(int agentIndex) {
  const davrel3::ModelState& state = bench_.State();
  const int skills = davrel3::CommittedSkills(state.System);
  for (int j = 0; j < static_cast<int>(pages_[Motivation]->Series().size()); ++j) {
    pages_[Motivation]->SetPresent(j, j < skills);
    pages_[Motivation]->SetPoints(j, history_series::SkillPoints(state.History, SkillMeasure::Motivation,
                                                                 state.System.NrOfAgents, agentIndex, j));
  }
}

void TChartForm::DrawPerformance() {
  const davrel3::ModelState& state = bench_.State();
  const davrel3::RunHistory& history = state.History;
  ChartPage& page = *pages_[Performance];
  // Legend order: "System", "Coordination Time", then "Agent 1" ... "Agent 11".
  constexpr int kSystem = 0;
  constexpr int kCoordination = 1;
  auto agentSeries = [](int k) { return 1 + k; };

  // The group size on the panel decides which agent lines are redrawn; the
  // others keep the points of an earlier draw. The committed history bounds
  // what can be read, whatever the panel says.
  const size_t columns = history_series::StepWorkColumns(history);
  const int panelAgents = bench_.Panel().Read(Field::NrofAg);
  for (int k : history_series::AgentSeriesToRebuild(panelAgents, columns, kAgentSeriesCount)) {
    page.SetPoints(agentSeries(k), history_series::StepWorkPoints(history, static_cast<size_t>(k - 1)));
  }
  page.SetPoints(kCoordination, history_series::CoordinationPoints(history));
  // Only the agents of the committed group are drawn and in the legend.
  for (int k = 1; k <= kAgentSeriesCount; ++k) page.SetPresent(agentSeries(k), k <= state.System.NrOfAgents);
  page.SetPoints(kSystem,
                 history_series::StepWorkPoints(history, static_cast<size_t>(std::max(0, state.System.NrOfAgents))));
}

void TChartForm::ShowBeside(QWidget* mainWindow) {
  if (!isVisible() && mainWindow) {
    const QScreen* screen = mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    // The window manager's frame around this window is as wide as the one
    // around the main window; it is known only once a window is shown.
    const QSize frame = mainWindow->frameGeometry().size() - mainWindow->size();
    // The main window's buttons (Define, Run design, OK, Cancel, START) stay
    // in view whatever the screen: nothing opens over their lowest edge.
    std::optional<int> buttonsBottom;
    for (const QPushButton* button : mainWindow->findChildren<QPushButton*>()) {
      if (!button->isVisibleTo(mainWindow)) continue;
      const int bottom = button->mapToGlobal(QPoint(0, button->height() - 1)).y();
      buttonsBottom = std::max(buttonsBottom.value_or(bottom), bottom);
    }
    const QRect place = window_placement::BesideOrBelowFitted(mainWindow->frameGeometry(), kOpeningSize + frame,
                                                              kSmallestSize + frame, room, buttonsBottom);
    // On a screen too small for the smallest size clear of the buttons the
    // window opens smaller still; the user may move and enlarge it.
    setMinimumSize(kSmallestSize.boundedTo(place.size() - frame));
    resize(place.size() - frame);
    move(place.topLeft());
  }
  if (!shownBefore_) {
    pageControl1_->setCurrentIndex(PerformanceTimePage);
    shownBefore_ = true;
  }
  show();
  raise();
}

void TChartForm::SetRunSummary(const QString& text) { runSummary_->setText(text); }

// ------------------------------------------------------------ 3-D

void TChartForm::ThreeDCheckBoxClick() {
  const bool threeD = threeDCheckBox_->isChecked();
  if (threeD) {
    for (ChartPage* page : pages_) {
      if (!page->EnsureThreeD()) {
        // Without OpenGL there is no 3-D view: the box stays unchecked and says why.
        threeDCheckBox_->setChecked(false);
        threeDCheckBox_->setToolTip(tr("No OpenGL context can be created on this display, so the charts stay 2-D."));
        return;
      }
    }
  }
  for (ChartPage* page : pages_) page->ShowThreeD(threeD);
}

// ------------------------------------------------------------ data out

void TChartForm::SaveOpenPage() {
  const int open = pageControl1_->currentIndex();
  if (open == PerformanceTimePage) {
    WorkTimeGrid()->SaveCsvAs();
  } else if (open == AllocationPage) {
    AllocationGrid()->SaveCsvAs();
  } else if (open == DivisionOfLabourPage) {
    labourPage_->AskAndSave();
  } else if (open >= ExpertisePage && open <= PerformancePage) {
    ChartPage& page = *pages_[open];
    if (page.ShowsThreeD()) {
      page.SaveThreeDImage();
    } else {
      // The same command as the chart's context menu.
      const QList<QAction*> actions = page.View()->actions();
      for (QAction* action : actions) {
        if (action->objectName() == QLatin1String("SaveImageAction")) action->trigger();
      }
    }
  }
}

// ------------------------------------------------------------ views

void TChartForm::RefreshViews() {
  const davrel3::ModelState& state = bench_.State();
  // The skill axes reach at least the maxima the last commit gave the group.
  if (!state.System.Agents.empty() && !state.System.Agents[0].Skills.empty()) {
    const davrel3::TSkill& first = state.System.Agents[0].Skills[0];
    pages_[Expertise]->SetCommittedMaximum(first.ExpMax);
    pages_[Motivation]->SetCommittedMaximum(first.MotMax);
  }
  for (ChartPage* page : pages_) page->Refresh(state.History.HistoryLength);
  workTimePage_->Refresh();
  allocationPage_->Refresh();
  labourPage_->Refresh();
}

void TChartForm::ReportError(const QString& message) {
  program_message::Show(this, message);
}
