#include "DV3Newcomer2009Par.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QScopeGuard>
#include <exception>
#include <malloc.h>

#include "experiment/memory_budget.h"
#include "experiment/run_memory.h"
#include "DV3Newcomer2009Agent.h"
#include "DV3Newcomer2009Task.h"
#include "about_tab.h"
#include "agent_tab.h"
#include "design_control.h"
#include "experiment/agents_without_work.h"
#include "experiment/record.h"
#include "file_commands.h"
#include "indicator_strip.h"
#include "main_menu_bar.h"
#include "model/int_text.h"
#include "newcomers_tab.h"
#include "parameters_tab.h"
#include "radio_group.h"
#include "run_progress.h"
#include "skill_levels_editor.h"
#include "status_line.h"
#include "up_down.h"
#include "window_style.h"

using davrel3::Field;

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
  pageControl1_->setFixedSize(1081, 249);

  indicators_ = new IndicatorStrip(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 8, 8);
  layout->setSpacing(7);
  layout->addWidget(pageControl1_, 0, Qt::AlignLeft);
  layout->addWidget(indicators_);
  layout->addStretch(1);
  statusLine_ = new StatusLine(this);
  layout->addWidget(statusLine_);

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
  resize(1094, 348);
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
    connect(frame->AgentEditUpDown, &UpDown::Click, this,
            [this, frame] { Handle([frame] { frame->AgentEditUpDownClick(); }); });
    if (k == 0) {
      connect(frame->AgentGrid, &QAbstractItemView::clicked, this, [this] { Frame11AgentGridClick(); });
    } else if (k == 4) {
      connect(frame->AgentGrid, &QAbstractItemView::clicked, this, [this] { Frame15AgentGridClick(); });
    } else {
      connect(frame->AgentGrid, &QAbstractItemView::clicked, this,
              [this, frame] { Handle([frame] { frame->AgentGridClick(); }); });
    }
  }
}

// ------------------------------------------------------------------ messages and errors

