// TParForm: the main window ("Davrel3") and the program's only place of input.
//
// It carries the parameter controls, the experimental-condition controls of
// the "Newcomers" tab, the six agent frames, the task frame, the step-through
// indicators and the OK, Cancel, Define and START buttons, and it owns the
// workbench (the work group, the task, the history). The parameters are the
// texts of its edits, reached by the workbench through a WidgetPanel over
// those very widgets; runs report to it through a WindowObserver.
//
// Every event handler is a boundary: whatever it throws (a ConversionError,
// a CommitRefused, anything derived from std::exception) is shown in a
// one-line message box and the window goes back to waiting. After every
// handler START and Default show the workbench's state.
//
// Creating the window lays out its controls and runs FormCreate (the start-up
// configuration and its commit); it opens on the "Newcomers" tab.
//
// Beyond the buttons, a menu bar offers files the user asks for by name (a
// parameter set to open or save, the record of the last run), the named
// configurations, and "Run design" on the "Newcomers" tab runs all 18
// conditions on worker threads into a "Design results" window. None of them
// changes what a run, a commit or a display does; nothing is read or written
// unless the user asks.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "experiment/record.h"

#include "presets/workbench.h"
#include "widget_panel.h"
#include "window_observer.h"

class DesignResultsWindow;
struct DesignResult;
class DesignRunner;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressDialog;
class QPushButton;
class QTabWidget;
class RadioGroup;
class TFrame1;
class TTaskFrame;
class UpDown;

class TParForm : public QWidget {
  Q_OBJECT

 public:
  // Shows a one-line message and returns when the user has dismissed it.
  using MessageFunction = std::function<void(const QString& text)>;

  explicit TParForm(QWidget* parent = nullptr);
  ~TParForm() override;

  davrel3::Workbench& Bench() { return bench_; }
  WidgetPanel& Panel() { return panel_; }

  // What START draws after a run that finished or stalled; unset, the
  // workbench draws its grids only.
  void SetAfterRunDraw(std::function<void()> draw) { afterRunDraw_ = std::move(draw); }
  // Replaces the modal message box (tests answer the boxes themselves);
  // nullptr restores it.
  void SetMessageFunction(MessageFunction show) { messageFunction_ = std::move(show); }
  // A modal box with the text and an OK button, or the replacement.
  void ShowMessage(const QString& text);

  // --- event handlers
  void FormCreate();
  void StartButtonClick();
  void OKButtonClick();
  void CancelButtonClick();
  void DefineButtonClick();
  void DefaultButtonClick();
  void ExpRateUpDownClick();
  void Frame11AgentGridClick();
  void Frame15AgentGridClick();
  // Would pass an up-down click on to the frame; no control is bound to them.
  void Frame11AgentEditUpDownClick();
  void Frame12AgentEditUpDownClick();

  // --- files, configurations and the design (menu bar and "Run design")
  // The commands behind the File menu, without their dialogs. Every failure
  // is shown as a message; they return whether the file was read or written.
  // Opening writes texts, positions and items into the panel only: OK or
  // Define commits them.
  bool OpenParameters(const QString& path);
  bool SaveParameters(const QString& path);
  // The last run's whole record, as davrel3-batch --json prints it. Refused
  // when there is no run, or a commit has since replaced its model.
  bool SaveRunRecord(const QString& path);
  bool HasRunRecord() const { return lastRun_.has_value(); }
  // Applies a configuration of davrel3::Configurations() and commits, as
  // its handler does.
  void ApplyConfiguration(void (davrel3::Workbench::*apply)());
  // Starts the 18 conditions from the texts the edits hold now; the results
  // window opens when all are done.
  void RunDesignButtonClick();
  DesignRunner* Runner() const { return designRunner_; }
  // Created by the first design run that finishes.
  DesignResultsWindow* DesignResults() const { return designResults_; }

  // --- operations the model and the frames call
  // The commit; throws as the workbench does.
  void SetSystem();
  // MakeAgentGrids, then ShowStatesAgents.
  void MakeGrids();
  // Which frames are visible, and their grids prepared.
  void MakeAgentGrids();
  // Frame k shows agent k.
  void ShowStatesAgents();
  // The height AgentPanel would have on the fixed layout: 201, or 385 (legend
  // in view) from four agents on.
  int AgentPanelHeight() const { return agentPanelHeight_; }

  // --- page control
  QTabWidget* PageControl1;
  QWidget* AgentTabSheet;
  QWidget* TaskTabSheet;
  QWidget* ParTabSheet;
  QWidget* ProcesTabSheet;
  QWidget* TabSheet1;

