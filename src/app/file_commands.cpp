#include "file_commands.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <exception>

#include "data_export.h"
#include "experiment/parameter_file.h"
#include "experiment/record.h"
#include "presets/workbench.h"
#include "widget_panel.h"
#include "window_settings.h"

namespace {

QString NativePath(const QString& path) { return QDir::toNativeSeparators(path); }

QString AskOpenPath(QWidget* parent, const QString& caption, const QStringList& filters) {
  QFileDialog dialog(parent, caption);
  const QString last = window_settings::LastFolder(window_settings::kParameterFolder);
  dialog.setDirectory(last.isEmpty() ? QDir::homePath() : last);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().first();
  window_settings::RememberFolderOf(window_settings::kParameterFolder, path);
  return path;
}

const QStringList kParameterFilters = {"Parameter sets (*.json)", "All files (*)"};

}  // namespace

FileCommands::FileCommands(QWidget* window, WidgetPanel& panel, davrel3::Workbench& bench,
                           MessageFunction showMessage)
    : QObject(window), window_(window), panel_(panel), bench_(bench), showMessage_(std::move(showMessage)) {}

bool FileCommands::OpenParameters(const QString& path) {
  std::optional<davrel3::SkillState> levels;
  try {
    // Only a regular file of at most 32 MiB is read: a folder, a device or a
    // pipe is refused at once instead of blocking the window.
    davrel3::LoadParameterFile(QFile::encodeName(path).toStdString(), panel_, &levels);
  } catch (const std::exception& error) {
    // The whole file was checked before anything was written: nothing changed.
    showMessage_(QString("\"%1\" was not loaded: %2").arg(NativePath(path), QString::fromStdString(error.what())));
    return false;
  }
  const QString name = QFileInfo(path).fileName();
  pendingLevels_.reset();
  if (levels) pendingLevels_.emplace(name, std::move(*levels));
  emit Loaded();
  emit Note(pendingLevels_ ? QString("Loaded %1 with the levels of %2 agents of %3 skills: press OK or Define to "
                                     "commit")
                                 .arg(name)
                                 .arg(pendingLevels_->second.Levels.Agents)
                                 .arg(pendingLevels_->second.Levels.Skills)
                           : QString("Loaded %1: press OK or Define to commit").arg(name));
  return true;
}

bool FileCommands::SaveParameters(const QString& path) {
  std::string text;
  try {
    const davrel3::TSystem& system = bench_.State().System;
    if (system.Agents.empty()) {
      text = davrel3::SaveParameters(panel_);
    } else {
      const davrel3::SkillState levels = davrel3::CommittedSkillState(system);
      text = davrel3::SaveParameters(panel_, &levels);
    }
  } catch (const std::exception& error) {
    showMessage_(QString("The parameters were not saved: %1").arg(QString::fromStdString(error.what())));
    return false;
  }
  QString error;
  if (!data_export::SaveText(path, QString::fromStdString(text), &error)) {
    showMessage_(error);
    return false;
  }
  emit Note(QString("Saved %1").arg(QFileInfo(path).fileName()));
  return true;
}

std::optional<std::pair<QString, davrel3::SkillState>> FileCommands::TakePendingLevels() {
  auto levels = std::move(pendingLevels_);
  pendingLevels_.reset();
  return levels;
}

bool FileCommands::SaveRunRecord(const QString& path) {
  if (!lastRun_) {
    showMessage_("There is no run to save: press START first (a commit replaces the last run's model)");
    return false;
  }
  QString text;
  try {
    // The runner's --json form: every run of the session in "runs".
    text = QString::fromStdString(
        davrel3::RunRecordsDocument({davrel3::RunRecord(bench_, lastRun_->outcome, lastRun_->parameters)}) + "\n");
  } catch (const std::exception& error) {
    showMessage_(QString("The run record could not be made: %1").arg(QString::fromStdString(error.what())));
    return false;
  }
  QString error;
  if (!data_export::SaveText(path, text, &error)) {
    showMessage_(error);
    return false;
  }
  emit Note(QString("Saved %1").arg(QFileInfo(path).fileName()));
  return true;
}

void FileCommands::AskOpenParameters() {
  const QString path = AskOpenPath(window_, "Open parameters", kParameterFilters);
  if (!path.isEmpty()) OpenParameters(path);
}

void FileCommands::AskSaveParameters() {
  const QString path = data_export::AskSavePath(window_, "Save parameters", "parameters.json", kParameterFilters,
                                                window_settings::kParameterFolder);
  if (!path.isEmpty()) SaveParameters(path);
}

void FileCommands::AskSaveRunRecord() {
  if (!lastRun_) {
    SaveRunRecord({});  // says why there is nothing to save
    return;
  }
  const QString path = data_export::AskSavePath(window_, "Save run record", "run.json", {"Run records (*.json)"});
  if (!path.isEmpty()) SaveRunRecord(path);
}

void FileCommands::RememberRun(const davrel3::RunOutcome& outcome, davrel3::ParameterValues parameters) {
  lastRun_ = LastRun{outcome, std::move(parameters)};
  emit RunRecordAvailable(true);
}

void FileCommands::ForgetRun() {
  lastRun_.reset();
  emit RunRecordAvailable(false);
}
