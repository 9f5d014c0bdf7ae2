#include "window_style.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace window_style {

QFont PixelFont(int pixels, bool bold) {
  QFont font(kFontFamily);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QFrame* MakePanel(const QString& name, QWidget* parent, const QColor& colour) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Raised);
  panel->setAutoFillBackground(true);
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, colour);
  panel->setPalette(palette);
  return panel;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, const QString& name) {
  auto* label = new QLabel(text, parent);
  if (!name.isEmpty()) label->setObjectName(name);
  return label;
}

QLineEdit* MakeEdit(const QString& name, const QString& text, int width, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setFixedSize(width, kEditHeight);
  return edit;
}

QPushButton* MakeButton(const QString& name, const QString& caption, QSize size, const QFont& font,
                        QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setFont(font);
  button->setMinimumSize(size);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  button->setAutoDefault(false);
  return button;
}

int EditWidthForDigits(const QWidget* widget, int digits, int minimum) {
  // The text margins and frame of a line edit take about 10 pixels.
  return std::max(minimum, widget->fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('0'))) + 12);
}

QVBoxLayout* SheetLayout(QWidget* sheet) {
  auto* block = new QWidget(sheet);
  block->setObjectName(sheet->objectName() + QStringLiteral("Block"));
  block->setMaximumHeight(kSheetHeight);
  auto* outer = new QVBoxLayout(sheet);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  // The block takes the height up to its maximum; only then does the empty
  // space below it grow.
  outer->addWidget(block, 1);
  outer->addStretch(0);
  return new QVBoxLayout(block);
}

}  // namespace window_style
