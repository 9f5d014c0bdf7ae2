#include "parameters_tab.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "up_down.h"
#include "widget_panel.h"
#include "window_style.h"

using davrel3::Field;
using namespace window_style;

namespace {

// Rows of a parameter group stand this far apart.
constexpr int kRowPitch = 24;

QGridLayout* MakeRowsGrid() {
  auto* grid = new QGridLayout;
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(kRowPitch - kEditHeight);
  grid->setColumnStretch(0, 1);
  // Rows keep their pitch from the top however tall the group is.
  grid->setRowStretch(16, 1);
  return grid;
}

// A group panel: its title centred along the top edge, then its rows.
QFrame* MakeGroupPanel(const QString& name, const QString& title, const QColor& colour, QWidget* parent,
                       QHBoxLayout** rowsArea) {
  QFrame* panel = MakePanel(name, parent, colour);
  auto* titleLabel = MakeLabel(title, panel);
  titleLabel->setFont(PixelFont(13));
  titleLabel->setAlignment(Qt::AlignHCenter);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(8, 4, 8, 8);
  layout->setSpacing(6);
  layout->addWidget(titleLabel);
  *rowsArea = new QHBoxLayout;
  (*rowsArea)->setSpacing(16);
  layout->addLayout(*rowsArea);
  layout->addStretch(1);
  panel->setMinimumSize(153, 153);
  panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  return panel;
}

}  // namespace

// One row of a parameter group as the layout gives it.
struct ParametersTab::Row {
  const char* caption;
  Field field;
  const char* editName;
  const char* upDownName;  // empty: the edit has no arrows
  int min;
  int max;
  bool locked;  // takes no typing
};

QLabel* ParametersTab::AddRow(QGridLayout* grid, int row, const Row& spec, int editWidth, QWidget* group) {
  const davrel3::FieldLayout layout = davrel3::LayoutDefault(spec.field);
  auto* label = MakeLabel(QString::fromUtf8(spec.caption), group);
  QLineEdit* edit = MakeEdit(spec.editName, QString::fromUtf8(layout.text), editWidth, group);
  edit->setReadOnly(spec.locked);
  label->setBuddy(edit);
  edits_[static_cast<int>(spec.field)] = edit;
  auto* box = new QHBoxLayout;
  box->setSpacing(0);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(edit);
  if (*spec.upDownName) {
    auto* upDown = new UpDown(edit, spec.min, spec.max, layout.position, group);
    upDown->setObjectName(spec.upDownName);
    upDown->setFixedHeight(kEditHeight);
    box->addWidget(upDown);
    upDowns_[static_cast<int>(spec.field)] = upDown;
  } else {
    box->addSpacing(15);  // keeps the edit in line with those that have arrows
  }
  grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
  grid->addLayout(box, row, 1, Qt::AlignRight | Qt::AlignVCenter);
  grid->setRowMinimumHeight(row, kEditHeight);
  return label;
}

