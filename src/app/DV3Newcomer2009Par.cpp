#include "DV3Newcomer2009Par.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScreen>
#include <QGuiApplication>
#include <algorithm>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>

#include "DV3Newcomer2009Agent.h"
#include "DV3Newcomer2009Task.h"
#include "experiment/parameter_file.h"
#include "experiment/record.h"
#include "data_export.h"
#include "design_results.h"
#include "design_runner.h"
#include "model/int_text.h"
#include "radio_group.h"
#include "up_down.h"

using davrel3::Choice;
using davrel3::Field;

namespace {

// The window's font: the nearest to an 11-pixel sans serif that every Debian
// desktop has.
constexpr const char* kFontFamily = "DejaVu Sans";
constexpr int kFontPixels = 11;
constexpr int kEditHeight = 21;
// Rows of a parameter group stand this far apart.
constexpr int kRowPitch = 24;

QFont PixelFont(int pixels, bool bold = false) {
  QFont font(kFontFamily);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QFrame* MakePanel(const QString& name, QWidget* parent, const QColor& colour) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Raised);
  panel->setAutoFillBackground(true);
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, colour);
  panel->setPalette(palette);
  return panel;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, const QString& name = {}) {
  auto* label = new QLabel(text, parent);
  if (!name.isEmpty()) label->setObjectName(name);
  return label;
}

QLineEdit* MakeEdit(const QString& name, const QString& text, int width, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setFixedSize(width, kEditHeight);
  return edit;
}

QPushButton* MakeButton(const QString& name, const QString& caption, QSize size, const QFont& font,
                        QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setFont(font);
  button->setMinimumSize(size);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  button->setAutoDefault(false);
  return button;
}

// One row of a parameter group: caption, edit and (unless upDownName is
// empty) its up-down, starting from the layout's default text and position.
struct ParameterRow {
  QLabel* label;
  QLineEdit* edit;
  UpDown* upDown;
};

ParameterRow AddParameterRow(QGridLayout* grid, int row, const QString& caption, Field field, const QString& editName,
                             const QString& upDownName, int min, int max, bool locked, int editWidth,
                             QWidget* parent) {
  const davrel3::FieldLayout layout = davrel3::LayoutDefault(field);
  ParameterRow result{};
  result.label = MakeLabel(caption, parent);
  result.edit = MakeEdit(editName, QString::fromUtf8(layout.text), editWidth, parent);
  result.edit->setReadOnly(locked);
  result.label->setBuddy(result.edit);
  auto* box = new QHBoxLayout;
  box->setSpacing(0);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(result.edit);
  if (!upDownName.isEmpty()) {
    result.upDown = new UpDown(result.edit, min, max, layout.position, parent);
    result.upDown->setObjectName(upDownName);
    result.upDown->setFixedHeight(kEditHeight);
    box->addWidget(result.upDown);
  } else {
    box->addSpacing(15);  // keeps the edit in line with those that have arrows
  }
  grid->addWidget(result.label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
  grid->addLayout(box, row, 1, Qt::AlignRight | Qt::AlignVCenter);
  grid->setRowMinimumHeight(row, kEditHeight);
  return result;
}

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

// ------------------------------------------------------------------ creation

TParForm::TParForm(QWidget* parent) : QWidget(parent) {
  setObjectName("ParForm");
  setWindowTitle("Davrel3");
  setFont(PixelFont(kFontPixels));

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setDocumentMode(false);
  AgentTabSheet = BuildAgentTab();
  TaskTabSheet = BuildTaskTab();
  ParTabSheet = BuildParametersTab();
  ProcesTabSheet = BuildNewcomersTab();
  TabSheet1 = BuildAboutTab();
  PageControl1->addTab(AgentTabSheet, "Agent");
  PageControl1->addTab(TaskTabSheet, "Task");
  PageControl1->addTab(ParTabSheet, "Parameters");
  PageControl1->addTab(ProcesTabSheet, "Newcomers");
  PageControl1->addTab(TabSheet1, "About");
  PageControl1->setFixedSize(1081, 249);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 8, 8);
  layout->setSpacing(7);
  layout->addWidget(PageControl1, 0, Qt::AlignLeft);
  layout->addLayout(BuildIndicatorStrip());
  layout->addStretch(1);
  CreateHiddenControls();
  BuildMenus();
  // Through the layout, so that the tabs and the strip below keep their
  // arrangement underneath it.
  layout->setMenuBar(MenuBar);

  designRunner_ = new DesignRunner(this);
  connect(designRunner_, &DesignRunner::Progress, this, [this](int done, int total) { DesignProgress(done, total); });
  connect(designRunner_, &DesignRunner::Finished, this, [this](const DesignResult& result) { DesignFinished(result); });
  connect(designRunner_, &DesignRunner::Cancelled, this, [this] { DesignStopped(); });

  BindPanel();
  bench_.SetObserver(&observer_);
  TaskFrame->SetGrid(&bench_.State().TaskGrid);
  for (TFrame1* frame : Frames) {
    frame->Attach(
        &bench_, [this](const QString& text) { ShowMessage(text); }, [this] { SetSystem(); });
  }
  WireEvents();

  PageControl1->setCurrentWidget(ProcesTabSheet);
  move(55, 47);
  resize(1094, 348);
  FormCreate();
}

