#include "widget_panel.h"

#include <QLineEdit>
#include <stdexcept>

#include "radio_group.h"
#include "up_down.h"

namespace {

template <typename T>
T* Bound(T* widget, std::string_view name) {
  if (!widget) throw std::logic_error("the parameter panel has no control for " + std::string(name));
  return widget;
}

}  // namespace

void WidgetPanel::BindField(davrel3::Field field, QLineEdit* edit, UpDown* upDown) {
  edits_[static_cast<int>(field)] = edit;
  upDowns_[static_cast<int>(field)] = upDown;
}

void WidgetPanel::BindChoice(davrel3::Choice choice, RadioGroup* group) { groups_[static_cast<int>(choice)] = group; }

void WidgetPanel::BindEntrance(QWidget* panel, QLineEdit* edit) {
  entrancePanel_ = panel;
  entranceEdit_ = edit;
}

std::string WidgetPanel::Text(davrel3::Field field) const {
  return Bound(Edit(field), davrel3::FieldName(field))->text().toStdString();
}

void WidgetPanel::SetText(davrel3::Field field, const std::string& text) {
  Bound(Edit(field), davrel3::FieldName(field))->setText(QString::fromStdString(text));
}

void WidgetPanel::SetPosition(davrel3::Field field, int position) {
  // A field without arrows has no position to move.
  if (UpDown* upDown = UpDownOf(field)) upDown->SetPosition(position);
}

int WidgetPanel::Position(davrel3::Field field) const {
  UpDown* upDown = UpDownOf(field);
  return upDown ? upDown->Position() : 0;
}

int WidgetPanel::ItemIndex(davrel3::Choice choice) const {
  return Bound(groups_[static_cast<int>(choice)], davrel3::ChoiceName(choice))->ItemIndex();
}

void WidgetPanel::SetItemIndex(davrel3::Choice choice, int index) {
  Bound(groups_[static_cast<int>(choice)], davrel3::ChoiceName(choice))->SetItemIndex(index);
}

void WidgetPanel::SetEntranceEditEnabled(bool enabled) {
  Bound(entranceEdit_, "EntTurnAgent")->setEnabled(enabled);
}

void WidgetPanel::SetEntrancePanelVisible(bool visible) {
  Bound(entrancePanel_, "TurnoverPanel")->setVisible(visible);
}
