#include "indicator_strip.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "window_style.h"

using namespace window_style;

IndicatorStrip::IndicatorStrip(QWidget* parent) : QWidget(parent) {
  setObjectName("IndicatorStrip");
  taskCheckBox_ = new QCheckBox("Indicate new task", this);
  taskCheckBox_->setObjectName("TaskCheckBox");
  taskCheckBox_->setEnabled(false);
  // Wide enough for the largest task and timestep numbers a run reaches.
  edit3_ = MakeEdit("Edit3", "", EditWidthForDigits(this, 5, 25), this);
  edit3_->setEnabled(false);
  auto* taskNote = MakeLabel(
      "This option has been disabled since the experiments as described in the paper only deal with conditions "
      "with one single task",
      this, "TaskNote");
  cycleCheckBox_ = new QCheckBox("Indicate new timestep", this);
  cycleCheckBox_->setObjectName("CycleCheckBox");
  edit2_ = MakeEdit("Edit2", "", EditWidthForDigits(this, 6, 25), this);
  edit2_->setEnabled(false);
  auto* cycleNote = MakeLabel(
      "Activate this option to track the proces at each timestep. After that, choose either the <Agent> or the "
      "<Task> Tabsheet.",
      this, "CycleNote");
  for (QLabel* note : {taskNote, cycleNote}) note->setWordWrap(true);

  auto* indicators = new QGridLayout;
  indicators->setContentsMargins(16, 0, 0, 0);
  indicators->setHorizontalSpacing(8);
  indicators->setVerticalSpacing(4);
  indicators->addWidget(taskCheckBox_, 0, 0);
  indicators->addWidget(edit3_, 0, 1, Qt::AlignTop);
  indicators->addWidget(taskNote, 0, 2, Qt::AlignTop);
  indicators->addWidget(cycleCheckBox_, 1, 0);
  indicators->addWidget(edit2_, 1, 1, Qt::AlignTop);
  indicators->addWidget(cycleNote, 1, 2, Qt::AlignTop);
  indicators->setColumnStretch(2, 1);
  indicators->setColumnMinimumWidth(0, 120);

  const QFont bold = PixelFont(kFontPixels, true);
  defaultButton_ = MakeButton("DefaultButton", "Default", QSize(75, 57), bold, this);
  defaultButton_->setVisible(false);
  defaultButton_->setEnabled(false);
  okButton_ = MakeButton("OKButton", "OK", QSize(49, 25), bold, this);
  cancelButton_ = MakeButton("CancelButton", "Cancel", QSize(49, 25), bold, this);
  startButton_ = MakeButton("StartButton", "START", QSize(161, 57), PixelFont(13, true), this);
  startButton_->setFixedSize(161, 57);
  okButton_->setFixedHeight(25);
  cancelButton_->setFixedHeight(25);
  okButton_->setMinimumWidth(std::max(49, cancelButton_->sizeHint().width()));
  cancelButton_->setMinimumWidth(okButton_->minimumWidth());

  auto* okCancel = new QVBoxLayout;
  okCancel->setSpacing(7);
  okCancel->addWidget(okButton_);
  okCancel->addWidget(cancelButton_);

  auto* strip = new QHBoxLayout(this);
  strip->setContentsMargins(0, 0, 0, 0);
  strip->setSpacing(7);
  strip->addLayout(indicators, 1);
  strip->addSpacing(12);
  strip->addWidget(defaultButton_, 0, Qt::AlignTop);
  strip->addLayout(okCancel);
  strip->addWidget(startButton_, 0, Qt::AlignTop);
  CreateHiddenControls();
}

void IndicatorStrip::CreateHiddenControls() {
  auto hiddenBox = [this](const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(name);
    box->setChecked(false);
    box->hide();
    return box;
  };
  auto hiddenEdit = [this](const QString& name) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->hide();
    return edit;
  };
  procesBox_ = hiddenBox("ProcesBox", "Indicate processtep");
  edit1_ = hiddenEdit("Edit1");
  edit1_->setEnabled(false);
  allCheckBox_ = hiddenBox("AllCheckBox", "Indicate Allocation");
  perfCheckBox_ = hiddenBox("PerfCheckBox", "Indicate Performance");
  inflCheckBox_ = hiddenBox("InflCheckBox", "Indicate Influence");
  agVariationCheckBox_ = hiddenBox("AgVariationCheckBox", "Indicate AgVariation");
  countEdit_ = hiddenEdit("CountEdit");
}