TParForm::~TParForm() {
  // The workbench goes before the child widgets do: nothing may show its
  // grids or records once it is gone.
  bench_.SetObserver(nullptr);
  TaskFrame->SetGrid(nullptr);
  for (TFrame1* frame : Frames) frame->Attach(nullptr, nullptr, nullptr);
}

QWidget* TParForm::BuildAgentTab() {
  auto* sheet = new QWidget;
  sheet->setObjectName("AgentTabSheet");
  AgentPanel = MakePanel("AgentPanel", sheet, palette().color(QPalette::Button));
  AgentPanel->setFrameShape(QFrame::NoFrame);

  auto* frames = new QHBoxLayout;
  frames->setContentsMargins(8, 0, 8, 0);
  frames->setSpacing(13);
  for (int k = 0; k < 6; ++k) {
    Frames[k] = new TFrame1(AgentPanel);
    Frames[k]->setObjectName(QString("Frame1%1").arg(k + 1));
    // The newcomer's frame stands apart from the group's.
    if (k == 5) frames->addSpacing(40);
    frames->addWidget(Frames[k]);
  }
  frames->addStretch(1);

  AgentLegend = MakeLabel(
      "Expertise and motivational values of agents at each timestep.  The values of agent 6, the newcomer, are "
      "visible after he/she enters the group.",
      AgentPanel, "AgentLegend");
  auto* panelLayout = new QVBoxLayout(AgentPanel);
  panelLayout->setContentsMargins(0, 0, 0, 4);
  panelLayout->setSpacing(4);
  panelLayout->addLayout(frames);
  auto* legendRow = new QHBoxLayout;
  legendRow->setContentsMargins(16, 0, 0, 0);
  legendRow->addWidget(AgentLegend);
  legendRow->addStretch(1);
  panelLayout->addLayout(legendRow);
  panelLayout->addStretch(1);

  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(AgentPanel);
  return sheet;
}

QWidget* TParForm::BuildTaskTab() {
  auto* sheet = new QWidget;
  sheet->setObjectName("TaskTabSheet");
  TaskFrame = new TTaskFrame(sheet);
  TaskFrame->setObjectName("TTaskFrame");
  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(TaskFrame);
  return sheet;
}

