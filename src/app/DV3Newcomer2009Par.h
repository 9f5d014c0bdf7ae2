// TParForm: the main window ("Davrel3") and the program's only place of input.
//
// It owns the workbench (the work group, the task, the history) and puts
// together the window's parts, one class each: the tabs "Agent" (AgentTab),
// "Task" (TTaskFrame), "Parameters" (ParametersTab), "Newcomers"
// (NewcomersTab) and "About" (AboutTab), the indicator strip with the buttons
// below them (IndicatorStrip), the menu bar (MainMenuBar) with its file
// commands (FileCommands), and "Run design" (DesignControl). The parameters
// are the texts of the tabs' edits, reached by the workbench through a
// WidgetPanel over those very widgets; runs report to it through a
// WindowObserver.
//
// Every event handler is a boundary: whatever it throws (a ConversionError,
// a CommitRefused, anything derived from std::exception) is shown in a
// one-line message box and the window goes back to waiting. After every
// handler START and Default show the workbench's state.
//
// Creating the window lays out its controls and runs FormCreate (the start-up
// configuration and its commit); it opens on the "Newcomers" tab.
#pragma once

#include <QWidget>
#include <functional>

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
class QTabWidget;
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
  // Replaces the modal message box (tests answer the boxes themselves);
  // nullptr restores it.
  void SetMessageFunction(MessageFunction show) { messageFunction_ = std::move(show); }
  // A modal box with the text and an OK button, or the replacement.
  void ShowMessage(const QString& text);

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

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Runs a handler; shows what it throws; brings START and Default up to date.
  void Handle(const std::function<void()>& handler);
  void SyncButtons();
  void BindPanel();
  void WireEvents();

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
};
