#include "run_progress.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

// How often the dialog repaints and hears of Cancel.
constexpr qint64 kUpdateMilliseconds = 50;

}  // namespace

RunProgress::RunProgress(QWidget* window) : QObject(window), window_(window) {}

void RunProgress::Start() {
  running_ = true;
  cancelled_ = false;
  task_ = 0;
  timestep_ = 0;
  pausedTotal_ = 0;
  pausedAt_ = -1;
  clock_.start();
}

void RunProgress::Finish() {
  running_ = false;
  if (dialog_) {
    const QSignalBlocker blocker(dialog_);
    dialog_->reset();
    dialog_->hide();
  }
}

void RunProgress::PauseForBox() {
  if (running_ && pausedAt_ < 0) pausedAt_ = clock_.elapsed();
}

void RunProgress::ResumeAfterBox() {
  if (pausedAt_ < 0) return;
  pausedTotal_ += clock_.elapsed() - pausedAt_;
  pausedAt_ = -1;
}

void RunProgress::TaskStarted() {
  ++task_;
  timestep_ = 0;
}

qint64 RunProgress::OwnWork() const { return clock_.elapsed() - pausedTotal_; }

bool RunProgress::TimestepEnded() {
  if (!running_) return false;
  ++timestep_;
  const bool shown = dialog_ && dialog_->isVisible();
  if (!shown && OwnWork() >= kShowAfterMilliseconds) {
    ShowDialog();
  } else if (shown && sinceUpdate_.elapsed() >= kUpdateMilliseconds) {
    UpdateDialog();
  }
  // cancel() (and Escape) cancels without the canceled signal.
  if (dialog_ && dialog_->wasCanceled()) cancelled_ = true;
  return cancelled_;
}

void RunProgress::ShowDialog() {
  if (!dialog_) {
    dialog_ = new QProgressDialog(window_);
    dialog_->setObjectName("RunProgress");
    dialog_->setWindowTitle(window_->windowTitle());
    dialog_->setCancelButtonText("Cancel");
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    dialog_->setMinimumWidth(320);
    // The run's length is not known beforehand: a busy bar.
    dialog_->setRange(0, 0);
    connect(dialog_, &QProgressDialog::canceled, this, [this] { cancelled_ = true; });
  }
  dialog_->setValue(0);
  dialog_->show();
  UpdateDialog();
}

void RunProgress::UpdateDialog() {
  dialog_->setLabelText(QString("The run is in task %1 at timestep %2").arg(task_).arg(timestep_));
  sinceUpdate_.start();
  // Paints the dialog and hears Cancel; the dialog is modal, so nothing
  // else reaches the windows.
  QApplication::processEvents(QEventLoop::AllEvents, 10);
}
