// The main window's file commands: a parameter set opened or saved by name,
// and the record of the last run saved as davrel3-batch --json writes it.
// Each command without its dialog is a plain function of the path, so tests
// drive them directly; the Ask... forms ask for the path first.
//
// Every failure is shown as a message in the program's own words and changes
// nothing; a command that worked reports a short note (what it read or wrote).
// Opening writes texts, positions and items into the panel only: OK or Define
// commits them, and the file's levels (a version 2 file) are set into the
// group that commit builds. Saving writes the levels the committed group's
// agents hold.
#pragma once

#include "experiment/skill_levels.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "experiment/record.h"
#include "model/run.h"

class QWidget;
class WidgetPanel;

namespace davrel3 {
class Workbench;
}

class FileCommands : public QObject {
  Q_OBJECT

 public:
  using MessageFunction = std::function<void(const QString& text)>;

  FileCommands(QWidget* window, WidgetPanel& panel, davrel3::Workbench& bench, MessageFunction showMessage);

  bool OpenParameters(const QString& path);
  bool SaveParameters(const QString& path);
  // Refused when there is no run, or a commit has since replaced its model.
  bool SaveRunRecord(const QString& path);

  void AskOpenParameters();
  void AskSaveParameters();
  void AskSaveRunRecord();

  // What the last START ran with and how it ended; its record is built only
  // when the user saves it.
  void RememberRun(const davrel3::RunOutcome& outcome, davrel3::ParameterValues parameters);
  // A commit replaced the model the last run left behind.
  void ForgetRun();
  bool HasRunRecord() const { return lastRun_.has_value(); }
  // The levels of the parameter file opened last, for the next commit, and
  // the file's name; taken once (a configuration, with its own profile,
  // takes them to set them aside).
  std::optional<std::pair<QString, davrel3::SkillState>> TakePendingLevels();

 signals:
  // A command worked: "Loaded parameters.json", "Saved run.json", ...
  void Note(const QString& text);
  // Whether there is a run record to save changed.
  void RunRecordAvailable(bool available);
  // A parameter file was loaded into the panel.
  void Loaded();

 private:
  struct LastRun {
    davrel3::RunOutcome outcome;
    davrel3::ParameterValues parameters;
  };

  QWidget* window_;
  WidgetPanel& panel_;
  davrel3::Workbench& bench_;
  MessageFunction showMessage_;
  std::optional<LastRun> lastRun_;
  std::optional<std::pair<QString, davrel3::SkillState>> pendingLevels_;
};