QWidget* TParForm::BuildParametersTab() {
  auto* sheet = new QWidget;
  sheet->setObjectName("ParTabSheet");
  const QColor buttonFace = palette().color(QPalette::Button);
  ParPanel = MakePanel("ParPanel", sheet, QColor(0xd4, 0xd4, 0xd4));
  ParPanel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

  const QFontMetrics metrics(font());
  const int editWidth = std::max(25, metrics.horizontalAdvance("000") + 10);
  const int taskEditWidth = std::max(33, metrics.horizontalAdvance("0000") + 10);

  QHBoxLayout* rows = nullptr;
  SystemPanel = MakeGroupPanel("SystemPanel", "System", QColor(0xe4, 0xe4, 0xe4), ParPanel, &rows);
  SystemPanel->setMinimumWidth(297);
  {
    QGridLayout* left = MakeRowsGrid();
    QGridLayout* right = MakeRowsGrid();
    auto r = AddParameterRow(left, 0, "Present Agents", Field::NrofAg, "NrofAgEdit", "NrofAgUpDown", 1, 100, true,
                             editWidth, SystemPanel);
    NrofAgEdit = r.edit, NrofAgUpDown = r.upDown;
    r = AddParameterRow(left, 1, "Number of Skills", Field::NrofSkills, "NrofSkillsEdit", "NrofSkillsUpDown", 1, 100,
                        true, editWidth, SystemPanel);
    NrofSkillsEdit = r.edit, NrofSkillsUpDown = r.upDown;
    r = AddParameterRow(left, 2, "Inhibition", Field::InhPar, "InhParEdit", "InhParUpDown", 1, 10, true, editWidth,
                        SystemPanel);
    InhParEdit = r.edit, InhParUpDown = r.upDown;
    r = AddParameterRow(left, 3, "Excitation", Field::ExcPar, "ExcParEdit", "ExcParUpDown", 1, 10, true, editWidth,
                        SystemPanel);
    ExcParEdit = r.edit, ExcParUpDown = r.upDown;
    r = AddParameterRow(right, 0, "% Expertise", Field::ExpRate, "ExpRateEdit", "ExpRateUpDown", 0, 100, true,
                        editWidth, SystemPanel);
    ExpRateEdit = r.edit, ExpRateUpDown = r.upDown;
    r = AddParameterRow(right, 1, "% Motivation ", Field::MotRate, "MotRateEdit", "", 0, 0, true, editWidth,
                        SystemPanel);
    MotRateEdit = r.edit;
    r = AddParameterRow(right, 2, "Learn  Interac.", Field::LearnInt, "LearnIntEdit", "LearnIntUpDown", 0, 10, true,
                        editWidth, SystemPanel);
    LearnIntEdit = r.edit, LearnIntUpDown = r.upDown;
    rows->addLayout(left);
    rows->addLayout(right);
  }

  ExpPanel = MakeGroupPanel("ExpPanel", "Expertise", buttonFace, ParPanel, &rows);
  {
    QGridLayout* grid = MakeRowsGrid();
    auto r = AddParameterRow(grid, 0, "Expertise maximum", Field::ExpMax, "ExpMaxEdit", "ExpMaxUpDown", 0, 100, false,
                             editWidth, ExpPanel);
    ExpMaxEdit = r.edit, ExpMaxUpDown = r.upDown;
    r = AddParameterRow(grid, 1, "Expertise threshold", Field::ExpThresh, "ExpThreshEdit", "ExpThreshUpDown", 0, 100,
                        false, editWidth, ExpPanel);
    ExpThreshEdit = r.edit, ExpThreshUpDown = r.upDown;
    r = AddParameterRow(grid, 2, "Learn Speed", Field::LearnSpeed, "LearnSpeedEdit", "LearnSpeedUpDown", 0, 100, false,
                        editWidth, ExpPanel);
    LearnSpeedEdit = r.edit, LearnSpeedUpDown = r.upDown;
    r = AddParameterRow(grid, 3, "Forget Speed", Field::ForgetSpeed, "ForgetSpeedEdit", "ForgetSpeedUpDown", 0, 100,
                        false, editWidth, ExpPanel);
    ForgetSpeedEdit = r.edit, ForgetSpeedUpDown = r.upDown;
    rows->addLayout(grid);
  }

  MotPanel = MakeGroupPanel("MotPanel", "Motivation", buttonFace, ParPanel, &rows);
  {
    QGridLayout* grid = MakeRowsGrid();
    auto r = AddParameterRow(grid, 0, "Motivation maximum ", Field::MotMax, "MotMaxEdit", "MotMaxUpDown", 0, 100,
                             false, editWidth, MotPanel);
    MotMaxEdit = r.edit, MotMaxUpDown = r.upDown;
    r = AddParameterRow(grid, 1, "Motivation threshold", Field::MotThresh, "MotThreshEdit", "MotThreshUpDown", 0, 100,
                        false, editWidth, MotPanel);
    MotThreshEdit = r.edit, MotThreshUpDown = r.upDown;
    r = AddParameterRow(grid, 2, "Boredom Rate", Field::Bore, "BoreEdit", "BoreUpDown", 0, 100, false, editWidth,
                        MotPanel);
    BoreEdit = r.edit, BoreUpDown = r.upDown;
    r = AddParameterRow(grid, 3, "Rest Rate", Field::Rest, "RestEdit", "RestUpDown", 0, 100, false, editWidth,
                        MotPanel);
    RestEdit = r.edit, RestUpDown = r.upDown;
    r = AddParameterRow(grid, 4, "Equity", Field::Fair, "FairEdit", "FairUpDown", 0, 100, true, editWidth, MotPanel);
    FairEdit = r.edit, FairUpDown = r.upDown, FairLabel = r.label;
    FairLabel->setObjectName("FairLabel");
    // Equity is shown but takes no part: the whole row is disabled.
    for (QWidget* widget : {static_cast<QWidget*>(FairLabel), static_cast<QWidget*>(FairEdit),
                            static_cast<QWidget*>(FairUpDown)}) {
      widget->setEnabled(false);
    }
    rows->addLayout(grid);
  }

  TaskPanel = MakeGroupPanel("TaskPanel", "Tasks", buttonFace, ParPanel, &rows);
  {
    QGridLayout* grid = MakeRowsGrid();
    auto r = AddParameterRow(grid, 0, "Number of tasks", Field::NrOfTasks, "NrOfTasksEdit", "NrOfTasksUpDown", 0, 40,
                             true, taskEditWidth, TaskPanel);
    NrOfTasksEdit = r.edit, NrOfTasksUpDown = r.upDown;
    r = AddParameterRow(grid, 1, "Number of cycles", Field::Cycle, "CycleEdit", "CycleUpDown", 0, 1000, true,
                        taskEditWidth, TaskPanel);
    CycleEdit = r.edit, CycleUpDown = r.upDown;
    r = AddParameterRow(grid, 2, "Number of actions", Field::Action, "ActionEdit", "ActionUpDown", 0, 100, true,
                        taskEditWidth, TaskPanel);
    ActionEdit = r.edit, ActionUpDown = r.upDown;
    r = AddParameterRow(grid, 3, "Variety of actions", Field::Var, "VarEdit", "VarUpDown", 0, 100, true,
                        taskEditWidth, TaskPanel);
    VarEdit = r.edit, VarUpDown = r.upDown;
    r = AddParameterRow(grid, 4, "Task Unit Duration", Field::Dur, "DurEdit", "DurUpDown", 0, 100, true,
                        taskEditWidth, TaskPanel);
    DurEdit = r.edit, DurUpDown = r.upDown;
    rows->addLayout(grid);
    // The task settings come from the presets and the experimental design
    // only: the whole group takes no input.
    TaskPanel->setEnabled(false);
  }

  auto* groups = new QHBoxLayout(ParPanel);
  groups->setContentsMargins(8, 8, 8, 8);
  groups->setSpacing(7);
  for (QFrame* group : {SystemPanel, ExpPanel, MotPanel, TaskPanel}) groups->addWidget(group, 0, Qt::AlignTop);

  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(8, 8, 8, 6);
  layout->addWidget(ParPanel, 0, Qt::AlignLeft);
  layout->addStretch(1);
  layout->addWidget(MakeLabel("Some of the parameters may be altered manually instead of using the 'Newcomers' "
                              "preferences",
                              sheet, "ParHint"));
  return sheet;
}

