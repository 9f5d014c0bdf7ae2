// The program's message boxes: every box of every window carries the same
// title ("Davrel3") and the program's icon, and shows its text with no
// alarm symbol of its own, so a conversion error in the chart window looks
// like the same error in the main window.
#pragma once

#include <QIcon>
#include <QMessageBox>
#include <QString>

class QWidget;

namespace program_message {

// The title of every box of the program.
QString Title();
// The program's icon (the drawing the desktop entry uses).
QIcon Icon();

// A box over `parent` with the program's title and icon, `text` as plain
// text and the given buttons; the caller adds more buttons and shows it.
void Dress(QMessageBox& box);

// Shows `text` with an OK button, modal for the whole program, and returns
// when the user has closed it.
void Show(QWidget* parent, const QString& text);

}  // namespace program_message
