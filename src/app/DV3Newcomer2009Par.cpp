#include "DV3Newcomer2009Par.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "experiment/memory_budget.h"
#include "experiment/run_memory.h"
#include "DV3Newcomer2009Agent.h"
#include "DV3Newcomer2009Task.h"
#include "about_tab.h"
#include "agent_tab.h"
#include "design_control.h"
#include "experiment/record.h"
#include "file_commands.h"
#include "indicator_strip.h"
#include "main_menu_bar.h"
#include "model/int_text.h"
#include "newcomers_tab.h"
#include "parameters_tab.h"
#include "program_message.h"
#include "radio_group.h"
#include "run_progress.h"
#include "skill_levels_editor.h"
#include "status_line.h"
#include "up_down.h"
#include "window_settings.h"
#include "window_style.h"
#include "experiment/version.h"

using davrel3::Field;

namespace {

// The window's size as it opens, and the room right of its parts.
constexpr QSize kLayoutSize(1094, 348);
constexpr int kRightMargin = 8;

}  // namespace

// ------------------------------------------------------------------ creation

TParForm::TParForm(QWidget* parent) : QWidget(parent) {
  setObjectName("ParForm");
  setWindowTitle("Davrel3");
  setFont(window_style::PixelFont(window_style::kFontPixels));

  pageControl1_ = new QTabWidget(this);
  pageControl1_->setObjectName("PageControl1");
  pageControl1_->setDocumentMode(false);
  agentTab_ = new AgentTab;
  taskTabSheet_ = new QWidget;
  taskTabSheet_->setObjectName("TaskTabSheet");
  taskFrame_ = new TTaskFrame(taskTabSheet_);
  taskFrame_->setObjectName("TTaskFrame");
  auto* taskLayout = new QVBoxLayout(taskTabSheet_);
  taskLayout->setContentsMargins(0, 0, 0, 0);
  taskLayout->addWidget(taskFrame_);
  parametersTab_ = new ParametersTab;
  newcomersTab_ = new NewcomersTab;
  aboutTab_ = new AboutTab;
  pageControl1_->addTab(agentTab_, "Agent");
  pageControl1_->addTab(taskTabSheet_, "Task");
  pageControl1_->addTab(parametersTab_, "Parameters");
  pageControl1_->addTab(newcomersTab_, "Newcomers");
  pageControl1_->addTab(aboutTab_, "About");
  // The layout's size at first; a larger or maximised window gives the tabs
  // the room (more agent frames and skill rows in view), the strip below
  // keeps its arrangement.
  pageControl1_->setMinimumSize(1081, 249);
  pageControl1_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

  indicators_ = new IndicatorStrip(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, kRightMargin, 8);
  layout->setSpacing(7);
  layout->addWidget(pageControl1_, 1);
  statusLine_ = new StatusLine(this);
  // The strip and the status line keep the width they have in the window at
  // its layout size and stand at its left, so that a wider (maximised)
  // window keeps the buttons beside the indicators and the status line wraps
  // where it did.
  for (QWidget* foot : {static_cast<QWidget*>(indicators_), static_cast<QWidget*>(statusLine_)}) {
    foot->setMaximumWidth(kLayoutSize.width() - kRightMargin);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    // The foot grows up to its maximum; only then does the empty room
    // right of it grow.
    row->addWidget(foot, 1);
    row->addStretch(0);
    layout->addLayout(row);
  }

  files_ = new FileCommands(this, panel_, bench_, [this](const QString& text) { ShowMessage(text); });
  menuBar_ = new MainMenuBar(this, *files_, [this](auto apply) { ApplyConfiguration(apply); });
  // Through the layout, so that the tabs and the strip below keep their
  // arrangement underneath it.
  layout->setMenuBar(menuBar_);
  // The shortcuts work wherever the focus is in the window.
  addActions(menuBar_->WindowShortcuts());

  // One entry after the configurations: the levels the agents hold.
  menuBar_->ConfigurationsMenu()->addSeparator();
  skillLevelsAction_ = menuBar_->ConfigurationsMenu()->addAction("Skill levels...", this, [this] { ShowLevelsEditor(); });
  skillLevelsAction_->setObjectName("SkillLevelsAction");
  skillLevelsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  skillLevelsAction_->setToolTip(
      "Shows every agent's expertise and motivation per skill of the committed group, to edit and fill; the next "
      "commit keeps them");
  addAction(skillLevelsAction_);

  connect(files_, &FileCommands::Note, statusLine_, &StatusLine::SetNote);
  connect(menuBar_->QuitAction(), &QAction::triggered, this, &QWidget::close);
  connect(menuBar_->AboutAction(), &QAction::triggered, this, [this] { ShowAbout(); });
  connect(files_, &FileCommands::Loaded, this, [this] { UpDownsFollowEdits(); });
  progress_ = new RunProgress(this);
  design_ = new DesignControl(this, newcomersTab_->RunDesignButton(), panel_,
                              [this](const QString& text) { ShowMessage(text); });

  BindPanel();
  bench_.SetObserver(&observer_);
  taskFrame_->SetGrid(&bench_.State().TaskGrid);
  for (TFrame1* frame : agentTab_->Frames()) {
    frame->Attach(
        &bench_, [this](const QString& text) { ShowMessage(text); }, [this] { SetSystem(); });
  }
  WireEvents();

  pageControl1_->setCurrentWidget(newcomersTab_);
  move(55, 47);
  resize(kLayoutSize);
  FormCreate();
}

