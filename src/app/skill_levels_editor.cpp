#include "skill_levels_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <set>

#include "data_export.h"
#include "experiment/agents_without_work.h"
#include "experiment/level_file.h"
#include "level_table_model.h"

using davrel3::LevelCell;
using davrel3::LevelKind;
using davrel3::LevelsSource;

namespace {

const QStringList kLevelFileFilters = {"Level files (*.csv)", "All files (*)"};

// Ctrl+C and Ctrl+V on the table reach the editor before the view's own
// handling (which would copy one cell only).
class ClipboardKeys : public QObject {
 public:
  ClipboardKeys(SkillLevelsEditor* editor) : QObject(editor), editor_(editor) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->matches(QKeySequence::Copy)) {
        data_export::CopyText(editor_->CopyText());
        return true;
      }
      if (key->matches(QKeySequence::Paste)) {
        editor_->Paste(QApplication::clipboard()->text());
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  SkillLevelsEditor* editor_;
};

QString KindName(LevelKind kind) { return kind == LevelKind::Expertise ? "expertise" : "motivation"; }

QString Number(double value) { return QString::fromStdString(davrel3::LevelText(value)); }

}  // namespace

SkillLevelsEditor::SkillLevelsEditor(davrel3::Workbench& bench, QWidget* parent)
    : QDialog(parent), bench_(bench), model_(new LevelTableModel(this)) {
  setObjectName("SkillLevelsEditor");
  setWindowTitle("Skill levels");
  setSizeGripEnabled(true);

  groupLabel_ = new QLabel(this);
  groupLabel_->setObjectName("GroupLabel");
  groupLabel_->setWordWrap(true);

  view_ = new QTableView(this);
  view_->setObjectName("LevelTable");
  view_->setModel(model_);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  view_->horizontalHeader()->setDefaultSectionSize(std::max(52, view_->fontMetrics().horizontalAdvance("000.00") + 14));
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 8);
  view_->installEventFilter(new ClipboardKeys(this));
  connect(model_, &LevelTableModel::Refused, this, [this](const QString& message) { Say(message, true); });
  connect(model_, &LevelTableModel::CellEdited, this, [this](const LevelCell& cell) {
    WriteToAgents({cell}, {"editor", {}, {}}, QString("Agent %1, skill %2: %3 set to %4")
                                          .arg(cell.Agent)
                                          .arg(cell.Skill)
                                          .arg(KindName(cell.Kind))
                                          .arg(Number(davrel3::LevelAt(Table(), cell.Kind, cell.Agent,
                                                                       cell.Skill))));
  });

  auto* fills = new QGroupBox("Fill the selected cells (every cell when none is selected)", this);
  auto* grid = new QGridLayout(fills);
  valueEdit_ = new QLineEdit(fills);
  valueEdit_->setObjectName("FillValueEdit");
  valueEdit_->setPlaceholderText("e.g. 15.5");
  valueEdit_->setMaximumWidth(110);
  auto* valueButton = new QPushButton("Set to value", fills);
  valueButton->setObjectName("FillValueButton");
  connect(valueButton, &QPushButton::clicked, this, [this] { FillValue(valueEdit_->text()); });
  connect(valueEdit_, &QLineEdit::returnPressed, this, [this] { FillValue(valueEdit_->text()); });
  auto* rotationButton = new QPushButton("Rotation: 14 + ((a + s - 2) mod 5)", fills);
  rotationButton->setObjectName("FillRotationButton");
  rotationButton->setToolTip("Agent a, skill s gets 14 + ((a + s - 2) mod 5), as davrel3-batch --levels rotation");
  connect(rotationButton, &QPushButton::clicked, this, [this] { FillRotation(); });
  profileBox_ = new QComboBox(fills);
  profileBox_->setObjectName("ProfileBox");
  for (const auto& offer : davrel3::ProfileOffers()) {
    QStringList users;
    for (const auto& user : offer.UsedBy) users << QString::fromStdString(user);
    const QString name = QString::fromStdString(offer.Name);
    profileBox_->addItem(users.isEmpty() ? name : QString("%1 (%2)").arg(name, users.join(", ")), name);
  }
  auto* profileButton = new QPushButton("Fill from profile", fills);
  profileButton->setObjectName("FillProfileButton");
  profileButton->setToolTip("The profile's levels; 0 for agents and skills the profile does not list");
  connect(profileButton, &QPushButton::clicked, this,
          [this] { FillProfile(profileBox_->currentData().toString()); });
  copySource_ = new QSpinBox(fills);
  copySource_->setObjectName("CopySourceBox");
  copySource_->setRange(1, 1);
  copySource_->setMaximumWidth(110);
  auto* copyButton = new QPushButton("Copy onto the selected agents", fills);
  copyButton->setObjectName("CopyAgentButton");
  copyButton->setToolTip("Every skill's expertise and motivation of the agent chosen, onto each agent with a "
                         "selected cell");
  connect(copyButton, &QPushButton::clicked, this, [this] { CopyAgent(copySource_->value()); });

  grid->addWidget(new QLabel("Value", fills), 0, 0);
  grid->addWidget(valueEdit_, 0, 1);
  grid->addWidget(valueButton, 0, 2);
  grid->addWidget(rotationButton, 0, 3);
  grid->addWidget(new QLabel("Profile", fills), 1, 0);
  grid->addWidget(profileBox_, 1, 1, 1, 2);
  grid->addWidget(profileButton, 1, 3, Qt::AlignLeft);
  grid->addWidget(new QLabel("Copy agent", fills), 2, 0);
  grid->addWidget(copySource_, 2, 1);
  grid->addWidget(copyButton, 2, 2, 1, 2, Qt::AlignLeft);
  grid->setColumnStretch(4, 1);

  auto* files = new QHBoxLayout;
  auto* openButton = new QPushButton("Open level file...", this);
  openButton->setObjectName("OpenLevelFileButton");
  openButton->setToolTip("Reads agent,skill,expertise,motivation rows; agents and skills not listed keep their levels");
  connect(openButton, &QPushButton::clicked, this, [this] {
    QFileDialog dialog(this, "Open level file");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(kLevelFileFilters);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      OpenLevelFile(dialog.selectedFiles().first());
    }
  });
  auto* saveButton = new QPushButton("Save level file...", this);
  saveButton->setObjectName("SaveLevelFileButton");
  saveButton->setToolTip("Writes every agent and skill as davrel3-batch --levels FILE reads them");
  connect(saveButton, &QPushButton::clicked, this, [this] {
    const QString path = data_export::AskSavePath(this, "Save level file", "levels.csv", kLevelFileFilters);
    if (!path.isEmpty() && !SaveLevelFile(path)) data_export::ReportSaveError(this, note_->text());
  });
  auto* closeButton = new QPushButton("Close", this);
  closeButton->setObjectName("CloseButton");
  closeButton->setAutoDefault(false);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
  for (QPushButton* button : {valueButton, rotationButton, profileButton, copyButton, openButton, saveButton}) {
    button->setAutoDefault(false);
  }
  files->addWidget(openButton);
  files->addWidget(saveButton);
  files->addStretch(1);
  files->addWidget(closeButton);

  note_ = new QLabel(this);
  note_->setObjectName("NoteLabel");
  note_->setWordWrap(true);
  note_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(groupLabel_);
  layout->addWidget(view_, 1);
  layout->addWidget(fills);
  layout->addWidget(note_);
  layout->addLayout(files);
  resize(900, 600);
  ShowHeldLevels();
}