ParametersTab::ParametersTab(QWidget* parent) : QWidget(parent) {
  setObjectName("ParTabSheet");
  setFont(PixelFont(kFontPixels));
  const QColor buttonFace = palette().color(QPalette::Button);
  parPanel_ = MakePanel("ParPanel", this, QColor(0xd4, 0xd4, 0xd4));
  parPanel_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

  // Wide enough for every value the arrows reach, and for typed values of
  // the same size.
  const int editWidth = EditWidthForDigits(this, 3, 25);
  const int taskEditWidth = EditWidthForDigits(this, 6, 33);

  QHBoxLayout* rows = nullptr;
  systemPanel_ = MakeGroupPanel("SystemPanel", "System", QColor(0xe4, 0xe4, 0xe4), parPanel_, &rows);
  systemPanel_->setMinimumWidth(297);
  {
    QGridLayout* left = MakeRowsGrid();
    QGridLayout* right = MakeRowsGrid();
    const Row leftRows[] = {
        {"Present Agents", Field::NrofAg, "NrofAgEdit", "NrofAgUpDown", 1, 100, true},
        {"Number of Skills", Field::NrofSkills, "NrofSkillsEdit", "NrofSkillsUpDown", 1, 100, true},
        {"Inhibition", Field::InhPar, "InhParEdit", "InhParUpDown", 1, 10, true},
        {"Excitation", Field::ExcPar, "ExcParEdit", "ExcParUpDown", 1, 10, true},
    };
    const Row rightRows[] = {
        {"% Expertise", Field::ExpRate, "ExpRateEdit", "ExpRateUpDown", 0, 100, true},
        {"% Motivation ", Field::MotRate, "MotRateEdit", "", 0, 0, true},
        {"Learn  Interac.", Field::LearnInt, "LearnIntEdit", "LearnIntUpDown", 0, 10, true},
    };
    for (int i = 0; i < 4; ++i) AddRow(left, i, leftRows[i], editWidth, systemPanel_);
    for (int i = 0; i < 3; ++i) AddRow(right, i, rightRows[i], editWidth, systemPanel_);
    rows->addLayout(left);
    rows->addLayout(right);
  }

  expPanel_ = MakeGroupPanel("ExpPanel", "Expertise", buttonFace, parPanel_, &rows);
  {
    QGridLayout* grid = MakeRowsGrid();
    const Row expertiseRows[] = {
        {"Expertise maximum", Field::ExpMax, "ExpMaxEdit", "ExpMaxUpDown", 0, 100, false},
        {"Expertise threshold", Field::ExpThresh, "ExpThreshEdit", "ExpThreshUpDown", 0, 100, false},
        {"Learn Speed", Field::LearnSpeed, "LearnSpeedEdit", "LearnSpeedUpDown", 0, 100, false},
        {"Forget Speed", Field::ForgetSpeed, "ForgetSpeedEdit", "ForgetSpeedUpDown", 0, 100, false},
    };
    for (int i = 0; i < 4; ++i) AddRow(grid, i, expertiseRows[i], editWidth, expPanel_);
    rows->addLayout(grid);
  }

  motPanel_ = MakeGroupPanel("MotPanel", "Motivation", buttonFace, parPanel_, &rows);
  {
    QGridLayout* grid = MakeRowsGrid();
    const Row motivationRows[] = {
        {"Motivation maximum ", Field::MotMax, "MotMaxEdit", "MotMaxUpDown", 0, 100, false},
        {"Motivation threshold", Field::MotThresh, "MotThreshEdit", "MotThreshUpDown", 0, 100, false},
        {"Boredom Rate", Field::Bore, "BoreEdit", "BoreUpDown", 0, 100, false},
        {"Rest Rate", Field::Rest, "RestEdit", "RestUpDown", 0, 100, false},
        {"Equity", Field::Fair, "FairEdit", "FairUpDown", 0, 100, true},
    };
    for (int i = 0; i < 4; ++i) AddRow(grid, i, motivationRows[i], editWidth, motPanel_);
    fairLabel_ = AddRow(grid, 4, motivationRows[4], editWidth, motPanel_);
    fairLabel_->setObjectName("FairLabel");
    // Equity is shown but takes no part: the whole row is disabled.
    for (QWidget* widget : {static_cast<QWidget*>(fairLabel_), static_cast<QWidget*>(FairEdit()),
                            static_cast<QWidget*>(FairUpDown())}) {
      widget->setEnabled(false);
    }
    rows->addLayout(grid);
  }

  taskPanel_ = MakeGroupPanel("TaskPanel", "Tasks", buttonFace, parPanel_, &rows);
  {
    QGridLayout* grid = MakeRowsGrid();
    const Row taskRows[] = {
        {"Number of tasks", Field::NrOfTasks, "NrOfTasksEdit", "NrOfTasksUpDown", 0, 40, true},
        {"Number of cycles", Field::Cycle, "CycleEdit", "CycleUpDown", 0, 1000, true},
        {"Number of actions", Field::Action, "ActionEdit", "ActionUpDown", 0, 100, true},
        {"Variety of actions", Field::Var, "VarEdit", "VarUpDown", 0, 100, true},
        {"Task Unit Duration", Field::Dur, "DurEdit", "DurUpDown", 0, 100, true},
    };
    for (int i = 0; i < 5; ++i) AddRow(grid, i, taskRows[i], taskEditWidth, taskPanel_);
    rows->addLayout(grid);
    // The task settings come from the presets and the experimental design
    // only: the whole group takes no input.
    taskPanel_->setEnabled(false);
  }

  auto* groups = new QHBoxLayout(parPanel_);
  groups->setContentsMargins(8, 8, 8, 8);
  groups->setSpacing(7);
  for (QFrame* group : {systemPanel_, expPanel_, motPanel_, taskPanel_}) groups->addWidget(group, 0, Qt::AlignTop);

  auto* layout = SheetLayout(this);
  layout->setContentsMargins(8, 8, 8, 6);
  layout->addWidget(parPanel_, 0, Qt::AlignLeft);
  layout->addStretch(1);
  layout->addWidget(MakeLabel("Some of the parameters may be altered manually instead of using the 'Newcomers' "
                              "preferences",
                              this, "ParHint"));
}

void ParametersTab::BindTo(WidgetPanel& panel) const {
  for (int i = 0; i < davrel3::kFieldCount; ++i) {
    if (edits_[i]) panel.BindField(static_cast<Field>(i), edits_[i], upDowns_[i]);
  }
}