TParForm::~TParForm() {
  // The workbench goes before the child widgets do: nothing may show its
  // grids or records once it is gone.
  bench_.SetObserver(nullptr);
  taskFrame_->SetGrid(nullptr);
  for (TFrame1* frame : agentTab_->Frames()) frame->Attach(nullptr, nullptr, nullptr);
}

TFrame1* TParForm::Frame(int index) const { return agentTab_->Frame(index); }

SkillLevelsEditor& TParForm::LevelsEditor() {
  if (!levelsEditor_) {
    levelsEditor_ = new SkillLevelsEditor(bench_, this);
    levelsEditor_->setWindowModality(Qt::NonModal);
    // The agents now hold other levels: the frames show them, and the
    // warning of the last START no longer speaks of them.
    connect(levelsEditor_, &SkillLevelsEditor::LevelsSet, this, [this] {
      statusLine_->SetExtraWarning({});
      ShowStatesAgents();
    });
    // While a run waits at a box the agents are the run's: no edits.
    connect(this, &TParForm::RunBusy, levelsEditor_, [this](bool busy) { levelsEditor_->setEnabled(!busy); });
  }
  return *levelsEditor_;
}

void TParForm::ShowLevelsEditor() {
  SkillLevelsEditor& editor = LevelsEditor();
  editor.ShowHeldLevels();
  editor.show();
  editor.raise();
  editor.activateWindow();
}

void TParForm::BindPanel() {
  parametersTab_->BindTo(panel_);
  newcomersTab_->BindTo(panel_);
}

void TParForm::WireEvents() {
  connect(indicators_->StartButton(), &QPushButton::clicked, this, [this] { StartButtonClick(); });
  connect(indicators_->OKButton(), &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(indicators_->CancelButton(), &QPushButton::clicked, this, [this] { CancelButtonClick(); });
  connect(indicators_->DefaultButton(), &QPushButton::clicked, this, [this] { DefaultButtonClick(); });
  connect(newcomersTab_->DefineButton(), &QPushButton::clicked, this, [this] { DefineButtonClick(); });
  connect(newcomersTab_->RunDesignButton(), &QPushButton::clicked, design_, &DesignControl::RunDesignButtonClick);
  for (RadioGroup* group : {newcomersTab_->FitNoFitRadioGroup(), newcomersTab_->NewcomerRadioGroup(),
                            newcomersTab_->HiLoRadioGroup()}) {
    connect(group, &RadioGroup::ItemIndexChanged, this, [this] { ShowItemsDiffer(); });
  }
  connect(parametersTab_->ExpRateUpDown(), &UpDown::Click, this, [this] { ExpRateUpDownClick(); });
  for (int k = 0; k < 6; ++k) {
    TFrame1* frame = Frame(k);
    connect(frame->AgentEditUpDown, &UpDown::Click, this, [this, k] { AgentEditChanged(k); });
    // A number typed into the agent box counts once Enter is pressed or the
    // box loses the focus.
    connect(frame->AgentEdit, &QLineEdit::editingFinished, this, [this, frame, k] {
      // Only what the user typed since: leaving a box the arrows or a refresh
      // wrote, or the focus moving to the message box, changes nothing.
      if (!frame->AgentEdit->isModified()) return;
      frame->AgentEdit->setModified(false);
      AgentEditChanged(k);
    });
    // The grids are displays: a click selects cells to copy, it stores and
    // commits nothing (AgentGridClick stays reachable through
    // Frame11AgentGridClick and Frame15AgentGridClick).
  }
}

void TParForm::AgentEditChanged(int index) {
  TFrame1* frame = Frame(index);
  Handle([this, frame] {
    frame->AgentEditUpDownClick();
    const int agents = bench_.State().System.NrOfAgents;
    // The frame shows nothing for a number outside the group; the status line
    // says why.
    statusLine_->SetNote(frame->ShowsExistingAgent()
                             ? QString()
                             : QString("There is no agent %1: the group has agents 1 to %2")
                                   .arg(frame->AgentNr)
                                   .arg(agents));
  });
}

// ------------------------------------------------------------------ messages and errors

void TParForm::ShowMessage(const QString& text) {
  if (messageFunction_) {
    messageFunction_(text);
    return;
  }
  program_message::Show(this, text);
}

void TParForm::Handle(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const davrel3::ConversionError& error) {
    SyncButtons();
    ShowMessage(ConversionMessage(error));
  } catch (const std::exception& error) {
    SyncButtons();
    ShowMessage(QString::fromStdString(error.what()));
  } catch (...) {
    SyncButtons();
    ShowMessage("An unknown error occurred");
  }
  SyncButtons();
}

