// LevelTableModel: a davrel3::LevelTable as an editable Qt table, one row per
// agent and two columns per skill, its expertise and then its motivation.
// Cells show the shortest text that reads back to the same number, and take
// a decimal number with a point; any other text is refused with a message
// (Refused) and the cell keeps its value. Expertise at or below the
// threshold is drawn grey: allocation never admits such a skill.
#pragma once

#include <QAbstractTableModel>

#include "experiment/skill_levels.h"

class LevelTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit LevelTableModel(QObject* parent = nullptr);

  const davrel3::LevelTable& Table() const { return table_; }
  // Replaces the whole table (a new group, or levels read from the agents).
  void SetTable(const davrel3::LevelTable& table);
  // Expertise at or below this value is drawn grey.
  void SetExpertiseThreshold(double threshold);
  // Tells the views that every cell may have changed.
  void CellsChanged();
  davrel3::LevelTable& MutableTable() { return table_; }

  // The cell a model index stands for, and back.
  davrel3::LevelCell CellAt(const QModelIndex& index) const;
  QModelIndex IndexOf(const davrel3::LevelCell& cell) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 signals:
  // A typed text was not a number; the cell kept its value.
  void Refused(const QString& message);
  // A cell took a typed value.
  void CellEdited(const davrel3::LevelCell& cell);

 private:
  davrel3::LevelTable table_;
  double threshold_ = 0;
};
