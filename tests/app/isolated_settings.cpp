// Linked into every window test: the settings the windows keep (window
// geometry, the folders the file dialogs last used) go to a folder made for
// this run of the test program and removed at its end, never to the user's
// own settings. The names are the program's own, so the tests read and write
// the very keys the program uses.
//
// It runs as the application object is made, before any test touches
// QSettings, and stops the program if the settings would still land outside
// that folder.
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "window_settings.h"

namespace {

QTemporaryDir* settingsFolder = nullptr;

void RemoveSettingsFolder() {
  delete settingsFolder;
  settingsFolder = nullptr;
}

void IsolateSettings() {
  settingsFolder = new QTemporaryDir(QDir::temp().filePath(QStringLiteral("davrel3-test-settings-XXXXXX")));
  if (!settingsFolder->isValid()) {
    std::fprintf(stderr, "cannot make a folder for the test settings\n");
    std::exit(1);
  }
  QString elsewhere;
  if (!window_settings::UseProgramNamesIn(settingsFolder->path(), &elsewhere)) {
    std::fprintf(stderr, "the test settings would go to %s\n", qPrintable(elsewhere));
    std::exit(1);
  }
  qAddPostRoutine(RemoveSettingsFolder);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(IsolateSettings)
