// What the program remembers between launches, kept with QSettings under the
// application's organisation and name: the main window's geometry and the
// folder each kind of file dialog last used.
//
// Only main() restores and saves the geometry, so windows created by the tests
// and the screenshot tool open at their layout size.
#pragma once

#include <QString>

class QWidget;

namespace window_settings {

// The organisation and application names the settings are kept under
// ("Davrel3", "Davrel3"): set by main().
void UseProgramNames();

// The program's names with the settings kept in `folder` (one made for this
// run of the program) rather than with the user's own: for the window tests
// and the screenshot program, which must neither read nor change what the
// program remembers for its user, and always open at the layout's size. Call
// before anything reads QSettings. False, with the file the settings would go
// to in *elsewhere (if given), when they would still land outside `folder`.
bool UseProgramNamesIn(const QString& folder, QString* elsewhere = nullptr);

// The kinds of file the dialogs remember a folder for.
inline constexpr const char* kParameterFolder = "parameters";
inline constexpr const char* kExportFolder = "export";

// The folder a dialog of this kind last used; empty before the first use or
// when that folder is gone.
QString LastFolder(const QString& kind);
// Remembers the folder of `path` (a file chosen in a dialog of this kind).
void RememberFolderOf(const QString& kind, const QString& path);

// The window's geometry (position, size, maximised) under `key`.
void SaveGeometry(const QWidget& window, const QString& key);
// Restores what SaveGeometry kept, then moves and shrinks the window so that
// it lies inside the available screen. False when nothing was kept.
bool RestoreGeometry(QWidget& window, const QString& key);
// Moves and shrinks a top-level window into the available area of its screen.
void KeepInsideScreen(QWidget& window);

}  // namespace window_settings
