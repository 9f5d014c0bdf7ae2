#include "program_message.h"

#include <QWidget>

namespace program_message {

QString Title() { return QStringLiteral("Davrel3"); }

QIcon Icon() {
  static const QIcon icon(QStringLiteral(":/icons/davrel3.svg"));
  return icon;
}

void Dress(QMessageBox& box) {
  box.setWindowTitle(Title());
  box.setWindowIcon(Icon());
  box.setIcon(QMessageBox::NoIcon);
  // Messages quote typed texts: "<b>" is shown as typed, not as markup.
  box.setTextFormat(Qt::PlainText);
}

void Show(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Ok, parent);
  Dress(box);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace program_message