void TParForm::SyncButtons() {
  indicators_->StartButton()->setEnabled(bench_.StartEnabled());
  indicators_->DefaultButton()->setEnabled(bench_.DefaultEnabled());
}

void TParForm::closeEvent(QCloseEvent* event) {
  event->accept();
  if (running_) {
    // Inside START: the open box closes, the run stops at the end of its
    // timestep (CancelRequested), and the program ends when START returns.
    closeRequested_ = true;
    if (stepLoop_) stepLoop_->quit();
    return;
  }
  emit Closed();
}

// ------------------------------------------------------------------ help and settings

QString TParForm::AboutText() {
  return QString(
             "<p><b>Davrel3</b> %1</p>"
             "<p>A simulation of task allocation in self-organising work groups. Every run is deterministic: the "
             "same parameters give the same results.</p>"
             "<p><b>Define</b> (Newcomers tab) commits the experimental condition chosen by the three radio groups "
             "and builds the work group. <b>OK</b> commits the parameters as typed; <b>Cancel</b> puts the "
             "committed values back.</p>"
             "<p><b>START</b> runs the committed group through its task. Tick \"Indicate new timestep\" to follow "
             "the run in the Agent and Task tabs; \"Stop indicating\" lets it run on. After the run the chart "
             "window shows expertise, motivation, performance, allocation and work time.</p>"
             "<p><b>Run design</b> runs every condition of the experimental design with the parameters shown and "
             "lists the results in the Design results window.</p>"
             "<p><b>Results</b>: every chart, table and grid offers Copy and Save CSV... or Save image... on its "
             "context menu; the Design results window has Copy and Save CSV...; File &gt; Save run record... "
             "saves the last run as JSON. davrel3-batch runs the same model without windows.</p>")
      .arg(QString::fromStdString(davrel3::ProgramVersion()).toHtmlEscaped());
}