QWidget* TParForm::BuildNewcomersTab() {
  auto* sheet = new QWidget;
  sheet->setObjectName("ProcesTabSheet");

  auto items = [](Choice choice) {
    QStringList list;
    const auto& names = davrel3::ChoiceItems(choice);
    for (int i = 0; i < davrel3::ChoiceItemCount(choice); ++i) list << QString::fromUtf8(names[i].data(), int(names[i].size()));
    return list;
  };
  FitNoFitRadioGroup = new RadioGroup("Fit", items(Choice::FitNoFit), 0, sheet);
  FitNoFitRadioGroup->setObjectName("FitNoFitRadioGroup");
  NewcomerRadioGroup = new RadioGroup("Newcomer", items(Choice::Newcomer), 1, sheet);
  NewcomerRadioGroup->setObjectName("NewcomerRadioGroup");
  HiLoRadioGroup = new RadioGroup("Skills Newcomer", items(Choice::HiLo), 0, sheet);
  HiLoRadioGroup->setObjectName("HiLoRadioGroup");
  auto* radios = new QHBoxLayout;
  radios->setSpacing(7);
  for (RadioGroup* group : {FitNoFitRadioGroup, NewcomerRadioGroup, HiLoRadioGroup}) {
    group->setMinimumSize(89, 105);
    group->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    radios->addWidget(group);
  }

  TurnoverPanel = MakePanel("TurnoverPanel", sheet, palette().color(QPalette::Button));
  TurnoverPanel->setFixedHeight(33);
  EntTurnAgent = MakeEdit("EntTurnAgent", QString::fromUtf8(davrel3::LayoutDefault(Field::EntTurnAgent).text),
                          std::max(25, QFontMetrics(font()).horizontalAdvance("0000") + 10), TurnoverPanel);
  {
    auto* row = new QHBoxLayout(TurnoverPanel);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(6);
    row->addWidget(MakeLabel("Entrance newcomer after", TurnoverPanel));
    row->addWidget(EntTurnAgent);
    row->addWidget(MakeLabel("Timesteps", TurnoverPanel));
    row->addStretch(1);
  }
  TurnoverPanel->setVisible(false);

  auto* design = new QVBoxLayout;
  design->setSpacing(7);
  design->addLayout(radios);
  design->addWidget(TurnoverPanel);

  DefineButton = MakeButton("DefineButton", "Define", QSize(99, 49), PixelFont(19, true), sheet);
  DefineButton->setFixedSize(99, 49);
  QPalette red = DefineButton->palette();
  red.setColor(QPalette::ButtonText, QColor(0xc0, 0x00, 0x00));
  DefineButton->setPalette(red);

  // Runs every condition at once, each in its own workbench: a companion of
  // Define, drawn in the same family but plain, so Define stays the one
  // button that changes the window's model.
  RunDesignButton = MakeButton("RunDesignButton", "Run design", QSize(99, 27), PixelFont(13), sheet);
  RunDesignButton->setMinimumWidth(std::max(99, RunDesignButton->sizeHint().width()));
  RunDesignButton->setToolTip(
      "Runs all 18 conditions (fit, newcomer and skills items) as Define and START would, each on its own, "
      "with the other parameters as the edits hold them now; the results open in their own window. The "
      "window's committed model is not changed.");

  // The hint and the button stand right of the design, lower down, the hint
  // level with the middle of the button; "Run design" sits under Define.
  auto* defineRow = new QGridLayout;
  defineRow->setHorizontalSpacing(16);
  defineRow->setVerticalSpacing(8);
  defineRow->addWidget(MakeLabel("Press <Define> to accept the condition", sheet, "DefineHint"), 0, 0,
                       Qt::AlignVCenter);
  defineRow->addWidget(DefineButton, 0, 1);
  defineRow->addWidget(RunDesignButton, 1, 1, Qt::AlignLeft);
  auto* defineColumn = new QVBoxLayout;
  defineColumn->addSpacing(48);
  defineColumn->addLayout(defineRow);
  defineColumn->addStretch(1);

  auto* top = new QHBoxLayout;
  top->setSpacing(31);
  top->addLayout(design);
  top->addLayout(defineColumn);
  top->addStretch(1);

  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(8, 8, 8, 6);
  layout->addLayout(top);
  layout->addStretch(1);
  layout->addWidget(MakeLabel("Experimental design as used for the paper", sheet, "DesignLabel"));
  return sheet;
}

QWidget* TParForm::BuildAboutTab() {
  auto* sheet = new QWidget;
  sheet->setObjectName("TabSheet1");
  const QStringList texts = {"  ", "", "Please report any comments, bugs, etc.., to the author.",
                             "Davrel3 - a simulation of task allocation in self-organising work groups"};
  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(16, 24, 8, 12);
  layout->setSpacing(0);
  for (int i = 0; i < 4; ++i) {
    AboutLabels[i] = MakeLabel(texts[i], sheet, QString("AboutLabel%1").arg(i + 1));
    AboutLabels[i]->setFont(PixelFont(13));
    AboutLabels[i]->setFixedHeight(24);
  }
  for (int i = 0; i < 3; ++i) layout->addWidget(AboutLabels[i]);
  layout->addStretch(1);
  auto* credit = new QHBoxLayout;
  credit->addSpacing(448);
  credit->addWidget(AboutLabels[3]);
  credit->addStretch(1);
  layout->addLayout(credit);
  return sheet;
}

