#include "string_grid.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <climits>

#include "data_export.h"

namespace {

// Narrow columns (30 pixels) must still show texts such as "123/4": draw the
// text centred with a one-pixel margin instead of the style's wider padding,
// clipped at the cell rather than elided.
class CompactCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    // Cells the user selected for copying are highlighted; the current cell
    // gets no focus frame, which would crowd a narrow cell.
    const bool selected = opt.state & QStyle::State_Selected;
    opt.state &= ~QStyle::State_HasFocus;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    painter->save();
    painter->setClipRect(opt.rect);
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(opt.rect.adjusted(1, 0, -1, 0), Qt::AlignCenter, text);
    painter->restore();
  }
};

}  // namespace

TextGridModel::TextGridModel(Headings headings, QObject* parent) : QAbstractTableModel(parent), headings_(headings) {}

void TextGridModel::SetGrid(davrel3::TextGrid* grid) {
  beginResetModel();
  grid_ = grid;
  endResetModel();
}

void TextGridModel::Rebuilt() {
  beginResetModel();
  endResetModel();
}

void TextGridModel::CellWritten(long long column, long long row) {
  if (!grid_) return;
  const long long r = row - offset();
  const long long c = column - offset();
  if (headings_ == Headings::AsHeaders && (row == 0 || column == 0)) {
    if (row == 0 && c >= 0 && c < columnCount()) emit headerDataChanged(Qt::Horizontal, int(c), int(c));
    if (column == 0 && r >= 0 && r < rowCount()) emit headerDataChanged(Qt::Vertical, int(r), int(r));
    return;
  }
  if (r < 0 || c < 0 || r >= rowCount() || c >= columnCount()) return;
  const QModelIndex cell = index(int(r), int(c));
  emit dataChanged(cell, cell, {Qt::DisplayRole});
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !grid_) return 0;
  return std::max(0, grid_->RowCount() - offset());
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || !grid_) return 0;
  return std::max(0, grid_->ColumnCount() - offset());
}

long long TextGridModel::GridColumn(const QModelIndex& index) const { return index.column() + offset(); }
long long TextGridModel::GridRow(const QModelIndex& index) const { return index.row() + offset(); }

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
  if (!grid_ || !index.isValid()) return {};
  const long long column = GridColumn(index);
  const long long row = GridRow(index);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(grid_->Cell(column, row));
    case Qt::BackgroundRole:
      if (IsFixed(column, row)) return QApplication::palette().color(QPalette::Button);
      return {};
    default:
      return {};
  }
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (!grid_ || role != Qt::DisplayRole) return {};
  if (headings_ == Headings::AsCells) return {};
  if (orientation == Qt::Horizontal) return QString::fromStdString(grid_->Cell(section + 1, 0));
  return QString::fromStdString(grid_->Cell(0, section + 1));
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (editable_ && !IsFixed(GridColumn(index), GridRow(index))) result |= Qt::ItemIsEditable;
  return result;
}

bool TextGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!grid_ || !index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
  grid_->SetCell(GridColumn(index), GridRow(index), value.toString().toStdString());
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

StringGridView::StringGridView(TextGridModel* model, int columnWidth, int rowHeight, QWidget* parent)
    : QTableView(parent), gridModel_(model) {
  setModel(model);
  // Narrow fixed columns: a condensed face fits texts such as "123/4".
  QFont cellFont("DejaVu Sans Condensed");
  cellFont.setPixelSize(11);
  setFont(cellFont);
  setItemDelegate(new CompactCellDelegate(this));
  setShowGrid(true);
  setWordWrap(false);
  // A rectangle of cells may be selected to copy just those.
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(8);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setDefaultAlignment(Qt::AlignCenter);
  }
  horizontalHeader()->setDefaultSectionSize(columnWidth);
  verticalHeader()->setDefaultSectionSize(rowHeight);
  if (model->HeadingsShown() == TextGridModel::Headings::AsHeaders) {
    horizontalHeader()->setFixedHeight(rowHeight);
    verticalHeader()->setFixedWidth(columnWidth);
  } else {
    horizontalHeader()->hide();
    verticalHeader()->hide();
  }
}

QString StringGridView::CellText(long long column, long long row) const {
  const davrel3::TextGrid* grid = gridModel_->Grid();
  return grid ? QString::fromStdString(grid->Cell(column, row)) : QString();
}

QString StringGridView::CopyText() const {
  const QModelIndexList selected = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
  if (selected.isEmpty()) return data_export::GridText(*model(), QLatin1Char('\t'));
  int top = INT_MAX, left = INT_MAX, bottom = -1, right = -1;
  for (const QModelIndex& index : selected) {
    top = std::min(top, index.row());
    bottom = std::max(bottom, index.row());
    left = std::min(left, index.column());
    right = std::max(right, index.column());
  }
  // The headings of the selected columns and rows come with the cells, so
  // that the pasted block says what its numbers are.
  const davrel3::TextGrid* grid = gridModel_->Grid();
  const long long gridTop = gridModel_->GridRow(model()->index(top, left));
  const long long gridLeft = gridModel_->GridColumn(model()->index(top, left));
  const int headingRow = grid && gridTop > 0 ? 1 : 0;
  const int headingColumn = grid && gridLeft > 0 ? 1 : 0;
  QList<QStringList> rows(bottom - top + 1 + headingRow, QStringList(right - left + 1 + headingColumn, QString()));
  if (headingRow) {
    if (headingColumn) rows[0][0] = QString::fromStdString(grid->Cell(0, 0));
    for (int c = 0; c <= right - left; ++c) {
      rows[0][c + headingColumn] = QString::fromStdString(grid->Cell(gridLeft + c, 0));
    }
  }
  if (headingColumn) {
    for (int r = 0; r <= bottom - top; ++r) {
      rows[r + headingRow][0] = QString::fromStdString(grid->Cell(0, gridTop + r));
    }
  }
  for (const QModelIndex& index : selected) {
    rows[index.row() - top + headingRow][index.column() - left + headingColumn] = index.data().toString();
  }
  return data_export::RowsText(rows, QLatin1Char('\t'));
}

void StringGridView::CopyToClipboard() const { data_export::CopyText(CopyText()); }

bool StringGridView::SaveCsv(const QString& path, QString* error) const {
  return data_export::SaveText(path, data_export::GridText(*model(), QLatin1Char(',')), error);
}

void StringGridView::SaveCsvAs(const QString& suggestedName) {
  QString name = suggestedName.isEmpty() ? objectName() : suggestedName;
  if (name.isEmpty()) name = QStringLiteral("grid");
  const QString path = data_export::AskSavePath(this, tr("Save CSV"), name + QStringLiteral(".csv"),
                                                {tr("CSV table (*.csv)"), tr("All files (*)")});
  if (path.isEmpty()) return;
  QString error;
  if (!SaveCsv(path, &error)) data_export::ReportSaveError(this, error);
}

void StringGridView::AddExportActions(QMenu* menu, const QString& suggestedName) {
  menu->addAction(tr("Copy"), this, &StringGridView::CopyToClipboard);
  menu->addAction(tr("Save CSV..."), this, [this, suggestedName] { SaveCsvAs(suggestedName); });
}

void StringGridView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  AddExportActions(&menu);
  menu.exec(event->globalPos());
}

void StringGridView::keyPressEvent(QKeyEvent* event) {
  // The view's own copy would take the current cell only.
  if (event == QKeySequence::Copy) {
    CopyToClipboard();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}
