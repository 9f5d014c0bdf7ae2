// SkillLevelsEditor: the "Skill levels" window of the main window. A table of
// every agent's expertise and motivation per skill for the committed group,
// edited cell by cell or by selection, with fills: one value, the rotation
// pattern 14 + ((a + s - 2) mod 5), one agent copied onto others, the levels
// of a skill profile, a level file. Ctrl+C copies the selected cells (or all)
// tab-separated, Ctrl+V pastes such a block at the current cell.
//
// What the table holds is what the agents hold: every change is written into
// the workbench's agents at once, as a level file sets them (expertise,
// motivation, and the initial level from the expertise), and the next commit
// keeps it, as it keeps a profile's levels. A change that is refused (a text
// that is not a number, a level file that does not fit the group) changes
// nothing and says why on the editor's note line.
//
// The main window calls ShowHeldLevels after every commit and run, so the
// table shows what the agents then hold.
#pragma once

#include <QDialog>

#include "experiment/levels_source.h"
#include "experiment/skill_levels.h"

Q_DECLARE_METATYPE(davrel3::LevelsSource)

class LevelTableModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

class SkillLevelsEditor : public QDialog {
  Q_OBJECT

 public:
  explicit SkillLevelsEditor(davrel3::Workbench& bench, QWidget* parent = nullptr);

  // Reads the committed group's levels from the agents.
  void ShowHeldLevels();
  const davrel3::LevelTable& Table() const;
  QTableView* View() const { return view_; }
  QLabel* Note() const { return note_; }

  // The commands behind the controls. Fills act on the selected cells, or on
  // every cell when none is selected. Each returns false, with the reason on
  // the note line, when it changes nothing.
  bool FillValue(const QString& text);
  bool FillRotation();
  bool FillProfile(const QString& profileName);
  // Agent `from` onto every agent with a selected cell.
  bool CopyAgent(int from);
  // A tab-separated block (rows of cells), its first cell at the current one.
  bool Paste(const QString& text);
  QString CopyText() const;
  bool OpenLevelFile(const QString& path);
  bool SaveLevelFile(const QString& path);

  // The widgets the commands sit behind, for the window tests.
  QLineEdit* ValueEdit() const { return valueEdit_; }
  QComboBox* ProfileBox() const { return profileBox_; }
  QSpinBox* CopySourceBox() const { return copySource_; }

 signals:
  // The agents now hold the table's levels; `source` says where they came from.
  void LevelsSet(const davrel3::LevelsSource& source);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The selected cells, or every cell.
  std::vector<davrel3::LevelCell> TargetCells() const;
  // Writes the skills of these cells from the table into the agents and
  // tells the window.
  bool WriteToAgents(const std::vector<davrel3::LevelCell>& cells, const davrel3::LevelsSource& source,
                     const QString& done);
  void Say(const QString& text, bool problem = false);
  void UpdateCaption();

  davrel3::Workbench& bench_;
  LevelTableModel* model_;
  QTableView* view_;
  QLabel* groupLabel_;
  QLineEdit* valueEdit_;
  QComboBox* profileBox_;
  QSpinBox* copySource_;
  QLabel* note_;
};
