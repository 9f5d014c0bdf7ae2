#include "window_test_helpers.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QtTest/QtTest>

namespace window_test {

void Retype(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

DialogAnswerer::DialogAnswerer(QString path, QString filter) : path_(std::move(path)), filter_(std::move(filter)) {
  timer_.setInterval(30);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (!filter_.isEmpty()) {
        // As a click on the filter does: the filter and its suffix.
        dialog->selectNameFilter(filter_);
        emit dialog->filterSelected(filter_);
      }
      suggested_ = dialog->selectedFiles().value(0);
      // Typed into the name field, as selectFile leaves a focused field alone.
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(path_);
      static_cast<QDialog*>(dialog)->accept();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      messages_ << box->text();
      box->accept();
    }
  });
  timer_.start();
}

}  // namespace window_test