QLayout* TParForm::BuildIndicatorStrip() {
  TaskCheckBox = new QCheckBox("Indicate new task", this);
  TaskCheckBox->setObjectName("TaskCheckBox");
  TaskCheckBox->setEnabled(false);
  Edit3 = MakeEdit("Edit3", "", 25, this);
  Edit3->setEnabled(false);
  auto* taskNote = MakeLabel(
      "This option has been disabled since the experiments as described in the paper only deal with conditions "
      "with one single task",
      this, "TaskNote");
  CycleCheckBox = new QCheckBox("Indicate new timestep", this);
  CycleCheckBox->setObjectName("CycleCheckBox");
  Edit2 = MakeEdit("Edit2", "", 25, this);
  Edit2->setEnabled(false);
  auto* cycleNote = MakeLabel(
      "Activate this option to track the proces at each timestep. After that, choose either the <Agent> or the "
      "<Task> Tabsheet.",
      this, "CycleNote");
  for (QLabel* note : {taskNote, cycleNote}) note->setWordWrap(true);

  auto* indicators = new QGridLayout;
  indicators->setContentsMargins(16, 0, 0, 0);
  indicators->setHorizontalSpacing(8);
  indicators->setVerticalSpacing(4);
  indicators->addWidget(TaskCheckBox, 0, 0);
  indicators->addWidget(Edit3, 0, 1, Qt::AlignTop);
  indicators->addWidget(taskNote, 0, 2, Qt::AlignTop);
  indicators->addWidget(CycleCheckBox, 1, 0);
  indicators->addWidget(Edit2, 1, 1, Qt::AlignTop);
  indicators->addWidget(cycleNote, 1, 2, Qt::AlignTop);
  indicators->setColumnStretch(2, 1);
  indicators->setColumnMinimumWidth(0, 120);

  const QFont bold = PixelFont(kFontPixels, true);
  DefaultButton = MakeButton("DefaultButton", "Default", QSize(75, 57), bold, this);
  DefaultButton->setVisible(false);
  DefaultButton->setEnabled(false);
  OKButton = MakeButton("OKButton", "OK", QSize(49, 25), bold, this);
  CancelButton = MakeButton("CancelButton", "Cancel", QSize(49, 25), bold, this);
  StartButton = MakeButton("StartButton", "START", QSize(161, 57), PixelFont(13, true), this);
  StartButton->setFixedSize(161, 57);
  OKButton->setFixedHeight(25);
  CancelButton->setFixedHeight(25);
  OKButton->setMinimumWidth(std::max(49, CancelButton->sizeHint().width()));
  CancelButton->setMinimumWidth(OKButton->minimumWidth());

  auto* okCancel = new QVBoxLayout;
  okCancel->setSpacing(7);
  okCancel->addWidget(OKButton);
  okCancel->addWidget(CancelButton);

  auto* strip = new QHBoxLayout;
  strip->setSpacing(7);
  strip->addLayout(indicators, 1);
  strip->addSpacing(12);
  strip->addWidget(DefaultButton, 0, Qt::AlignTop);
  strip->addLayout(okCancel);
  strip->addWidget(StartButton, 0, Qt::AlignTop);
  return strip;
}

void TParForm::CreateHiddenControls() {
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
  ProcesBox = hiddenBox("ProcesBox", "Indicate processtep");
  Edit1 = hiddenEdit("Edit1");
  Edit1->setEnabled(false);
  AllCheckBox = hiddenBox("AllCheckBox", "Indicate Allocation");
  PerfCheckBox = hiddenBox("PerfCheckBox", "Indicate Performance");
  InflCheckBox = hiddenBox("InflCheckBox", "Indicate Influence");
  AgVariationCheckBox = hiddenBox("AgVariationCheckBox", "Indicate AgVariation");
  CountEdit = hiddenEdit("CountEdit");
}

void TParForm::BindPanel() {
  struct Binding {
    Field field;
    QLineEdit* edit;
    UpDown* upDown;
  };
  const Binding bindings[] = {
      {Field::NrofAg, NrofAgEdit, NrofAgUpDown},
      {Field::NrofSkills, NrofSkillsEdit, NrofSkillsUpDown},
      {Field::InhPar, InhParEdit, InhParUpDown},
      {Field::ExcPar, ExcParEdit, ExcParUpDown},
      {Field::ExpRate, ExpRateEdit, ExpRateUpDown},
      {Field::MotRate, MotRateEdit, nullptr},
      {Field::LearnInt, LearnIntEdit, LearnIntUpDown},
      {Field::MotMax, MotMaxEdit, MotMaxUpDown},
      {Field::MotThresh, MotThreshEdit, MotThreshUpDown},
      {Field::Bore, BoreEdit, BoreUpDown},
      {Field::Rest, RestEdit, RestUpDown},
      {Field::Fair, FairEdit, FairUpDown},
      {Field::ExpMax, ExpMaxEdit, ExpMaxUpDown},
      {Field::ExpThresh, ExpThreshEdit, ExpThreshUpDown},
      {Field::LearnSpeed, LearnSpeedEdit, LearnSpeedUpDown},
      {Field::ForgetSpeed, ForgetSpeedEdit, ForgetSpeedUpDown},
      {Field::Cycle, CycleEdit, CycleUpDown},
      {Field::Action, ActionEdit, ActionUpDown},
      {Field::Var, VarEdit, VarUpDown},
      {Field::NrOfTasks, NrOfTasksEdit, NrOfTasksUpDown},
      {Field::Dur, DurEdit, DurUpDown},
      {Field::EntTurnAgent, EntTurnAgent, nullptr},
  };
  static_assert(std::size(bindings) == davrel3::kFieldCount);
  for (const Binding& binding : bindings) panel_.BindField(binding.field, binding.edit, binding.upDown);
  panel_.BindChoice(Choice::FitNoFit, FitNoFitRadioGroup);
  panel_.BindChoice(Choice::Newcomer, NewcomerRadioGroup);
  panel_.BindChoice(Choice::HiLo, HiLoRadioGroup);
  panel_.BindEntrance(TurnoverPanel, EntTurnAgent);
}