void TParForm::ShowMessage(const QString& text) {
  if (messageFunction_) {
    messageFunction_(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void TParForm::ShowStepMessage(const QString& text) {
  // The run is on its way out, or the user stopped the indications: the run
  // reads the check boxes once at START, so the boxes end here.
  if (closeRequested_ || stepsStopped_) return;
  if (messageFunction_) {
    messageFunction_(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::NoButton, this);
  box.setObjectName("StepBox");
  QPushButton* ok = box.addButton(QMessageBox::Ok);
  QPushButton* stop = box.addButton("Stop indicating", QMessageBox::RejectRole);
  stop->setObjectName("StopIndicatingButton");
  stop->setToolTip("Unticks every indicator box; the run goes on to its end without boxes");
  box.setDefaultButton(ok);
  // Escape and the title bar's close go on, as OK does.
  box.setEscapeButton(ok);
  // Wide enough for its title; placed where it hides neither the frames nor
  // the task grid.
  box.setMinimumWidth(280);
  box.setWindowModality(Qt::NonModal);
  box.adjustSize();
  box.move(StepBoxPlace(box.frameGeometry().size().expandedTo(QSize(280, 100))));

  QEventLoop loop;
  stepLoop_ = &loop;
  progress_->PauseForBox();
  connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
  SetInputsEnabled(false);
  box.show();
  loop.exec();
  stepLoop_ = nullptr;
  progress_->ResumeAfterBox();
  SetInputsEnabled(true);
  if (box.clickedButton() == stop) {
    UntickIndicators();
    stepsStopped_ = true;
  }
}

bool TParForm::RunShouldStop() {
  if (closeRequested_) return true;
  return progress_->TimestepEnded();
}

void TParForm::UntickIndicators() {
  for (QCheckBox* box : {indicators_->TaskCheckBox(), indicators_->CycleCheckBox(), indicators_->AllCheckBox(),
                         indicators_->PerfCheckBox(), indicators_->InflCheckBox(),
                         indicators_->AgVariationCheckBox(), indicators_->ProcesBox()}) {
    box->setChecked(false);
  }
}

QPoint TParForm::StepBoxPlace(QSize size) const {
  const QRect frame = frameGeometry();
  const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
  const QRect room = shown ? shown->availableGeometry() : QRect();
  // Below the window, level with START, if the screen has room there;
  // otherwise over the indicator strip's right end, above START.
  const QPoint below(frame.right() - size.width() + 1, frame.bottom() + 1);
  if (room.isNull() || room.contains(QRect(below, size))) return below;
  const QPoint strip(frame.right() - size.width() - 180, frame.bottom() - size.height() - 8);
  return QPoint(std::max(room.left(), strip.x()), std::max(room.top(), strip.y()));
}

void TParForm::SetInputsEnabled(bool enabled) {
  for (QWidget* part : {static_cast<QWidget*>(indicators_), static_cast<QWidget*>(menuBar_),
                        static_cast<QWidget*>(parametersTab_), static_cast<QWidget*>(newcomersTab_)}) {
    part->setEnabled(enabled);
  }
  if (!enabled) {
    shortcutStates_.clear();
    for (QAction* action : actions()) {
      shortcutStates_.append({action, action->isEnabled()});
      action->setEnabled(false);
    }
  } else {
    for (const auto& [action, wasEnabled] : shortcutStates_) action->setEnabled(wasEnabled);
    shortcutStates_.clear();
  }
  emit RunBusy(!enabled);
}

void TParForm::Handle(const std::function<void()>& handler) {
  try {
    handler();
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

void TParForm::StartButtonClick() {
  Handle([this] {
    // Read as the runner reads them for its record: just before START.
    davrel3::ParameterValues parameters = davrel3::ReadParameters(panel_);
    davrel3::RunOutcome outcome;
    running_ = true;
    stepsStopped_ = false;
    progress_->Start();
    const auto notRunning = qScopeGuard([this] {
      progress_->Finish();
      running_ = false;
      if (closeRequested_) emit Closed();
    });
    // Which agents the levels leave without work, before the run moves them.
    statusLine_->SetExtraWarning(QString::fromStdString(
        davrel3::AgentsWithoutWorkWarning(davrel3::AgentsWithoutWork(bench_))));
    // The editor shows the levels the run leaves, however it ends.
    const auto levelsShown = qScopeGuard([this] {
      if (levelsEditor_) levelsEditor_->ShowHeldLevels();
    });
    try {
      outcome = bench_.StartButtonClick(afterRunDraw_);
    } catch (const std::exception& error) {
      // The run went, its draw did not: the record says so, as the runner's does.
      const davrel3::RunOutcome failed{davrel3::RunStatus::Failed, error.what(), {}};
      files_->RememberRun(failed, std::move(parameters));
      statusLine_->SetRunSummary(status_text::RunSummaryText(failed));
      emit RunEnded(status_text::RunSummaryText(failed));
      throw;
    }
    if (outcome.status != davrel3::RunStatus::Refused) {
      files_->RememberRun(outcome, std::move(parameters));
      const QString summary = status_text::RunSummaryText(outcome);
      statusLine_->SetRunSummary(summary);
      emit RunEnded(summary);
    }
    SyncButtons();
    if (outcome.status == davrel3::RunStatus::Failed || outcome.status == davrel3::RunStatus::Cancelled) {
      // What the run's work freed goes back to the system at once.
      malloc_trim(0);
    }
    // A run stopped by closing the window ends with the program: no box.
    if (!closeRequested_ && outcome.status != davrel3::RunStatus::Finished && !outcome.message.empty()) {
      ShowMessage(QString::fromStdString(outcome.message));
    }
  });
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
  Commit(name, [this, apply] { (bench_.*apply)(); });
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
  committedBy_ = commitSource_;
  committedItems_ = ChosenItems();
  committedAgents_ = bench_.State().System.NrOfAgents;
  committedSkills_ = bench_.State().System.Agents.empty() ? 0 : bench_.State().System.Agents[0].NrOfSkills;
  ShowCommitted();
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
