// A radio group: a captioned box of radio buttons, one per item, of which at
// most one is chosen. ItemIndex is the chosen item's index, -1 for none.
// Choosing an item does nothing by itself; the index is read when a button
// of the window is pressed. Tab reaches the group at its chosen item.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  RadioGroup(const QString& caption, const QStringList& items, int itemIndex, QWidget* parent = nullptr);

  int ItemIndex() const;
  void SetItemIndex(int index);
  int ItemCount() const;

 signals:
  // The chosen item changed, by the user or by SetItemIndex.
  void ItemIndexChanged(int index);

 private:
  void UpdateTabStop();

  QButtonGroup* buttons_;
};
