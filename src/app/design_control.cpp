#include "design_control.h"

#include <QGuiApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "design_results.h"
#include "design_runner.h"
#include "experiment/session.h"
#include "widget_panel.h"

DesignControl::DesignControl(QWidget* window, QPushButton* runButton, WidgetPanel& panel, MessageFunction showMessage)
    : QObject(window), window_(window), runButton_(runButton), panel_(panel), showMessage_(std::move(showMessage)) {
  runner_ = new DesignRunner(this);
  connect(runner_, &DesignRunner::Progress, this, [this](int done, int total) { Progress(done, total); });
  connect(runner_, &DesignRunner::Finished, this, [this](const DesignResult& result) { Finished(result); });
  connect(runner_, &DesignRunner::Cancelled, this, [this] { Stopped(); });
}

void DesignControl::RunDesignButtonClick() {
  if (runner_->IsRunning()) return;
  // As davrel3-batch --design: parameters that would be refused run nothing.
  const davrel3::SessionOptions options = DesignOptions(panel_);
  if (auto refusal = davrel3::CommitRefusal(options)) {
    showMessage_(QString::fromStdString(*refusal));
    return;
  }
  runButton_->setEnabled(false);
  const int total = DesignRunner::Conditions();
  if (!progress_) {
    progress_ = new QProgressDialog(window_);
    progress_->setObjectName("DesignProgress");
    progress_->setWindowTitle("Run design");
    progress_->setCancelButtonText("Cancel");
    // The window stays usable while the conditions run.
    progress_->setWindowModality(Qt::NonModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    // Short designs finish before a dialog would be worth showing.
    progress_->setMinimumDuration(400);
    connect(progress_, &QProgressDialog::canceled, this, [this] { runner_->Cancel(); });
  }
  progress_->setRange(0, total);
  progress_->setValue(0);
  progress_->setLabelText(QString("Running the design: 0 of %1 conditions done").arg(total));
  runner_->Start(options);
}

void DesignControl::Progress(int done, int total) {
  if (!progress_) return;
  progress_->setLabelText(QString("Running the design: %1 of %2 conditions done").arg(done).arg(total));
  progress_->setValue(done);
}

void DesignControl::Finished(const DesignResult& result) {
  Stopped();
  if (!results_) {
    results_ = new DesignResultsWindow(window_);
    // First shown below the main window, kept on the screen; later the user
    // places it.
    const QRect main = window_->frameGeometry();
    const QScreen* shown = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    const QRect room = shown ? shown->availableGeometry() : QRect();
    results_->FitInto(room, QPoint(main.left(), main.bottom() + 1));
  }
  results_->SetResult(result);
  results_->show();
  results_->raise();
  results_->activateWindow();
}

void DesignControl::Stopped() {
  if (progress_) {
    // Blocked: closing the dialog must not count as the user's cancel.
    const QSignalBlocker blocker(progress_);
    progress_->reset();
    progress_->hide();
  }
  runButton_->setEnabled(true);
}