const davrel3::LevelTable& SkillLevelsEditor::Table() const { return model_->Table(); }

void SkillLevelsEditor::ShowHeldLevels() {
  const davrel3::TSystem& system = bench_.State().System;
  const int agents = std::min(system.NrOfAgents, static_cast<int>(system.Agents.size()));
  const int skills = davrel3::CommittedSkills(system);
  model_->SetTable(davrel3::FitLevels(davrel3::HeldLevels(system), agents, skills));
  double threshold = 0;
  if (!system.Agents.empty() && !system.Agents[0].Skills.empty()) threshold = system.Agents[0].Skills[0].ExpThresh;
  model_->SetExpertiseThreshold(threshold);
  copySource_->setRange(1, std::max(1, agents));
  const int profile = profileBox_->findData(QString::fromStdString(bench_.LevelsProfile()));
  if (profile >= 0) profileBox_->setCurrentIndex(profile);
  UpdateCaption();
}

void SkillLevelsEditor::UpdateCaption() {
  const auto& table = Table();
  groupLabel_->setText(QString("Agents 1 to %1, skills 1 to %2, as the agents hold them now. A change goes to the "
                               "agents at once and the next commit keeps it; Define, Default and the "
                               "configurations set their own profile.")
                           .arg(table.Agents)
                           .arg(table.Skills));
}

void SkillLevelsEditor::Say(const QString& text, bool problem) {
  note_->setText(text);
  note_->setStyleSheet(problem ? "color: #a01010;" : "");
}

