#include "DV3Newcomer2009Agent.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyle>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

#include "model/int_text.h"
#include "model/measures.h"
#include "presets/workbench.h"
#include "up_down.h"
#include "window_style.h"

namespace {

constexpr const char* kHeadings[] = {"skill", "choice", "mot.", "exp.", "loser", "I", "You", "Present"};

}  // namespace

TFrame1::TFrame1(QWidget* parent) : QFrame(parent) {
  Label22 = new QLabel("agent", this);
  Label22->setObjectName("Label22");
  AgentEdit = new QLineEdit("1", this);
  AgentEdit->setObjectName("AgentEdit");
  // Wide enough for three digits: agents go up to 100.
  AgentEdit->setFixedWidth(window_style::EditWidthForDigits(AgentEdit, 3, 25));
  AgentEditUpDown = new UpDown(AgentEdit, 1, 5, 1, this);
  AgentEditUpDown->setObjectName("AgentEditUpDown");

  // Row 0 and column 0 are the grid's header sections: the headings and the
  // skill numbers stay in view while a long list of skills scrolls.
  model_ = new TextGridModel(TextGridModel::Headings::AsHeaders, this);
  model_->SetGrid(&cells_);
  model_->SetEditable(true);
  AgentGrid = new StringGridView(model_, kColumnWidth, kRowHeight, this);
  AgentGrid->setObjectName("AgentGrid");
  AgentGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  AgentGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // The corner shows the heading of the skill numbers.
  cornerHeading_ = new QLabel(QString::fromLatin1(kHeadings[0]), AgentGrid);
  cornerHeading_->setObjectName("SkillHeading");
  cornerHeading_->setAlignment(Qt::AlignCenter);
  cornerHeading_->setFont(AgentGrid->font());
  cornerHeading_->setAttribute(Qt::WA_TransparentForMouseEvents);
  SetColumnWidths();
  // Every column in view beside room for the vertical scroll bar, so the bar
  // never covers the last column.
  const int scrollBar = AgentGrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, AgentGrid);
  int gridWidth = AgentGrid->verticalHeader()->width() + 2 * AgentGrid->frameWidth() + scrollBar;
  for (int c = 0; c < kColumns - 2; ++c) gridWidth += AgentGrid->columnWidth(c);
  AgentGrid->setFixedWidth(gridWidth);
  AgentGrid->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  // The grid is a display: a click selects cells to copy and changes nothing.
  AgentGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);

  auto* top = new QHBoxLayout;
  top->setContentsMargins(0, 0, 0, 0);
  top->setSpacing(0);
  top->addStretch(1);
  top->addWidget(Label22);
  top->addSpacing(6);
  top->addWidget(AgentEdit);
  top->addWidget(AgentEditUpDown);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(3, 8, 0, 0);
  layout->setSpacing(5);
  layout->addLayout(top);
  layout->addWidget(AgentGrid, 1);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  SetGridHeight(5);
}

void TFrame1::SetColumnWidths() {
  // Every heading in full: a column is widened where its heading needs more
  // than the usual 36 pixels. Column 8 has no heading and is never written.
  const QFontMetrics metrics(AgentGrid->horizontalHeader()->font());
  for (int c = 1; c < kColumns - 1; ++c) {
    const int needed = metrics.horizontalAdvance(QString::fromLatin1(kHeadings[c])) + 8;
    AgentGrid->setColumnWidth(c - 1, std::max(kColumnWidth, needed));
  }
  AgentGrid->setColumnHidden(kColumns - 2, true);
}

void TFrame1::SetGridHeight(int rows) {
  // Tall enough for the heading row and up to five skills; taller frames
  // show more rows, and a scroll bar reaches the others.
  const int frame = 2 * AgentGrid->frameWidth();
  const int heading = AgentGrid->horizontalHeader()->height();
  AgentGrid->setMinimumHeight(frame + heading + std::min(rows, 5) * kRowHeight);
  AgentGrid->setMaximumHeight(frame + heading + std::max(rows, 1) * kRowHeight);
  cornerHeading_->setGeometry(AgentGrid->frameWidth(), AgentGrid->frameWidth(), AgentGrid->verticalHeader()->width(),
                              heading);
  cornerHeading_->raise();
}

void TFrame1::contextMenuEvent(QContextMenuEvent* event) {
  // Around the grid: the frame offers the grid's texts too.
  QMenu menu(this);
  AgentGrid->AddExportActions(&menu, QStringLiteral("Agent%1").arg(AgentEdit->text().trimmed()));
  menu.exec(event->globalPos());
}

