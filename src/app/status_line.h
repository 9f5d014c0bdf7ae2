// The status line at the foot of the main window: what is committed (the
// condition or configuration and the group size), how the last run ended
// (its status and the timesteps of every task), a warning when the radio
// items differ from the committed condition, a warning any other part of the
// window may add, and the note of the last file command.
//
// Each part has its own setter; an empty text removes the part. The line
// shows the parts in this order: committed and run on the first row, then
// differing items, extra warning and note on a row each, wrapped to the
// window's width; warnings in dark red.
#pragma once

#include <QWidget>

#include "model/run.h"

class QLabel;

namespace status_text {

// "No Fit, Specialist, Low" from the three item indexes.
QString ConditionText(int fit, int newcomer, int hiLo);
// "Last run: finished, 200 timesteps" or, with several tasks,
// "Last run: stalled, timesteps per task 12, 40".
QString RunSummaryText(const davrel3::RunOutcome& outcome);

}  // namespace status_text

class StatusLine : public QWidget {
  Q_OBJECT

 public:
  explicit StatusLine(QWidget* parent = nullptr);

  void SetCommitted(const QString& text);
  void SetRunSummary(const QString& text);
  void SetItemsDiffer(const QString& text);
  void SetExtraWarning(const QString& text);
  void SetNote(const QString& text);

  QString Committed() const;
  QString RunSummary() const;
  QString ItemsDiffer() const;
  QString ExtraWarning() const;
  QString Note() const;
  // Every part shown, joined as the line shows them.
  QString Text() const;

 private:
  QLabel* committed_;
  QLabel* run_;
  QLabel* differ_;
  QLabel* extra_;
  QLabel* note_;
};