std::vector<LevelCell> SkillLevelsEditor::TargetCells() const {
  std::vector<LevelCell> cells;
  const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) {
    for (int row = 0; row < model_->rowCount(); ++row) {
      for (int column = 0; column < model_->columnCount(); ++column) {
        cells.push_back(model_->CellAt(model_->index(row, column)));
      }
    }
    return cells;
  }
  for (const QModelIndex& index : selected) cells.push_back(model_->CellAt(index));
  return cells;
}

bool SkillLevelsEditor::WriteToAgents(const std::vector<LevelCell>& cells, const LevelsSource& source,
                                      const QString& done) {
  davrel3::TSystem& system = bench_.State().System;
  const auto& table = Table();
  const int agents = std::min(system.NrOfAgents, static_cast<int>(system.Agents.size()));
  if (table.Agents != agents || table.Skills != davrel3::CommittedSkills(system)) {
    // The group changed under the table; show what it holds instead.
    ShowHeldLevels();
    Say("The committed group has changed: the table now shows what its agents hold; nothing was set", true);
    return false;
  }
  try {
    // Only the skills written: the others keep what they hold, initial level
    // included, exactly as a level file listing these cells would leave them.
    std::set<std::pair<int, int>> written;
    std::vector<davrel3::LevelEntry> entries;
    for (const LevelCell& cell : cells) {
      if (!written.insert({cell.Agent, cell.Skill}).second) continue;
      entries.push_back({cell.Agent, cell.Skill, davrel3::LevelAt(table, LevelKind::Expertise, cell.Agent, cell.Skill),
                         davrel3::LevelAt(table, LevelKind::Motivation, cell.Agent, cell.Skill), 0});
    }
    davrel3::ApplyLevels(system, entries);
  } catch (const davrel3::LevelsRefused& refusal) {
    ShowHeldLevels();
    Say(QString("Nothing was set: %1").arg(refusal.what()), true);
    return false;
  }
  model_->CellsChanged();
  Say(done);
  emit LevelsSet(source);
  return true;
}

bool SkillLevelsEditor::FillValue(const QString& text) {
  const auto value = davrel3::ParseLevel(text.toStdString());
  if (!value) {
    Say(QString("'%1' is not a number: nothing was set (write decimals with a point)").arg(text.left(24)), true);
    return false;
  }
  const auto cells = TargetCells();
  davrel3::FillLevels(model_->MutableTable(), cells, *value);
  return WriteToAgents(cells, {"editor", {}, {}}, QString("%1 cells set to %2").arg(cells.size()).arg(Number(*value)));
}

bool SkillLevelsEditor::FillRotation() {
  const auto cells = TargetCells();
  davrel3::FillRotation(model_->MutableTable(), cells);
  return WriteToAgents(cells, {"editor", {}, {}}, QString("%1 cells set to 14 + ((a + s - 2) mod 5)").arg(cells.size()));
}

bool SkillLevelsEditor::FillProfile(const QString& profileName) {
  for (const auto& offer : davrel3::ProfileOffers()) {
    if (QString::fromStdString(offer.Name) != profileName) continue;
    const auto cells = TargetCells();
    davrel3::FillFrom(model_->MutableTable(), cells, davrel3::ProfileLevels(offer.Apply));
    return WriteToAgents(cells, {"editor", {}, {}}, QString("%1 cells set from %2").arg(cells.size()).arg(profileName));
  }
  Say(QString("There is no skill profile '%1'").arg(profileName), true);
  return false;
}

bool SkillLevelsEditor::CopyAgent(int from) {
  const auto& table = Table();
  if (from < 1 || from > table.Agents) {
    Say(QString("There is no agent %1 in the group").arg(from), true);
    return false;
  }
  std::set<int> targets;
  for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) targets.insert(index.row() + 1);
  targets.erase(from);
  if (targets.empty()) {
    Say(QString("Select cells of the agents to copy agent %1 onto: nothing was set").arg(from), true);
    return false;
  }
  davrel3::CopyAgentLevels(model_->MutableTable(), from, std::vector<int>(targets.begin(), targets.end()));
  std::vector<int> list(targets.begin(), targets.end());
  std::vector<LevelCell> cells;
  for (int agent : list) {
    for (int s = 1; s <= table.Skills; ++s) cells.push_back({agent, s, LevelKind::Expertise});
  }
  return WriteToAgents(cells, {"editor", {}, {}}, QString("Agent %1 copied onto %2 %3")
                                               .arg(from)
                                               .arg(list.size() == 1 ? "agent" : "agents")
                                               .arg(QString::fromStdString(davrel3::AgentNumberList(list))));
}

