#include "newcomers_tab.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/parameter_panel.h"
#include "radio_group.h"
#include "widget_panel.h"
#include "window_style.h"

using davrel3::Choice;
using davrel3::Field;
using namespace window_style;

namespace {

QStringList ItemCaptions(Choice choice) {
  QStringList list;
  const auto& names = davrel3::ChoiceItems(choice);
  for (int i = 0; i < davrel3::ChoiceItemCount(choice); ++i) {
    list << QString::fromUtf8(names[i].data(), int(names[i].size()));
  }
  return list;
}

}  // namespace

NewcomersTab::NewcomersTab(QWidget* parent) : QWidget(parent) {
  setObjectName("ProcesTabSheet");
  setFont(PixelFont(kFontPixels));

  fitNoFit_ = new RadioGroup("Fit", ItemCaptions(Choice::FitNoFit), 0, this);
  fitNoFit_->setObjectName("FitNoFitRadioGroup");
  newcomer_ = new RadioGroup("Newcomer", ItemCaptions(Choice::Newcomer), 1, this);
  newcomer_->setObjectName("NewcomerRadioGroup");
  hiLo_ = new RadioGroup("Skills Newcomer", ItemCaptions(Choice::HiLo), 0, this);
  hiLo_->setObjectName("HiLoRadioGroup");
  auto* radios = new QHBoxLayout;
  radios->setSpacing(7);
  for (RadioGroup* group : {fitNoFit_, newcomer_, hiLo_}) {
    group->setMinimumSize(89, 105);
    group->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    radios->addWidget(group);
  }

  turnoverPanel_ = MakePanel("TurnoverPanel", this, palette().color(QPalette::Button));
  turnoverPanel_->setFixedHeight(33);
  entTurnAgent_ = MakeEdit("EntTurnAgent", QString::fromUtf8(davrel3::LayoutDefault(Field::EntTurnAgent).text),
                           EditWidthForDigits(this, 6, 25), turnoverPanel_);
  {
    auto* row = new QHBoxLayout(turnoverPanel_);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(6);
    row->addWidget(MakeLabel("Entrance newcomer after", turnoverPanel_));
    row->addWidget(entTurnAgent_);
    row->addWidget(MakeLabel("Timesteps", turnoverPanel_));
    row->addStretch(1);
  }
  turnoverPanel_->setVisible(false);

  auto* design = new QVBoxLayout;
  design->setSpacing(7);
  design->addLayout(radios);
  design->addWidget(turnoverPanel_);

  defineButton_ = MakeButton("DefineButton", "Define", QSize(99, 49), PixelFont(19, true), this);
  defineButton_->setFixedSize(99, 49);
  QPalette red = defineButton_->palette();
  red.setColor(QPalette::ButtonText, QColor(0xc0, 0x00, 0x00));
  defineButton_->setPalette(red);

  // Runs every condition at once, each in its own workbench: a companion of
  // Define, drawn in the same family but plain, so Define stays the one
  // button that changes the window's model.
  runDesignButton_ = MakeButton("RunDesignButton", "Run design", QSize(99, 27), PixelFont(13), this);
  runDesignButton_->setMinimumWidth(std::max(99, runDesignButton_->sizeHint().width()));
  runDesignButton_->setToolTip(
      "Runs all 18 conditions (fit, newcomer and skills items) as Define and START would, each on its own, "
      "with the other parameters as the edits hold them now; the results open in their own window. The "
      "window's committed model is not changed.");

  // The hint and the button stand right of the design, lower down, the hint
  // level with the middle of the button; "Run design" sits under Define.
  auto* defineRow = new QGridLayout;
  defineRow->setHorizontalSpacing(16);
  defineRow->setVerticalSpacing(8);
  defineRow->addWidget(MakeLabel("Press <Define> to accept the condition", this, "DefineHint"), 0, 0,
                       Qt::AlignVCenter);
  defineRow->addWidget(defineButton_, 0, 1);
  defineRow->addWidget(runDesignButton_, 1, 1, Qt::AlignLeft);
  auto* defineColumn = new QVBoxLayout;
  defineColumn->addSpacing(48);
  defineColumn->addLayout(defineRow);
  defineColumn->addStretch(1);

  auto* top = new QHBoxLayout;
  top->setSpacing(31);
  top->addLayout(design);
  top->addLayout(defineColumn);
  top->addStretch(1);

  auto* layout = SheetLayout(this);
  layout->setContentsMargins(8, 8, 8, 6);
  layout->addLayout(top);
  layout->addStretch(1);
  layout->addWidget(MakeLabel("Experimental design as used for the paper", this, "DesignLabel"));
}

void NewcomersTab::BindTo(WidgetPanel& panel) const {
  panel.BindField(Field::EntTurnAgent, entTurnAgent_, nullptr);
  panel.BindChoice(Choice::FitNoFit, fitNoFit_);
  panel.BindChoice(Choice::Newcomer, newcomer_);
  panel.BindChoice(Choice::HiLo, hiLo_);
  panel.BindEntrance(turnoverPanel_, entTurnAgent_);
}
