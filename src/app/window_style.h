// The look the main window and its tabs share: the window's font, panels,
// labels, edits and buttons made the same way everywhere.
#pragma once

#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace window_style {

// The nearest to an 11-pixel sans serif that every Debian desktop has.
inline constexpr const char* kFontFamily = "DejaVu Sans";
inline constexpr int kFontPixels = 11;
inline constexpr int kEditHeight = 21;

QFont PixelFont(int pixels, bool bold = false);
// A raised panel filled with `colour`.
QFrame* MakePanel(const QString& name, QWidget* parent, const QColor& colour);
QLabel* MakeLabel(const QString& text, QWidget* parent, const QString& name = {});
QLineEdit* MakeEdit(const QString& name, const QString& text, int width, QWidget* parent);
QPushButton* MakeButton(const QString& name, const QString& caption, QSize size, const QFont& font,
                        QWidget* parent);
// Wide enough for `digits` digits in the widget's font, and never narrower
// than `minimum`.
int EditWidthForDigits(const QWidget* widget, int digits, int minimum);

}  // namespace window_style
