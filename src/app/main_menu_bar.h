// The main window's menu bar: "File" (open and save a parameter set, save
// the last run's record, quit), "Configurations" (the named configurations,
// each applied and committed as its handler does) and "Help" (About). The
// window connects Quit and About to what they do.
#pragma once

#include <QMenuBar>
#include <functional>

#include "presets/workbench.h"

class FileCommands;
class QAction;
class QMenu;

class MainMenuBar : public QMenuBar {
  Q_OBJECT

 public:
  using ApplyFunction = std::function<void(void (davrel3::Workbench::*)())>;

  MainMenuBar(QWidget* window, FileCommands& files, ApplyFunction applyConfiguration);

  QMenu* FileMenu() const { return fileMenu_; }
  QMenu* ConfigurationsMenu() const { return configurationsMenu_; }
  QAction* OpenParametersAction() const { return openParameters_; }
  QAction* SaveParametersAction() const { return saveParameters_; }
  QAction* SaveRunRecordAction() const { return saveRunRecord_; }
  QMenu* HelpMenu() const { return helpMenu_; }
  QAction* QuitAction() const { return quit_; }
  QAction* AboutAction() const { return about_; }

  // The actions whose shortcuts work wherever the focus is in the window.
  QList<QAction*> WindowShortcuts() const;

 private:
  void BuildFileMenu(FileCommands& files);
  void BuildConfigurationsMenu(const ApplyFunction& applyConfiguration);
  void AddQuit();
  void BuildHelpMenu();

  QMenu* fileMenu_ = nullptr;
  QMenu* configurationsMenu_ = nullptr;
  QAction* openParameters_ = nullptr;
  QAction* saveParameters_ = nullptr;
  QAction* saveRunRecord_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QAction* quit_ = nullptr;
  QAction* about_ = nullptr;
};
