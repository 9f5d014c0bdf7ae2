// The parameter panel over the main window's real widgets: each field is the
// text of its QLineEdit and the position of its UpDown, each choice the item
// index of its RadioGroup. There is no other copy of the parameters, so what
// the model reads is always what the user sees.
//
// The widgets belong to the window; the panel only holds pointers to them and
// must be bound (every field, choice and the entrance controls) before the
// workbench reads it.
#pragma once

#include <array>

#include "model/parameter_panel.h"

class QLineEdit;
class QWidget;
class RadioGroup;
class UpDown;

class WidgetPanel : public davrel3::ParameterPanel {
 public:
  // upDown may be null for a field without arrows.
  void BindField(davrel3::Field field, QLineEdit* edit, UpDown* upDown);
  void BindChoice(davrel3::Choice choice, RadioGroup* group);
  // The panel that holds the entrance-time edit, and that edit.
  void BindEntrance(QWidget* panel, QLineEdit* edit);

  QLineEdit* Edit(davrel3::Field field) const { return edits_[static_cast<int>(field)]; }
  UpDown* UpDownOf(davrel3::Field field) const { return upDowns_[static_cast<int>(field)]; }

  std::string Text(davrel3::Field field) const override;
  void SetText(davrel3::Field field, const std::string& text) override;
  void SetPosition(davrel3::Field field, int position) override;
  int Position(davrel3::Field field) const override;
  int ItemIndex(davrel3::Choice choice) const override;
  void SetItemIndex(davrel3::Choice choice, int index) override;
  void SetEntranceEditEnabled(bool enabled) override;
  void SetEntrancePanelVisible(bool visible) override;

 private:
  std::array<QLineEdit*, davrel3::kFieldCount> edits_{};
  std::array<UpDown*, davrel3::kFieldCount> upDowns_{};
  std::array<RadioGroup*, davrel3::kChoiceCount> groups_{};
  QWidget* entrancePanel_ = nullptr;
  QLineEdit* entranceEdit_ = nullptr;
};
