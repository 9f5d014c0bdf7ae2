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
class QVBoxLayout;
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

// The height of a tab sheet of the main window at its layout size: the
// page control's 249 pixels less its tab bar and frame.
inline constexpr int kSheetHeight = 222;
// The layout for the controls of a tab sheet: a block at the top of `sheet`
// that grows with the window up to kSheetHeight and no further, so that a
// note at the block's foot stays under the controls it speaks of when the
// window is taller (maximised) and the room below is left empty.
QVBoxLayout* SheetLayout(QWidget* sheet);

}  // namespace window_style
