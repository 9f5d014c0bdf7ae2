// What several window tests do as a user would: retype an edit, read a saved
// file back, answer the next file dialog or message box.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTimer>

class QLineEdit;

namespace window_test {

// Selects the edit's whole text, deletes it and types `text`, key by key.
void Retype(QLineEdit* edit, const QString& text);

// The bytes of the file at `path`; empty when it cannot be read.
QByteArray ReadFile(const QString& path);

// While it lives, answers every file dialog with `path` (typed into the name
// field; with `filter`, that filter is chosen first, as a click on it does)
// and accepts every message box, keeping its text.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(QString path, QString filter = {});
  // The file the last dialog suggested before it was answered.
  QString Suggested() const { return suggested_; }
  QStringList Messages() const { return messages_; }

 private:
  QString path_;
  QString filter_;
  QTimer timer_;
  QString suggested_;
  QStringList messages_;
};

}  // namespace window_test
