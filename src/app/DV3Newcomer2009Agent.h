// TFrame1: the agent state frame. A small grid with one row per skill of the
// agent shown (choice, motivation, expertise, lost competition, the "I" and
// "You" values, presence) and an up-down that chooses which agent that is.
//
// The main window holds six of them, frame k meant for agent k. The frame
// reads the records of the workbench it is attached to; it writes them only
// from AgentGridClick. Its texts live in its own TextGrid, so cells keep what
// was last written into them until the next ShowAgent.
//
// The grid shows every column; its headings and skill numbers are header
// sections that stay in view, and a vertical scroll bar reaches every skill
// when there are more than the frame's height holds. A click on the grid
// selects cells for Copy and changes nothing: the grid is a display. The
// grid's context menu and the frame's (a right-click around the grid) offer
// "Copy" and "Save CSV...".
//
// The frame does not catch errors: the window wires its events and catches
// whatever a handler throws (ConversionError for a text that is not a whole
// number).
#pragma once

#include <QFrame>
#include <functional>

#include "model/records.h"
#include "model/text_grid.h"
#include "string_grid.h"

class QLabel;
class QLineEdit;
class UpDown;

namespace davrel3 {
class Workbench;
}

class TFrame1 : public QFrame {
  Q_OBJECT

 public:
  // The grid's layout: 9 columns, 5 rows (replaced by MakeGrid); columns
  // whose heading needs more room are wider.
  static constexpr int kColumns = 9;
  static constexpr int kColumnWidth = 36;
  static constexpr int kRowHeight = 24;

  explicit TFrame1(QWidget* parent = nullptr);

  // What the frame needs of its window: the workbench whose agents it shows,
  // a way to show a one-line message, and the window's commit.
  void Attach(davrel3::Workbench* bench, std::function<void(const QString&)> showMessage,
              std::function<void()> setSystem);

  StringGridView* AgentGrid;
  QLineEdit* AgentEdit;
  UpDown* AgentEditUpDown;
  QLabel* Label22;
  // The agent (from 1) last chosen with AgentEditUpDown; 0 until then.
  int AgentNr = 0;

  // Prepares the grid for n skill rows: headings, skill numbers, and the
  // up-down's maximum set to the number of agents. Other cells keep their text.
  void MakeGrid(int n);
  // Fills the grid with agent k's state (k from 1); an agent the group does
  // not have leaves the frame unchanged.
  void ShowAgent(int k);
  void ShowSkillRow(int row, const davrel3::TSkill& skill, bool present);
  static QString ChoiceText(bool chosen);
  static QString YesNoText(bool flag);

  // Event handlers.
  // Runs for the up-down's click, and for Enter or focus loss in AgentEdit.
  void AgentEditUpDownClick();
  // Whether AgentNr names an agent of the group.
  bool ShowsExistingAgent() const;
  void AgentGridClick();
  // Reads the "mot." and "exp." cells of agent k back into its skills.
  void StoreGridValues(int k);

  QString Cell(int column, int row) const;
  int RowCount() const { return cells_.RowCount(); }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void WriteCell(int column, int row, const QString& text);
  // Grid height for `rows` skill rows: at least five in view, at most all.
  void SetGridHeight(int rows);
  void SetColumnWidths();

  davrel3::Workbench* bench_ = nullptr;
  std::function<void(const QString&)> showMessage_;
  std::function<void()> setSystem_;
  davrel3::TextGrid cells_{kColumns, 5};
  TextGridModel* model_;
  QLabel* cornerHeading_ = nullptr;
};
