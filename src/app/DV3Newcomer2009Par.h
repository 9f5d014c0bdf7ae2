// TParForm: the main window ("Davrel3") and the program's only place of input.
//
// It owns the workbench (the work group, the task, the history) and puts
// together the window's parts, one class each: the tabs "Agent" (AgentTab),
// "Task" (TTaskFrame), "Parameters" (ParametersTab), "Newcomers"
// (NewcomersTab) and "About" (AboutTab), the indicator strip with the buttons
// below them (IndicatorStrip), the menu bar (MainMenuBar) with its file
// commands (FileCommands), "Run design" (DesignControl) and the "Skill
// levels" editor (SkillLevelsEditor). The parameters
// are the texts of the tabs' edits, reached by the workbench through a
// WidgetPanel over those very widgets; runs report to it through a
// WindowObserver.
//
// Every event handler is a boundary: whatever it throws (a ConversionError,
// a CommitRefused, anything derived from std::exception) is shown in a
// one-line message box and the window goes back to waiting. After every
// handler START and Default show the workbench's state. START first names,
// on the status line, the present agents that cannot take a unit
// (AgentsWithoutWork); the run is the same either way.
//
// Creating the window lays out its controls and runs FormCreate (the start-up
// configuration and its commit); it opens on the "Newcomers" tab.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "model/int_text.h"
#include "presets/workbench.h"
#include "widget_panel.h"
#include "window_observer.h"

