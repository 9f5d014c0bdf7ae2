// TParForm's messages for a text that is not a whole number: the conversion
// message, then which box holds the text and what it takes, for the
// handlers and for a run that met such a text.
#include "DV3Newcomer2009Par.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

#include "DV3Newcomer2009Agent.h"
#include "up_down.h"

using davrel3::Field;

namespace {

// The caption of the label that names an edit, without trailing blanks.
QString CaptionOf(const QWidget* window, const QLineEdit* edit) {
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    if (label->buddy() == edit) return label->text().trimmed();
  }
  return {};
}

}  // namespace

QString TParForm::ConversionMessage(const davrel3::ConversionError& error) const {
  const QString text = QString::fromStdString(error.text());
  // The box that holds the text: the one being typed into, else the first
  // that an operation reads in the parameter set's order, else an agent box.
  QString what;
  QString range;
  auto describe = [&](const QLineEdit* edit) {
    for (int i = 0; i < davrel3::kFieldCount; ++i) {
      const auto field = static_cast<Field>(i);
      if (panel_.Edit(field) != edit) continue;
      const QString caption = CaptionOf(this, edit);
      what = caption.isEmpty() ? QString("The entrance time") : QString("\"%1\"").arg(caption);
      if (field == Field::EntTurnAgent) what = "\"Entrance newcomer after\"";
      if (const UpDown* upDown = panel_.UpDownOf(field)) {
        range = QString("; its arrows go from %1 to %2").arg(upDown->Min()).arg(upDown->Max());
      }
      return true;
    }
    for (int k = 0; k < 6; ++k) {
      if (Frame(k)->AgentEdit != edit) continue;
      what = QString("The agent box of frame %1").arg(k + 1);
      range = QString("; the group has agents 1 to %1").arg(bench_.State().System.NrOfAgents);
      return true;
    }
    return false;
  };
  bool found = false;
  if (const auto* focused = qobject_cast<const QLineEdit*>(QApplication::focusWidget())) {
    found = focused->window() == this && focused->text() == text && describe(focused);
  }
  for (int i = 0; !found && i < davrel3::kFieldCount; ++i) {
    const QLineEdit* edit = panel_.Edit(static_cast<Field>(i));
    found = edit && edit->text() == text && describe(edit);
  }
  for (int k = 0; !found && k < 6; ++k) {
    found = Frame(k)->AgentEdit->text() == text && describe(Frame(k)->AgentEdit);
  }
  if (!found) what = "The value";
  static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
  QString problem;
  if (text.trimmed().isEmpty()) {
    problem = QString("%1 is empty: it takes a whole number, written with digits only").arg(what);
  } else if (digits.match(text).hasMatch()) {
    problem = QString("%1 is too large: whole numbers go from -2147483648 to 2147483647").arg(what);
  } else {
    problem = QString("%1 takes a whole number, written with digits only (no decimal point, exponent, spaces or "
                      "letters)")
                  .arg(what);
  }
  return QString("%1. %2%3.").arg(QString::fromStdString(error.what()), problem, range);
}

QString TParForm::RunMessage(const std::string& message) const {
  // A run that met a text that is not a whole number says which box it was,
  // as every other handler does.
  static const QRegularExpression conversion(QStringLiteral("^'(.*)' is not a valid integer value$"),
                                             QRegularExpression::DotMatchesEverythingOption);
  const QString text = QString::fromStdString(message);
  const QRegularExpressionMatch match = conversion.match(text);
  if (!match.hasMatch()) return text;
  return ConversionMessage(davrel3::ConversionError(match.captured(1).toStdString()));
}
