#include "main_menu_bar.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "file_commands.h"

MainMenuBar::MainMenuBar(QWidget* window, FileCommands& files, ApplyFunction applyConfiguration)
    : QMenuBar(window) {
  setObjectName("MenuBar");
  // Inside the window, also where the desktop offers a global menu bar.
  setNativeMenuBar(false);
  BuildFileMenu(files);
  BuildConfigurationsMenu(applyConfiguration);
  AddQuit();
  BuildHelpMenu();
  connect(&files, &FileCommands::RunRecordAvailable, saveRunRecord_, &QAction::setEnabled);
}

void MainMenuBar::BuildFileMenu(FileCommands& files) {
  fileMenu_ = addMenu("&File");
  fileMenu_->setObjectName("FileMenu");
  fileMenu_->setToolTipsVisible(true);
  openParameters_ = fileMenu_->addAction("Open parameters...", &files, [&files] { files.AskOpenParameters(); });
  openParameters_->setObjectName("OpenParametersAction");
  openParameters_->setShortcut(QKeySequence::Open);
  openParameters_->setToolTip(
      "Writes the file's texts, up-down positions and radio items into the window. Nothing is committed: press "
      "OK or Define, as after typing.");
  saveParameters_ = fileMenu_->addAction("Save parameters...", &files, [&files] { files.AskSaveParameters(); });
  saveParameters_->setObjectName("SaveParametersAction");
  saveParameters_->setShortcut(QKeySequence::Save);
  saveParameters_->setToolTip("Saves every edit's text, the up-down positions and the three radio items");
  fileMenu_->addSeparator();
  saveRunRecord_ = fileMenu_->addAction("Save run record...", &files, [&files] { files.AskSaveRunRecord(); });
  saveRunRecord_->setObjectName("SaveRunRecordAction");
  saveRunRecord_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  saveRunRecord_->setToolTip(
      "Saves the whole record of the last run as JSON, as davrel3-batch --json prints it; available after START "
      "until the next commit");
  saveRunRecord_->setEnabled(false);
}

void MainMenuBar::BuildConfigurationsMenu(const ApplyFunction& applyConfiguration) {
  configurationsMenu_ = addMenu("&Configurations");
  configurationsMenu_->setObjectName("ConfigurationsMenu");
  configurationsMenu_->setToolTipsVisible(true);
  struct Caption {
    const char* name;
    const char* caption;
  };
  static const Caption kCaptions[] = {
      {"default", "Default"},          {"rotate", "Rotate"},
      {"boredom", "Boredom"},          {"variety", "Variety"},
      {"spec", "Specialists"},         {"jobrot1", "Job rotation I"},
      {"jobrot2", "Job rotation II"},  {"twoagents", "Two agents"},
      {"threeagents", "Three agents"}, {"agentvariety", "Agent variety"},
  };
  for (const davrel3::Configuration& configuration : davrel3::Configurations()) {
    const std::string name = configuration.name;
    const auto caption = std::find_if(std::begin(kCaptions), std::end(kCaptions),
                                      [&](const Caption& c) { return name == c.name; });
    // The start-up configuration belongs to the window's creation only.
    if (caption == std::end(kCaptions)) continue;
    auto apply = configuration.apply;
    QAction* action = configurationsMenu_->addAction(caption->caption, this,
                                                     [applyConfiguration, apply] { applyConfiguration(apply); });
    action->setObjectName(QString("Configuration_%1").arg(configuration.name));
    action->setToolTip("Sets the parameters and skill levels of this configuration and commits them");
    if (name == "default") configurationsMenu_->addSeparator();
  }
}

void MainMenuBar::AddQuit() {
  fileMenu_->addSeparator();
  quit_ = fileMenu_->addAction("Quit");
  quit_->setObjectName("QuitAction");
  quit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  quit_->setToolTip("Closes the program; nothing is saved");
}

void MainMenuBar::BuildHelpMenu() {
  helpMenu_ = addMenu("&Help");
  helpMenu_->setObjectName("HelpMenu");
  about_ = helpMenu_->addAction("About Davrel3...");
  about_->setObjectName("AboutAction");
}

QList<QAction*> MainMenuBar::WindowShortcuts() const {
  return {openParameters_, saveParameters_, saveRunRecord_, quit_};
}