void TParForm::ShowAbout() {
  QMessageBox box(QMessageBox::NoIcon, "About Davrel3", AboutText(), QMessageBox::Ok, this);
  box.setObjectName("AboutBox");
  box.setTextFormat(Qt::RichText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void TParForm::RestoreSettings() {
  window_settings::RestoreGeometry(*this, "mainWindow");
  window_settings::KeepInsideScreen(*this);
  // The title bar and borders are known once the window is shown.
  QTimer::singleShot(0, this, [this] { window_settings::KeepInsideScreen(*this); });
}

void TParForm::SaveSettings() const { window_settings::SaveGeometry(*this, "mainWindow"); }

// ------------------------------------------------------------------ handlers

void TParForm::FormCreate() {
  Commit("Start-up", [this] {
    davrel3::SetMemoryBudget(bench_, davrel3::DefaultMemoryBudget());
    bench_.FormCreate();
  });
}

void TParForm::Commit(const QString& source, const std::function<void()>& commit) {
  commitSource_ = source;
  Handle(commit);
  // Commits that come from elsewhere (an agent frame) say so themselves.
  commitSource_ = "agent grid";
}

std::array<int, 3> TParForm::ChosenItems() const {
  return {newcomersTab_->FitNoFitRadioGroup()->ItemIndex(), newcomersTab_->NewcomerRadioGroup()->ItemIndex(),
          newcomersTab_->HiLoRadioGroup()->ItemIndex()};
}

void TParForm::ShowCommitted() {
  statusLine_->SetCommitted(
      QString("Committed (%1): %2; %3 agents, %4 skills")
          .arg(committedBy_,
               status_text::ConditionText(committedItems_[0], committedItems_[1], committedItems_[2]))
          .arg(committedAgents_)
          .arg(committedSkills_));
  ShowItemsDiffer();
}

void TParForm::ShowItemsDiffer() {
  const std::array<int, 3> chosen = ChosenItems();
  if (chosen == committedItems_) {
    statusLine_->SetItemsDiffer({});
    return;
  }
  // The run reads the items at the newcomer's entrance, so it says so plainly.
  statusLine_->SetItemsDiffer(
      QString("The items chosen (%1) are not the committed condition: press Define to commit them. START now "
              "enters the newcomer by the chosen items into the committed group.")
          .arg(status_text::ConditionText(chosen[0], chosen[1], chosen[2])));
}

void TParForm::OKButtonClick() {
  Commit("OK", [this] { bench_.OKButtonClick(); });
}

void TParForm::CancelButtonClick() {
  Handle([this] {
    bench_.CancelButtonClick();
    UpDownsFollowEdits();
  });
}

void TParForm::UpDownsFollowEdits() {
  for (int i = 0; i < davrel3::kFieldCount; ++i) {
    const auto field = static_cast<Field>(i);
    UpDown* upDown = panel_.UpDownOf(field);
    if (!upDown) continue;
    try {
      upDown->SetPosition(panel_.Read(field));
    } catch (const std::exception&) {
      // Not a number: the arrows keep their own position.
    }
  }
}

void TParForm::DefineButtonClick() {
  Commit("Define", [this] { bench_.DefineButtonClick(); });
}

void TParForm::DefaultButtonClick() {
  Commit("Default", [this] { bench_.DefaultButtonClick(); });
}

void TParForm::ExpRateUpDownClick() {
  Handle([this] {
    const int expertise = panel_.Read(Field::ExpRate);
    panel_.SetText(Field::MotRate, davrel3::IntToStr(100 - expertise));
  });
}

void TParForm::Frame11AgentGridClick() {
  Handle([this] { Frame(0)->AgentGridClick(); });
}

void TParForm::Frame15AgentGridClick() {
  Handle([this] { Frame(4)->AgentGridClick(); });
}

void TParForm::Frame11AgentEditUpDownClick() {
  Handle([this] { Frame(0)->AgentEditUpDownClick(); });
}

void TParForm::Frame12AgentEditUpDownClick() {
  Handle([this] { Frame(1)->AgentEditUpDownClick(); });
}

void TParForm::ApplyConfiguration(void (davrel3::Workbench::*apply)()) {
  QString name = "configuration";
  for (const davrel3::Configuration& configuration : davrel3::Configurations()) {
    if (configuration.apply == apply) name = QString("configuration %1").arg(configuration.name);
  }
  // A configuration brings its own profile: the levels of a parameter file
  // opened before it are set aside.
  const bool setAside = files_->TakePendingLevels().has_value();
  Commit(name, [this, apply] { (bench_.*apply)(); });
  if (setAside) statusLine_->SetNote(QString("The %1 set its own levels, not the parameter file's").arg(name));
}

// ------------------------------------------------------------------ operations

void TParForm::SetSystem() {
  bench_.SetSystem();
  SyncButtons();
}

void TParForm::MakeGrids() {
  // A commit: the model the last run left behind is gone, and with it the
  // record the window could save.
  files_->ForgetRun();
  statusLine_->SetNote({});
  statusLine_->SetRunSummary({});
  statusLine_->SetExtraWarning({});
  emit RunEnded({});
  committedBy_ = commitSource_;
  committedItems_ = ChosenItems();
  committedAgents_ = bench_.State().System.NrOfAgents;
  committedSkills_ = bench_.State().System.Agents.empty() ? 0 : bench_.State().System.Agents[0].NrOfSkills;
  ShowCommitted();
  // The levels of a parameter file opened since the last commit.
  if (auto levels = files_->TakePendingLevels()) {
    try {
      davrel3::ApplySkillState(bench_.State().System, levels->second,
                               QString("the parameter file %1").arg(levels->first).toStdString());
      statusLine_->SetNote(QString("The levels of %1 set").arg(levels->first));
    } catch (const davrel3::LevelsRefused& refusal) {
      ShowMessage(QString::fromStdString(refusal.what()));
    }
  }
  MakeAgentGrids();
  ShowStatesAgents();
  if (levelsEditor_) levelsEditor_->ShowHeldLevels();
}

void TParForm::MakeAgentGrids() {
  // Both counts are read from their edits afresh at each use.
  agentTab_->MakeAgentGrids([this] { return panel_.Read(Field::NrofAg); },
                            [this] { return panel_.Read(Field::NrofSkills); });
}

void TParForm::ShowStatesAgents() { agentTab_->ShowStatesAgents(); }