void TFrame1::Attach(davrel3::Workbench* bench, std::function<void(const QString&)> showMessage,
                     std::function<void()> setSystem) {
  bench_ = bench;
  showMessage_ = std::move(showMessage);
  setSystem_ = std::move(setSystem);
}

QString TFrame1::Cell(int column, int row) const { return QString::fromStdString(cells_.Cell(column, row)); }

void TFrame1::WriteCell(int column, int row, const QString& text) {
  cells_.SetCell(column, row, text.toStdString());
  model_->CellWritten(column, row);
}

void TFrame1::MakeGrid(int n) {
  if (bench_) AgentEditUpDown->SetMax(bench_->State().System.NrOfAgents);
  for (int r = 1; r <= n; ++r) cells_.SetCell(0, r, davrel3::IntToStr(r));
  cells_.SetRowCount(n + 1);
  for (int c = 0; c < 8; ++c) cells_.SetCell(c, 0, kHeadings[c]);
  model_->Rebuilt();
  // A new model layout forgets the section widths.
  SetColumnWidths();
  SetGridHeight(n);
}

QString TFrame1::ChoiceText(bool chosen) { return chosen ? QStringLiteral("I ") : QStringLiteral("You"); }

QString TFrame1::YesNoText(bool flag) { return flag ? QStringLiteral("Yes") : QStringLiteral("No"); }

void TFrame1::ShowAgent(int k) {
  if (!bench_) return;
  const davrel3::TSystem& system = bench_->State().System;
  if (k < 1 || k > system.NrOfAgents || k > static_cast<int>(system.Agents.size())) return;
  AgentEditUpDown->SetPosition(k);
  AgentEdit->setText(QString::number(k));
  const davrel3::TAgent& agent = system.Agents[k - 1];
  for (int i = 0; i < agent.NrOfSkills && i < static_cast<int>(agent.Skills.size()); ++i) {
    ShowSkillRow(i + 1, agent.Skills[i], agent.Present);
  }
}

void TFrame1::ShowSkillRow(int row, const davrel3::TSkill& skill, bool present) {
  auto hundredths = [](double value) { return QString::fromStdString(davrel3::FormatHundredths(value)); };
  WriteCell(1, row, ChoiceText(skill.Chosen));
  WriteCell(2, row, hundredths(skill.Motivation));
  WriteCell(3, row, hundredths(skill.Expertise));
  WriteCell(4, row, YesNoText(skill.Loser));
  WriteCell(5, row, hundredths(skill.IValue));
  WriteCell(6, row, hundredths(skill.YouValue));
  WriteCell(7, row, YesNoText(present));
}

bool TFrame1::ShowsExistingAgent() const {
  if (!bench_) return false;
  const davrel3::TSystem& system = bench_->State().System;
  return AgentNr >= 1 && AgentNr <= system.NrOfAgents && AgentNr <= static_cast<int>(system.Agents.size());
}

void TFrame1::AgentEditUpDownClick() {
  AgentNr = davrel3::StrToInt(AgentEdit->text().toStdString());
  ShowAgent(AgentNr);
}

void TFrame1::AgentGridClick() {
  StoreGridValues(AgentNr);
  if (setSystem_) setSystem_();
}

void TFrame1::StoreGridValues(int k) {
  if (!bench_) return;
  auto& agents = bench_->State().System.Agents;
  if (k < 1 || k > static_cast<int>(agents.size())) return;
  davrel3::TAgent& agent = agents[k - 1];
  for (int r = 1; r <= agent.NrOfSkills && r <= static_cast<int>(agent.Skills.size()); ++r) {
    davrel3::TSkill& skill = agent.Skills[r - 1];
    // The cells are read as values on the model's own scale and checked
    // against the skill's maxima, as typed.
    const int motivation = davrel3::StrToInt(cells_.Cell(2, r));
    if (motivation > skill.MotMax) {
      if (showMessage_) showMessage_("Maximum is 100");
      continue;
    }
    const int expertise = davrel3::StrToInt(cells_.Cell(3, r));
    if (expertise > skill.ExpMax) {
      if (showMessage_) showMessage_("Maximum is 100");
      continue;
    }
    skill.Motivation = motivation;
    skill.Expertise = expertise;
  }
}
