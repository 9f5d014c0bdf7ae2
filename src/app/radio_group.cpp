#include "radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int itemIndex, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->setSpacing(2);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_->addButton(button, i);
    layout->addWidget(button);
  }
  layout->addStretch(1);
  SetItemIndex(itemIndex);
  UpdateTabStop();
  connect(buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    UpdateTabStop();
    if (checked) emit ItemIndexChanged(id);
  });
}

void RadioGroup::UpdateTabStop() {
  // Tab lands on the chosen item (the first when none is chosen); the arrow
  // keys move between the items, and a click still focuses any of them.
  QAbstractButton* stop = buttons_->checkedButton();
  if (!stop && !buttons_->buttons().isEmpty()) stop = buttons_->buttons().first();
  for (QAbstractButton* button : buttons_->buttons()) {
    button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

int RadioGroup::ItemIndex() const { return buttons_->checkedId(); }

int RadioGroup::ItemCount() const { return static_cast<int>(buttons_->buttons().size()); }

void RadioGroup::SetItemIndex(int index) {
  if (QAbstractButton* button = buttons_->button(index)) {
    button->setChecked(true);
    return;
  }
  // No item: an exclusive group cannot uncheck its last button directly.
  buttons_->setExclusive(false);
  for (QAbstractButton* button : buttons_->buttons()) button->setChecked(false);
  buttons_->setExclusive(true);
  UpdateTabStop();
}