bool SkillLevelsEditor::Paste(const QString& text) {
  QStringList lines = text.split('\n');
  while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) lines.removeLast();
  if (lines.isEmpty()) {
    Say("The clipboard holds no numbers to paste", true);
    return false;
  }
  QModelIndex start = view_->currentIndex();
  if (!start.isValid()) start = model_->index(0, 0);
  std::vector<std::pair<QModelIndex, double>> values;
  for (int r = 0; r < lines.size(); ++r) {
    QString line = lines[r];
    if (line.endsWith('\r')) line.chop(1);
    const QStringList cells = line.split('\t');
    for (int c = 0; c < cells.size(); ++c) {
      const QModelIndex index = model_->index(start.row() + r, start.column() + c);
      if (!index.isValid()) {
        Say(QString("The pasted block of %1 rows reaches past the table: nothing was set").arg(lines.size()), true);
        return false;
      }
      const auto value = davrel3::ParseLevel(cells[c].toStdString());
      if (!value) {
        Say(QString("Row %1, cell %2 of the pasted block, '%3', is not a number: nothing was set")
                .arg(r + 1)
                .arg(c + 1)
                .arg(cells[c].left(24)),
            true);
        return false;
      }
      values.emplace_back(index, *value);
    }
  }
  std::vector<LevelCell> cells;
  for (const auto& [index, value] : values) {
    const LevelCell cell = model_->CellAt(index);
    davrel3::SetLevelAt(model_->MutableTable(), cell.Kind, cell.Agent, cell.Skill, value);
    cells.push_back(cell);
  }
  return WriteToAgents(cells, {"editor", {}, {}}, QString("%1 cells pasted").arg(values.size()));
}

QString SkillLevelsEditor::CopyText() const {
  int top = 0, left = 0, bottom = model_->rowCount() - 1, right = model_->columnCount() - 1;
  const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
  std::set<std::pair<int, int>> chosen;
  if (!selected.isEmpty()) {
    top = left = INT_MAX;
    bottom = right = -1;
    for (const QModelIndex& index : selected) {
      top = std::min(top, index.row());
      bottom = std::max(bottom, index.row());
      left = std::min(left, index.column());
      right = std::max(right, index.column());
      chosen.insert({index.row(), index.column()});
    }
  }
  QString text;
  for (int row = top; row <= bottom; ++row) {
    for (int column = left; column <= right; ++column) {
      if (column > left) text += '\t';
      if (selected.isEmpty() || chosen.count({row, column})) {
        text += model_->data(model_->index(row, column)).toString();
      }
    }
    text += '\n';
  }
  return text;
}

bool SkillLevelsEditor::OpenLevelFile(const QString& path) {
  davrel3::LevelFile file;
  try {
    file = davrel3::ReadLevelFile(path.toStdString());
  } catch (const davrel3::LevelFileError& error) {
    Say(QString("%1: nothing was set").arg(error.what()), true);
    return false;
  }
  const davrel3::TSystem& system = bench_.State().System;
  if (auto problem = davrel3::CheckLevels(system, file.Entries)) {
    Say(QString("The level file %1, %2: nothing was set").arg(QFileInfo(path).fileName(),
                                                               QString::fromStdString(*problem)),
        true);
    return false;
  }
  std::vector<LevelCell> cells;
  for (const auto& entry : file.Entries) {
    davrel3::SetLevelAt(model_->MutableTable(), LevelKind::Expertise, entry.Agent, entry.Skill, entry.Expertise);
    davrel3::SetLevelAt(model_->MutableTable(), LevelKind::Motivation, entry.Agent, entry.Skill, entry.Motivation);
    cells.push_back({entry.Agent, entry.Skill, LevelKind::Expertise});
  }
  return WriteToAgents(cells, {"file", QFileInfo(path).fileName().toStdString(), file.Sha256},
                       QString("%1 levels read from %2").arg(file.Entries.size()).arg(QFileInfo(path).fileName()));
}

bool SkillLevelsEditor::SaveLevelFile(const QString& path) {
  QString error;
  if (!data_export::SaveText(path, QString::fromStdString(davrel3::LevelFileText(Table())), &error)) {
    Say(error, true);
    return false;
  }
  Say(QString("Saved %1").arg(QFileInfo(path).fileName()));
  return true;
}

void SkillLevelsEditor::keyPressEvent(QKeyEvent* event) {
  // Enter in the value edit fills; it must not close the window.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}