class AboutTab;
class AgentTab;
class DesignControl;
class FileCommands;
class IndicatorStrip;
class MainMenuBar;
class NewcomersTab;
class ParametersTab;
class QAction;
class QEventLoop;
class QTabWidget;
class RunProgress;
class SkillLevelsEditor;
class StatusLine;
class TFrame1;
class TTaskFrame;

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
  // Help > About: the program's version and a short guide.
  static QString AboutText();
  void ShowAbout();
  // The geometry of the last launch, kept inside the screen; and keeping it
  // for the next (main() calls these, so tests and pictures start alike).
  void RestoreSettings();
  void SaveSettings() const;
  // The message for a text that is not a whole number: the conversion
  // message, then which box holds the text and what it takes.
  QString ConversionMessage(const davrel3::ConversionError& error) const;
  // The message of a run that did not finish, a conversion message made plain.
  QString RunMessage(const std::string& message) const;

  // Replaces the modal message box (tests answer the boxes themselves);
  // nullptr restores it.
  void SetMessageFunction(MessageFunction show) { messageFunction_ = std::move(show); }
  // A modal box with the text and an OK button, or the replacement.
  void ShowMessage(const QString& text);
  // A step-through message of a run: a box (StepBox) with OK and "Stop
  // indicating", which unticks every indicator box so the run goes on to its
  // end without boxes. While it is open only the tabs can be used, and
  // closing the main window ends the run and the program. With a replacement
  // message function set, that function answers (as OK).
  void ShowStepMessage(const QString& text);
  // Whether the user closed the window while a run was going.
  bool CloseRequested() const { return closeRequested_; }
  // The long-run dialog of START; the run asks it after every timestep.
  RunProgress& Progress() const { return *progress_; }
  // Whether the run should stop now: the user cancelled it or closed the window.
  bool RunShouldStop();

  // --- the window's parts
  QTabWidget* PageControl1() const { return pageControl1_; }
  AgentTab* AgentTabSheet() const { return agentTab_; }
  QWidget* TaskTabSheet() const { return taskTabSheet_; }
  ParametersTab* ParTabSheet() const { return parametersTab_; }
  NewcomersTab* ProcesTabSheet() const { return newcomersTab_; }
  AboutTab* TabSheet1() const { return aboutTab_; }
  TTaskFrame* TaskFrame() const { return taskFrame_; }
  IndicatorStrip* Indicators() const { return indicators_; }
  MainMenuBar* MenuBar() const { return menuBar_; }
  FileCommands& Files() const { return *files_; }
  DesignControl& Design() const { return *design_; }
  StatusLine* Status() const { return statusLine_; }
  // "Skill levels..." of the "Configurations" menu, and the editor it opens
  // (made on first use; it follows every commit and run from then on).
  QAction* SkillLevelsAction() const { return skillLevelsAction_; }
  SkillLevelsEditor& LevelsEditor();
  void ShowLevelsEditor();
  // Frame11 ... Frame16, by index 0 ... 5.
  TFrame1* Frame(int index) const;

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
  // The agent box of frame `index` (0 ... 5) was changed by its arrows, or
  // by typing and Enter or leaving the box: the frame shows that agent.
  void AgentEditChanged(int index);
  // Would pass an up-down click on to the frame; no control is bound to them.
  void Frame11AgentEditUpDownClick();
  void Frame12AgentEditUpDownClick();
  // Applies a configuration of davrel3::Configurations() and commits, as
  // its handler does.
  void ApplyConfiguration(void (davrel3::Workbench::*apply)());

  // --- operations the model and the frames call
  // The commit; throws as the workbench does.
  void SetSystem();
  // MakeAgentGrids, then ShowStatesAgents.
  void MakeGrids();
  // Which frames are visible, and their grids prepared.
  void MakeAgentGrids();
  // Frame k shows agent k.
  void ShowStatesAgents();

 signals:
  // The user closed the window: the program ends.
  void Closed();
  // A run ended (finished, stalled, cancelled or failed): its summary as the
  // status line shows it; an empty summary after a commit, which forgets the
  // last run.
  void RunEnded(const QString& summary);
  // A run is going (true) or over (false): the other windows take no input
  // meanwhile.
  void RunBusy(bool busy);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Runs a handler; shows what it throws; brings START and Default up to date.
  void Handle(const std::function<void()>& handler);
  void SyncButtons();
  void BindPanel();
  void WireEvents();
  // The three radio items as they stand.
  std::array<int, 3> ChosenItems() const;
  // The status line's committed part and the warning when the items differ.
  void ShowCommitted();
  void ShowItemsDiffer();
  // Runs a commit of `source` ("Define", "OK", ...) through Handle.
  void Commit(const QString& source, const std::function<void()>& commit);
  // Everything but the tabs takes no input while a run waits at a box.
  void SetInputsEnabled(bool enabled);
  QPoint StepBoxPlace(QSize size) const;
  void UntickIndicators();
  // Each up-down's position set to its edit's value (kept in its range), so
  // an arrow steps from what is shown; an edit that holds no whole number
  // leaves its up-down where it is.
  void UpDownsFollowEdits();
  // After a failed or cancelled run: the memory of what the charts do not
  // show goes back to the system.
  void ReleaseUnshownRun(davrel3::RunStatus status);

  WidgetPanel panel_;
  davrel3::Workbench bench_{panel_};
  WindowObserver observer_{*this};
  std::function<void()> afterRunDraw_;
  MessageFunction messageFunction_;

  QTabWidget* pageControl1_ = nullptr;
  AgentTab* agentTab_ = nullptr;
  QWidget* taskTabSheet_ = nullptr;
  TTaskFrame* taskFrame_ = nullptr;
  ParametersTab* parametersTab_ = nullptr;
  NewcomersTab* newcomersTab_ = nullptr;
  AboutTab* aboutTab_ = nullptr;
  IndicatorStrip* indicators_ = nullptr;
  FileCommands* files_ = nullptr;
  MainMenuBar* menuBar_ = nullptr;
  DesignControl* design_ = nullptr;
  StatusLine* statusLine_ = nullptr;
  QAction* skillLevelsAction_ = nullptr;
  SkillLevelsEditor* levelsEditor_ = nullptr;
  RunProgress* progress_ = nullptr;
  bool running_ = false;
  bool stepsStopped_ = false;
  bool closeRequested_ = false;
  // The enabled state of the window's shortcuts, kept while a box is open.
  QList<QPair<QAction*, bool>> shortcutStates_;
  QEventLoop* stepLoop_ = nullptr;
  // What the last commit was made by, the items it saw, and the group it built.
  QString commitSource_ = "Start-up";
  QString committedBy_;
  std::array<int, 3> committedItems_{};
  int committedAgents_ = 0;
  int committedSkills_ = 0;
};
