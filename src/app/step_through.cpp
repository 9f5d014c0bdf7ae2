// TParForm's step-through: with an indicator box ticked, the run waits at a
// box after each step it indicates. The box (StepBox) stands clear of the
// frames and the task grid; while it is open only the tabs take input, and
// "Stop indicating" unticks every indicator so the run goes on to its end
// without boxes.
#include "DV3Newcomer2009Par.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "indicator_strip.h"
#include "main_menu_bar.h"
#include "newcomers_tab.h"
#include "parameters_tab.h"
#include "program_message.h"
#include "run_progress.h"

void TParForm::ShowStepMessage(const QString& text) {
  // The run is on its way out, or the user stopped the indications: the run
  // reads the check boxes once at START, so the boxes end here.
  if (closeRequested_ || stepsStopped_) return;
  if (messageFunction_) {
    messageFunction_(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, program_message::Title(), text, QMessageBox::NoButton, this);
  program_message::Dress(box);
  box.setObjectName("StepBox");
  QPushButton* ok = box.addButton(QMessageBox::Ok);
  QPushButton* stop = box.addButton("Stop indicating", QMessageBox::RejectRole);
  stop->setObjectName("StopIndicatingButton");
  stop->setToolTip("Unticks every indicator box; the run goes on to its end without boxes");
  box.setDefaultButton(ok);
  // Escape and the title bar's close go on, as OK does.
  box.setEscapeButton(ok);
  // Wide enough for its title; placed where it hides neither the frames nor
  // the task grid.
  box.setMinimumWidth(280);
  box.setWindowModality(Qt::NonModal);
  box.adjustSize();
  box.move(StepBoxPlace(box.frameGeometry().size().expandedTo(QSize(280, 100))));

  QEventLoop loop;
  stepLoop_ = &loop;
  progress_->PauseForBox();
  connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
  SetInputsEnabled(false);
  box.show();
  loop.exec();
  stepLoop_ = nullptr;
  progress_->ResumeAfterBox();
  SetInputsEnabled(true);
  if (box.clickedButton() == stop) {
    UntickIndicators();
    stepsStopped_ = true;
  }
}

bool TParForm::RunShouldStop() {
  if (closeRequested_) return true;
  return progress_->TimestepEnded();
}

void TParForm::UntickIndicators() {
  for (QCheckBox* box : {indicators_->TaskCheckBox(), indicators_->CycleCheckBox(), indicators_->AllCheckBox(),
                         indicators_->PerfCheckBox(), indicators_->InflCheckBox(),
                         indicators_->AgVariationCheckBox(), indicators_->ProcesBox()}) {
    box->setChecked(false);
  }
}

QPoint TParForm::StepBoxPlace(QSize size) const {
  const QRect frame = frameGeometry();
  const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
  const QRect room = shown ? shown->availableGeometry() : QRect();
  // Below the window, level with START, if the screen has room there;
  // otherwise over the indicator strip's right end, above START.
  const QPoint below(frame.right() - size.width() + 1, frame.bottom() + 1);
  if (room.isNull() || room.contains(QRect(below, size))) return below;
  const QPoint strip(frame.right() - size.width() - 180, frame.bottom() - size.height() - 8);
  return QPoint(std::max(room.left(), strip.x()), std::max(room.top(), strip.y()));
}

void TParForm::SetInputsEnabled(bool enabled) {
  for (QWidget* part : {static_cast<QWidget*>(indicators_), static_cast<QWidget*>(menuBar_),
                        static_cast<QWidget*>(parametersTab_), static_cast<QWidget*>(newcomersTab_)}) {
    part->setEnabled(enabled);
  }
  if (!enabled) {
    shortcutStates_.clear();
    for (QAction* action : actions()) {
      shortcutStates_.append({action, action->isEnabled()});
      action->setEnabled(false);
    }
  } else {
    for (const auto& [action, wasEnabled] : shortcutStates_) action->setEnabled(wasEnabled);
    shortcutStates_.clear();
  }
  emit RunBusy(!enabled);
}