  // --- "Agent"
  QFrame* AgentPanel;
  std::array<TFrame1*, 6> Frames{};  // Frame11 ... Frame16
  QLabel* AgentLegend;

  // --- "Task"
  TTaskFrame* TaskFrame;

  // --- "Parameters"
  QFrame* ParPanel;
  QFrame* SystemPanel;
  QFrame* ExpPanel;
  QFrame* MotPanel;
  QFrame* TaskPanel;
  QLineEdit *NrofAgEdit, *NrofSkillsEdit, *InhParEdit, *ExcParEdit, *ExpRateEdit, *MotRateEdit, *LearnIntEdit;
  UpDown *NrofAgUpDown, *NrofSkillsUpDown, *InhParUpDown, *ExcParUpDown, *ExpRateUpDown, *LearnIntUpDown;
  QLineEdit *ExpMaxEdit, *ExpThreshEdit, *LearnSpeedEdit, *ForgetSpeedEdit;
  UpDown *ExpMaxUpDown, *ExpThreshUpDown, *LearnSpeedUpDown, *ForgetSpeedUpDown;
  QLineEdit *MotMaxEdit, *MotThreshEdit, *BoreEdit, *RestEdit, *FairEdit;
  UpDown *MotMaxUpDown, *MotThreshUpDown, *BoreUpDown, *RestUpDown, *FairUpDown;
  QLabel* FairLabel;
  QLineEdit *NrOfTasksEdit, *CycleEdit, *ActionEdit, *VarEdit, *DurEdit;
  UpDown *NrOfTasksUpDown, *CycleUpDown, *ActionUpDown, *VarUpDown, *DurUpDown;

  // --- "Newcomers"
  RadioGroup* FitNoFitRadioGroup;
  RadioGroup* NewcomerRadioGroup;
  RadioGroup* HiLoRadioGroup;
  QFrame* TurnoverPanel;
  QLineEdit* EntTurnAgent;
  QPushButton* DefineButton;
  QPushButton* RunDesignButton;

  // --- menu bar
  QMenuBar* MenuBar;
  QMenu* FileMenu;
  QMenu* ConfigurationsMenu;
  QAction* OpenParametersAction;
  QAction* SaveParametersAction;
  QAction* SaveRunRecordAction;
  // A short note beside the menus (what a file command did), cleared by the
  // next commit.
  QLabel* MenuNote;

  // --- "About"
  std::array<QLabel*, 4> AboutLabels{};

  // --- below the page control
  QCheckBox* TaskCheckBox;
  QLineEdit* Edit3;
  QCheckBox* CycleCheckBox;
  QLineEdit* Edit2;
  QPushButton* DefaultButton;
  QPushButton* OKButton;
  QPushButton* CancelButton;
  QPushButton* StartButton;
  // Never shown: they read as unticked and empty.
  QCheckBox* ProcesBox;
  QLineEdit* Edit1;
  QCheckBox* AllCheckBox;
  QCheckBox* PerfCheckBox;
  QCheckBox* InflCheckBox;
  QCheckBox* AgVariationCheckBox;
  QLineEdit* CountEdit;

 signals:
  // The user closed the window: the program ends.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Runs a handler; shows what it throws; brings START and Default up to date.
  void Handle(const std::function<void()>& handler);
  void SyncButtons();

  QWidget* BuildAgentTab();
  QWidget* BuildTaskTab();
  QWidget* BuildParametersTab();
  QWidget* BuildNewcomersTab();
  QWidget* BuildAboutTab();
  QLayout* BuildIndicatorStrip();
  void CreateHiddenControls();
  void BindPanel();
  void WireEvents();
  void BuildMenus();
  void AskOpenParameters();
  void AskSaveParameters();
  void AskSaveRunRecord();
  void DesignProgress(int done, int total);
  void DesignFinished(const DesignResult& result);
  void DesignStopped();

  WidgetPanel panel_;
  davrel3::Workbench bench_{panel_};
  WindowObserver observer_{*this};
  std::function<void()> afterRunDraw_;
  MessageFunction messageFunction_;
  int agentPanelHeight_ = 201;

  // What the last START ran with and how it ended; its record is built only
  // when the user saves it. A commit replaces the model and clears it.
  struct LastRun {
    davrel3::RunOutcome outcome;
    davrel3::ParameterValues parameters;
  };
  std::optional<LastRun> lastRun_;

  DesignRunner* designRunner_ = nullptr;
  QProgressDialog* designProgress_ = nullptr;
  DesignResultsWindow* designResults_ = nullptr;
};
