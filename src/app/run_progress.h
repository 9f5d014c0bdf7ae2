// The progress of a long run inside START: once the run has done about half
// a second of its own work (time spent in step-through boxes does not count),
// a modal dialog shows the task and timestep it has reached and offers
// Cancel. The dialog is application-modal, so no other input reaches the
// model while the run goes on; Cancel makes the run stop at the end of its
// timestep, keeping the state it reached.
#pragma once

#include <QElapsedTimer>
#include <QObject>

class QProgressDialog;
class QWidget;

class RunProgress : public QObject {
  Q_OBJECT

 public:
  // How much of its own work a run does before the dialog appears.
  static constexpr qint64 kShowAfterMilliseconds = 500;

  explicit RunProgress(QWidget* window);

  // A run begins: counters at zero, no dialog.
  void Start();
  // A run ended: the dialog goes.
  void Finish();
  // Time from PauseForBox to ResumeAfterBox is not the run's own work.
  void PauseForBox();
  void ResumeAfterBox();
  // The run started its next task.
  void TaskStarted();
  // The run ended a timestep; true once the user pressed Cancel.
  bool TimestepEnded();

  // The dialog, once shown (nullptr before).
  QProgressDialog* Dialog() const { return dialog_; }
  bool CancelPressed() const { return cancelled_; }
  int Task() const { return task_; }
  long long Timestep() const { return timestep_; }

 private:
  qint64 OwnWork() const;
  void ShowDialog();
  void UpdateDialog();

  QWidget* window_;
  QProgressDialog* dialog_ = nullptr;
  QElapsedTimer clock_;
  QElapsedTimer sinceUpdate_;
  qint64 pausedTotal_ = 0;
  qint64 pausedAt_ = -1;
  bool running_ = false;
  bool cancelled_ = false;
  int task_ = 0;
  long long timestep_ = 0;
};
