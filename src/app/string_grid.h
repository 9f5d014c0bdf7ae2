// A string grid shown through Qt's model/view: TextGridModel presents a
// davrel3::TextGrid (cell texts addressed column, row, with row 0 and column 0
// as the fixed heading row and column), and StringGridView is a QTableView
// set up as such a grid: fixed column width and row height, grid lines, no
// selection highlight until the user drags over cells.
//
// Every grid offers its texts: the context menu (and Ctrl+C) copies the whole
// grid, or the selected cells with their headings, tab-separated to the
// clipboard, and "Save
// CSV..." writes the whole grid as a CSV file, heading row and column
// included.
//
// The model never copies the texts: whoever writes the TextGrid tells the
// model afterwards (CellWritten for a single cell, Rebuilt after the counts or
// many cells changed), and the view repaints when the event loop next runs.
// This keeps grids of a thousand cycles cheap.
//
// Two ways to show the headings:
//  - AsHeaders: row 0 and column 0 become the view's header sections, so they
//    stay in place while the body scrolls (the task grid).
//  - AsCells: the headings are ordinary cells drawn in the heading colour
//    (the small agent grids, which show their "skill" corner heading).
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

class QMenu;

#include "model/text_grid.h"

class TextGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum class Headings { AsHeaders, AsCells };

  TextGridModel(Headings headings, QObject* parent = nullptr);

  // The grid shown; it must outlive the model or be replaced first.
  void SetGrid(davrel3::TextGrid* grid);
  davrel3::TextGrid* Grid() const { return grid_; }
  Headings HeadingsShown() const { return headings_; }
  // Body cells may be edited through setData (AsCells only).
  void SetEditable(bool editable) { editable_ = editable; }

  // The counts or many texts changed.
  void Rebuilt();
  // One cell (grid column, grid row) was written.
  void CellWritten(long long column, long long row);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // The grid coordinates of a model index.
  long long GridColumn(const QModelIndex& index) const;
  long long GridRow(const QModelIndex& index) const;

 private:
  int offset() const { return headings_ == Headings::AsHeaders ? 1 : 0; }
  bool IsFixed(long long column, long long row) const {
    return headings_ == Headings::AsCells && (column == 0 || row == 0);
  }

  Headings headings_;
  davrel3::TextGrid* grid_ = nullptr;
  bool editable_ = false;
};

class StringGridView : public QTableView {
  Q_OBJECT

 public:
  StringGridView(TextGridModel* model, int columnWidth, int rowHeight, QWidget* parent = nullptr);

  TextGridModel* GridModel() const { return gridModel_; }
  // The text of a cell as the grid counts cells (heading row and column 0).
  QString CellText(long long column, long long row) const;

  // The texts of the selected cells (the rectangle around them, cells not
  // selected left empty) with the headings of their columns and rows, or the
  // whole grid if none is selected; tab-separated.
  QString CopyText() const;
  void CopyToClipboard() const;
  // The whole grid as CSV; false with the reason in *error if it cannot be written.
  bool SaveCsv(const QString& path, QString* error) const;
  // Adds "Copy" and "Save CSV..." for this grid to a menu: the grid's own
  // context menu, or the menu of a frame that holds a disabled grid.
  // The file name suggested defaults to the grid's object name.
  void AddExportActions(QMenu* menu, const QString& suggestedName = QString());
  // Asks for a file name and saves the grid, reporting a failure.
  void SaveCsvAs(const QString& suggestedName = QString());

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TextGridModel* gridModel_;
};