void TParForm::WireEvents() {
  connect(StartButton, &QPushButton::clicked, this, [this] { StartButtonClick(); });
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
  connect(DefineButton, &QPushButton::clicked, this, [this] { DefineButtonClick(); });
  connect(DefaultButton, &QPushButton::clicked, this, [this] { DefaultButtonClick(); });
  connect(RunDesignButton, &QPushButton::clicked, this, [this] { RunDesignButtonClick(); });
  connect(ExpRateUpDown, &UpDown::Click, this, [this] { ExpRateUpDownClick(); });
  for (int k = 0; k < 6; ++k) {
    TFrame1* frame = Frames[k];
    connect(frame->AgentEditUpDown, &UpDown::Click, this,
            [this, frame] { Handle([frame] { frame->AgentEditUpDownClick(); }); });
    if (k == 0) {
      connect(frame->AgentGrid, &QAbstractItemView::clicked, this, [this] { Frame11AgentGridClick(); });
    } else if (k == 4) {
      connect(frame->AgentGrid, &QAbstractItemView::clicked, this, [this] { Frame15AgentGridClick(); });
    } else {
      connect(frame->AgentGrid, &QAbstractItemView::clicked, this,
              [this, frame] { Handle([frame] { frame->AgentGridClick(); }); });
    }
  }
}

// ------------------------------------------------------------------ messages and errors

