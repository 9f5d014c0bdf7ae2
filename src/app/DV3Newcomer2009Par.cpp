#include "DV3Newcomer2009Par.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>

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

  files_ = new FileCommands(this, panel_, bench_, [this](const QString& text) { ShowMessage(text); });
  menuBar_ = new MainMenuBar(this, *files_, [this](auto apply) { ApplyConfiguration(apply); });
  // Through the layout, so that the tabs and the strip below keep their
  // arrangement underneath it.
  layout->setMenuBar(menuBar_);
  // The shortcuts work wherever the focus is in the window.
  addActions(menuBar_->WindowShortcuts());

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
  emit Closed();
}

// ------------------------------------------------------------------ handlers

void TParForm::FormCreate() {
  Handle([this] { bench_.FormCreate(); });
}

void TParForm::StartButtonClick() {
  Handle([this] {
    // Read as the runner reads them for its record: just before START.
    davrel3::ParameterValues parameters = davrel3::ReadParameters(panel_);
    davrel3::RunOutcome outcome;
    try {
      outcome = bench_.StartButtonClick(afterRunDraw_);
    } catch (const std::exception& error) {
      // The run went, its draw did not: the record says so, as the runner's does.
      files_->RememberRun(davrel3::RunOutcome{davrel3::RunStatus::Failed, error.what(), {}}, std::move(parameters));
      throw;
    }
    if (outcome.status != davrel3::RunStatus::Refused) files_->RememberRun(outcome, std::move(parameters));
    SyncButtons();
    if (outcome.status != davrel3::RunStatus::Finished && !outcome.message.empty()) {
      ShowMessage(QString::fromStdString(outcome.message));
    }
  });
}

void TParForm::OKButtonClick() {
  Handle([this] { bench_.OKButtonClick(); });
}

void TParForm::CancelButtonClick() {
  Handle([this] { bench_.CancelButtonClick(); });
}

void TParForm::DefineButtonClick() {
  Handle([this] { bench_.DefineButtonClick(); });
}

void TParForm::DefaultButtonClick() {
  Handle([this] { bench_.DefaultButtonClick(); });
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
  Handle([this, apply] { (bench_.*apply)(); });
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
  menuBar_->MenuNote()->clear();
  MakeAgentGrids();
  ShowStatesAgents();
}

void TParForm::MakeAgentGrids() {
  // Both counts are read from their edits afresh at each use.
  agentTab_->MakeAgentGrids([this] { return panel_.Read(Field::NrofAg); },
                            [this] { return panel_.Read(Field::NrofSkills); });
}

void TParForm::ShowStatesAgents() { agentTab_->ShowStatesAgents(); }
