#include "level_table_model.h"

#include <QBrush>
#include <QColor>

#include "experiment/level_file.h"

using davrel3::LevelCell;
using davrel3::LevelKind;

LevelTableModel::LevelTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void LevelTableModel::SetTable(const davrel3::LevelTable& table) {
  beginResetModel();
  table_ = table;
  endResetModel();
}

void LevelTableModel::SetExpertiseThreshold(double threshold) {
  threshold_ = threshold;
  CellsChanged();
}

void LevelTableModel::CellsChanged() {
  if (rowCount() == 0 || columnCount() == 0) return;
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

LevelCell LevelTableModel::CellAt(const QModelIndex& index) const {
  return LevelCell{index.row() + 1, index.column() / 2 + 1,
                   index.column() % 2 == 0 ? LevelKind::Expertise : LevelKind::Motivation};
}

QModelIndex LevelTableModel::IndexOf(const LevelCell& cell) const {
  return index(cell.Agent - 1, (cell.Skill - 1) * 2 + (cell.Kind == LevelKind::Expertise ? 0 : 1));
}

int LevelTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : table_.Agents; }

int LevelTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2 * table_.Skills;
}

QVariant LevelTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const LevelCell cell = CellAt(index);
  const double value = davrel3::LevelAt(table_, cell.Kind, cell.Agent, cell.Skill);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(davrel3::LevelText(value));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
      // Motivation columns tinted, so that each skill's pair reads as one.
      if (cell.Kind == LevelKind::Motivation) return QBrush(QColor(238, 243, 250));
      return {};
    case Qt::ForegroundRole:
      if (cell.Kind == LevelKind::Expertise && !(threshold_ < value)) return QBrush(QColor(140, 140, 140));
      return {};
    case Qt::ToolTipRole: {
      QString tip = QString("Agent %1, skill %2: %3 %4")
                        .arg(cell.Agent)
                        .arg(cell.Skill)
                        .arg(cell.Kind == LevelKind::Expertise ? "expertise" : "motivation")
                        .arg(QString::fromStdString(davrel3::LevelText(value)));
      if (cell.Kind == LevelKind::Expertise && !(threshold_ < value)) {
        tip += QString(" (at or below the expertise threshold %1: the agent never chooses this skill)")
                   .arg(QString::fromStdString(davrel3::LevelText(threshold_)));
      }
      return tip;
    }
    default:
      return {};
  }
}

QVariant LevelTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  if (orientation == Qt::Vertical) return QString("Agent %1").arg(section + 1);
  return QString("Skill %1\n%2").arg(section / 2 + 1).arg(section % 2 == 0 ? "exp." : "mot.");
}

Qt::ItemFlags LevelTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool LevelTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  const QString text = value.toString();
  const auto level = davrel3::ParseLevel(text.toStdString());
  const LevelCell cell = CellAt(index);
  if (!level) {
    emit Refused(QString("'%1' is not a number: agent %2, skill %3 keeps its %4 (write decimals with a point)")
                     .arg(text.left(24))
                     .arg(cell.Agent)
                     .arg(cell.Skill)
                     .arg(cell.Kind == LevelKind::Expertise ? "expertise" : "motivation"));
    return false;
  }
  davrel3::SetLevelAt(table_, cell.Kind, cell.Agent, cell.Skill, *level);
  emit dataChanged(index, index);
  emit CellEdited(cell);
  return true;
}