void TParForm::ShowMessage(const QString& text) {
  if (messageFunction_) {
    messageFunction_(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void TParForm::Handle(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    SyncButtons();
    ShowMessage(QString::fromStdString(error.what()));
  } catch (...) {
    SyncButtons();
    ShowMessage("An unknown error occurred");
  }
  SyncButtons();
}

void TParForm::SyncButtons() {
  StartButton->setEnabled(bench_.StartEnabled());
  DefaultButton->setEnabled(bench_.DefaultEnabled());
}

void TParForm::closeEvent(QCloseEvent* event) {
  event->accept();
  emit Closed();
}

// ------------------------------------------------------------------ handlers

void TParForm::FormCreate() {
  Handle([this] { bench_.FormCreate(); });
}

void TParForm::StartButtonClick() {
  Handle([this] {
    // Read as the runner reads them for its record: just before START.
    davrel3::ParameterValues parameters = davrel3::ReadParameters(panel_);
    davrel3::RunOutcome outcome;
    try {
      outcome = bench_.StartButtonClick(afterRunDraw_);
    } catch (const std::exception& error) {
      // The run went, its draw did not: the record says so, as the runner's does.
      lastRun_ = LastRun{davrel3::RunOutcome{davrel3::RunStatus::Failed, error.what(), {}}, std::move(parameters)};
      SaveRunRecordAction->setEnabled(true);
      throw;
    }
    if (outcome.status != davrel3::RunStatus::Refused) {
      lastRun_ = LastRun{outcome, std::move(parameters)};
      SaveRunRecordAction->setEnabled(true);
    }
    SyncButtons();
    if (outcome.status != davrel3::RunStatus::Finished && !outcome.message.empty()) {
      ShowMessage(QString::fromStdString(outcome.message));
    }
  });
}

void TParForm::OKButtonClick() {
  Handle([this] { bench_.OKButtonClick(); });
}

void TParForm::CancelButtonClick() {
  Handle([this] { bench_.CancelButtonClick(); });
}

void TParForm::DefineButtonClick() {
  Handle([this] { bench_.DefineButtonClick(); });
}

void TParForm::DefaultButtonClick() {
  Handle([this] { bench_.DefaultButtonClick(); });
}

void TParForm::ExpRateUpDownClick() {
  Handle([this] {
    const int expertise = panel_.Read(Field::ExpRate);
    panel_.SetText(Field::MotRate, davrel3::IntToStr(100 - expertise));
  });
}

void TParForm::Frame11AgentGridClick() {
  Handle([this] { Frames[0]->AgentGridClick(); });
}

void TParForm::Frame15AgentGridClick() {
  Handle([this] { Frames[4]->AgentGridClick(); });
}

void TParForm::Frame11AgentEditUpDownClick() {
  Handle([this] { Frames[0]->AgentEditUpDownClick(); });
}

void TParForm::Frame12AgentEditUpDownClick() {
  Handle([this] { Frames[1]->AgentEditUpDownClick(); });
}

// ------------------------------------------------------------------ operations

void TParForm::SetSystem() {
  bench_.SetSystem();
  SyncButtons();
}

void TParForm::MakeGrids() {
  // A commit: the model the last run left behind is gone, and with it the
  // record the window could save.
  lastRun_.reset();
  SaveRunRecordAction->setEnabled(false);
  MenuNote->clear();
  MakeAgentGrids();
  ShowStatesAgents();
}

void TParForm::MakeAgentGrids() {
  // Both counts are read from their edits afresh at each use.
  agentPanelHeight_ = 201;
  for (int k = 2; k < 6; ++k) Frames[k]->hide();
  Frames[0]->MakeGrid(panel_.Read(Field::NrofSkills));
  Frames[1]->MakeGrid(panel_.Read(Field::NrofSkills));
  for (int k = 2; k < 6; ++k) {
    if (panel_.Read(Field::NrofAg) <= k) break;
    if (k == 3) agentPanelHeight_ = 385;
    Frames[k]->show();
    Frames[k]->MakeGrid(panel_.Read(Field::NrofSkills));
  }
  // The legend lies below the 201-pixel panel and comes into view with the
  // taller one.
  AgentLegend->setVisible(agentPanelHeight_ == 385);
}

void TParForm::ShowStatesAgents() {
  for (int k = 1; k <= 6; ++k) Frames[k - 1]->ShowAgent(k);
}

// ------------------------------------------------------------------ menus

void TParForm::BuildMenus() {
  MenuBar = new QMenuBar(this);
  MenuBar->setObjectName("MenuBar");
  // Inside the window, also where the desktop offers a global menu bar.
  MenuBar->setNativeMenuBar(false);
  MenuNote = MakeLabel("", MenuBar, "MenuNote");
  MenuNote->setContentsMargins(8, 0, 8, 0);
  MenuBar->setCornerWidget(MenuNote, Qt::TopRightCorner);

  FileMenu = MenuBar->addMenu("&File");
  FileMenu->setObjectName("FileMenu");
  FileMenu->setToolTipsVisible(true);
  OpenParametersAction = FileMenu->addAction("Open parameters...", this, [this] { AskOpenParameters(); });
  OpenParametersAction->setObjectName("OpenParametersAction");
  OpenParametersAction->setShortcut(QKeySequence::Open);
  OpenParametersAction->setToolTip(
      "Writes the file's texts, up-down positions and radio items into the window. Nothing is committed: press "
      "OK or Define, as after typing.");
  SaveParametersAction = FileMenu->addAction("Save parameters...", this, [this] { AskSaveParameters(); });
  SaveParametersAction->setObjectName("SaveParametersAction");
  SaveParametersAction->setShortcut(QKeySequence::Save);
  SaveParametersAction->setToolTip("Saves every edit's text, the up-down positions and the three radio items");
  FileMenu->addSeparator();
  SaveRunRecordAction = FileMenu->addAction("Save run record...", this, [this] { AskSaveRunRecord(); });
  SaveRunRecordAction->setObjectName("SaveRunRecordAction");
  SaveRunRecordAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  SaveRunRecordAction->setToolTip(
      "Saves the whole record of the last run as JSON, as davrel3-batch --json prints it; available after START "
      "until the next commit");
  SaveRunRecordAction->setEnabled(false);

  ConfigurationsMenu = MenuBar->addMenu("&Configurations");
  ConfigurationsMenu->setObjectName("ConfigurationsMenu");
  ConfigurationsMenu->setToolTipsVisible(true);
  struct Caption {
    const char* name;
    const char* caption;
  };
  static const Caption kCaptions[] = {
      {"default", "Default"},          {"rotate", "Rotate"},
      {"boredom", "Boredom"},          {"variety", "Variety"},
      {"spec", "Specialists"},         {"jobrot1", "Job rotation I"},
      {"jobrot2", "Job rotation II"},  {"twoagents", "Two agents"},
      {"threeagents", "Three agents"}, {"agentvariety", "Agent variety"},
  };
  for (const davrel3::Configuration& configuration : davrel3::Configurations()) {
    const std::string name = configuration.name;
    const auto caption = std::find_if(std::begin(kCaptions), std::end(kCaptions),
                                      [&](const Caption& c) { return name == c.name; });
    // The start-up configuration belongs to the window's creation only.
    if (caption == std::end(kCaptions)) continue;
    auto apply = configuration.apply;
    QAction* action = ConfigurationsMenu->addAction(caption->caption, this, [this, apply] { ApplyConfiguration(apply); });
    action->setObjectName(QString("Configuration_%1").arg(configuration.name));
    action->setToolTip("Sets the parameters and skill levels of this configuration and commits them");
    if (name == "default") ConfigurationsMenu->addSeparator();
  }
  // The shortcuts work wherever the focus is in the window.
  addActions({OpenParametersAction, SaveParametersAction, SaveRunRecordAction});
}

void TParForm::ApplyConfiguration(void (davrel3::Workbench::*apply)()) {
  Handle([this, apply] { (bench_.*apply)(); });
}

// ------------------------------------------------------------------ files

namespace {

QString NativePath(const QString& path) { return QDir::toNativeSeparators(path); }

QString AskOpenPath(QWidget* parent, const QString& caption, const QStringList& filters) {
  QFileDialog dialog(parent, caption);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

const QStringList kParameterFilters = {"Parameter sets (*.json)", "All files (*)"};

}  // namespace

bool TParForm::OpenParameters(const QString& path) {
  try {
    // Only a regular file of at most 1 MiB is read: a folder, a device or a
    // pipe is refused at once instead of blocking the window.
    davrel3::LoadParameterFile(QFile::encodeName(path).toStdString(), panel_);
  } catch (const std::exception& error) {
    // The whole file was checked before anything was written: nothing changed.
    ShowMessage(QString("\"%1\" was not loaded: %2").arg(NativePath(path), QString::fromStdString(error.what())));
    return false;
  }
  MenuNote->setText(QString("Loaded %1: press OK or Define to commit").arg(QFileInfo(path).fileName()));
  return true;
}

bool TParForm::SaveParameters(const QString& path) {
  const std::string text = davrel3::SaveParameters(panel_);
  QString error;
  if (!data_export::SaveText(path, QString::fromStdString(text), &error)) {
    ShowMessage(error);
    return false;
  }
  MenuNote->setText(QString("Saved %1").arg(QFileInfo(path).fileName()));
  return true;
}

bool TParForm::SaveRunRecord(const QString& path) {
  if (!lastRun_) {
    ShowMessage("There is no run to save: press START first (a commit replaces the last run's model)");
    return false;
  }
  QString text;
  try {
    // The runner's --json form: every run of the session in "runs".
    text = QString::fromStdString(
        davrel3::RunRecordsDocument({davrel3::RunRecord(bench_, lastRun_->outcome, lastRun_->parameters)}) + "\n");
  } catch (const std::exception& error) {
    ShowMessage(QString("The run record could not be made: %1").arg(QString::fromStdString(error.what())));
    return false;
  }
  QString error;
  if (!data_export::SaveText(path, text, &error)) {
    ShowMessage(error);
    return false;
  }
  MenuNote->setText(QString("Saved %1").arg(QFileInfo(path).fileName()));
  return true;
}

void TParForm::AskOpenParameters() {
  const QString path = AskOpenPath(this, "Open parameters", kParameterFilters);
  if (!path.isEmpty()) OpenParameters(path);
}

void TParForm::AskSaveParameters() {
  const QString path = data_export::AskSavePath(this, "Save parameters", "parameters.json", kParameterFilters);
  if (!path.isEmpty()) SaveParameters(path);
}

void TParForm::AskSaveRunRecord() {
  if (!lastRun_) {
    SaveRunRecord({});  // says why there is nothing to save
    return;
  }
  const QString path = data_export::AskSavePath(this, "Save run record", "run.json", {"Run records (*.json)"});
  if (!path.isEmpty()) SaveRunRecord(path);
}

// ------------------------------------------------------------------ design

void TParForm::RunDesignButtonClick() {
  if (designRunner_->IsRunning()) return;
  // As davrel3-batch --design: parameters that would be refused run nothing.
  const davrel3::SessionOptions options = DesignOptions(panel_);
  if (auto refusal = davrel3::CommitRefusal(options)) {
    ShowMessage(QString::fromStdString(*refusal));
    return;
  }
  RunDesignButton->setEnabled(false);
  const int total = DesignRunner::Conditions();
  if (!designProgress_) {
    designProgress_ = new QProgressDialog(this);
    designProgress_->setObjectName("DesignProgress");
    designProgress_->setWindowTitle("Run design");
    designProgress_->setCancelButtonText("Cancel");
    // The window stays usable while the conditions run.
    designProgress_->setWindowModality(Qt::NonModal);
    designProgress_->setAutoClose(false);
    designProgress_->setAutoReset(false);
    // Short designs finish before a dialog would be worth showing.
    designProgress_->setMinimumDuration(400);
    connect(designProgress_, &QProgressDialog::canceled, this, [this] { designRunner_->Cancel(); });
  }
  designProgress_->setRange(0, total);
  designProgress_->setValue(0);
  designProgress_->setLabelText(QString("Running the design: 0 of %1 conditions done").arg(total));
  designRunner_->Start(options);
}

void TParForm::DesignProgress(int done, int total) {
  if (!designProgress_) return;
  designProgress_->setLabelText(QString("Running the design: %1 of %2 conditions done").arg(done).arg(total));
  designProgress_->setValue(done);
}

void TParForm::DesignFinished(const DesignResult& result) {
  DesignStopped();
  if (!designResults_) {
    designResults_ = new DesignResultsWindow(this);
    // First shown below the main window, kept on the screen; later the user
    // places it.
    const QRect main = frameGeometry();
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect room = shown ? shown->availableGeometry() : QRect();
    QPoint place(main.left(), main.bottom() + 1);
    if (!room.isNull()) {
      const QSize size = designResults_->frameGeometry().size().boundedTo(room.size());
      designResults_->resize(designResults_->size().boundedTo(room.size()));
      place.setX(std::clamp(place.x(), room.left(), room.right() - size.width() + 1));
      place.setY(std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() - size.height() + 1)));
    }
    designResults_->move(place);
  }
  designResults_->SetResult(result);
  designResults_->show();
  designResults_->raise();
  designResults_->activateWindow();
}

void TParForm::DesignStopped() {
  if (designProgress_) {
    // Blocked: closing the dialog must not count as the user's cancel.
    const QSignalBlocker blocker(designProgress_);
    designProgress_->reset();
    designProgress_->hide();
  }
  RunDesignButton->setEnabled(true);
}
