#include "window_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace window_settings {

namespace {

QString FolderKey(const QString& kind) { return QStringLiteral("folders/") + kind; }
QString GeometryKey(const QString& key) { return QStringLiteral("geometry/") + key; }

}  // namespace

void UseProgramNames() {
  QCoreApplication::setOrganizationName(QStringLiteral("Davrel3"));
  QCoreApplication::setApplicationName(QStringLiteral("Davrel3"));
}

bool UseProgramNamesIn(const QString& folder, QString* elsewhere) {
  // QStandardPaths and the native and INI formats all look here.
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
  UseProgramNames();
  const QString file = QSettings().fileName();
  if (file.startsWith(QDir(folder).absolutePath() + QLatin1Char('/'))) return true;
  if (elsewhere) *elsewhere = file;
  return false;
}

QString LastFolder(const QString& kind) {
  const QString folder = QSettings().value(FolderKey(kind)).toString();
  // A folder removed since is forgotten: the dialog starts in the home folder.
  if (folder.isEmpty() || !QDir(folder).exists()) return {};
  return folder;
}

void RememberFolderOf(const QString& kind, const QString& path) {
  if (path.isEmpty()) return;
  QSettings().setValue(FolderKey(kind), QFileInfo(path).absolutePath());
}

void SaveGeometry(const QWidget& window, const QString& key) {
  QSettings().setValue(GeometryKey(key), window.saveGeometry());
}

bool RestoreGeometry(QWidget& window, const QString& key) {
  const QByteArray kept = QSettings().value(GeometryKey(key)).toByteArray();
  if (kept.isEmpty() || !window.restoreGeometry(kept)) return false;
  KeepInsideScreen(window);
  return true;
}

void KeepInsideScreen(QWidget& window) {
  if (window.isMaximized() || window.isFullScreen()) return;
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect room = screen->availableGeometry();
  // The frame adds its title bar and borders around the window's own size.
  const QRect frame = window.frameGeometry();
  const QSize decoration = frame.size() - window.size();
  const QSize size = window.size().boundedTo(room.size() - decoration).expandedTo(window.minimumSize());
  if (size != window.size()) window.resize(size);
  const QSize outer = size + decoration;
  const int x = std::clamp(frame.left(), room.left(), std::max(room.left(), room.right() - outer.width() + 1));
  const int y = std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() - outer.height() + 1));
  if (x != frame.left() || y != frame.top()) window.move(x, y);
}

}  // namespace window_settings
