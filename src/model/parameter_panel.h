// The parameter panel: where the parameters live. Every parameter is the text
// of an edit (with the position of its up-down) or the index of a radio group,
// converted at the moment an operation reads it. The main window implements
// the panel over its real widgets; InMemoryPanel serves the headless runner
// and the tests.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace davrel3 {

enum class Field {
  NrofAg,
  NrofSkills,
  InhPar,
  ExcPar,
  ExpRate,
  MotRate,
  LearnInt,
  MotMax,
  MotThresh,
  Bore,
  Rest,
  Fair,
  ExpMax,
  ExpThresh,
  LearnSpeed,
  ForgetSpeed,
  Cycle,
  Action,
  Var,
  NrOfTasks,
  Dur,
  EntTurnAgent,
};
inline constexpr int kFieldCount = 22;

enum class Choice { FitNoFit, Newcomer, HiLo };
inline constexpr int kChoiceCount = 3;

// The field's name as the parameter set calls it ("NrofAg", "ExpMax", ...).
std::string_view FieldName(Field field);
std::optional<Field> FieldFromName(std::string_view name);
std::string_view ChoiceName(Choice choice);
// The captions of a radio group's items, in item order.
const std::array<std::string_view, 3>& ChoiceItems(Choice choice);
int ChoiceItemCount(Choice choice);

class ParameterPanel {
 public:
  virtual ~ParameterPanel() = default;

  virtual std::string Text(Field field) const = 0;
  // Writes the edit's text only; the up-down keeps its position.
  virtual void SetText(Field field, const std::string& text) = 0;
  // Moves the up-down only; the edit's text is not rewritten.
  virtual void SetPosition(Field field, int position) = 0;
  virtual int Position(Field field) const = 0;

  virtual int ItemIndex(Choice choice) const = 0;
  virtual void SetItemIndex(Choice choice, int index) = 0;

  // The entrance-time edit: locked by every commit.
  virtual void SetEntranceEditEnabled(bool enabled) = 0;
  virtual void SetEntrancePanelVisible(bool visible) = 0;

  // The field converted to a whole number; throws ConversionError.
  int Read(Field field) const;
  // A preset's write: the edit's text and its up-down's position.
  void Write(Field field, int value);
};

// A panel held in memory, starting from the main window's layout values.
class InMemoryPanel : public ParameterPanel {
 public:
  InMemoryPanel();

  std::string Text(Field field) const override;
  void SetText(Field field, const std::string& text) override;
  void SetPosition(Field field, int position) override;
  int Position(Field field) const override;
  int ItemIndex(Choice choice) const override;
  void SetItemIndex(Choice choice, int index) override;
  void SetEntranceEditEnabled(bool enabled) override { entranceEnabled_ = enabled; }
  void SetEntrancePanelVisible(bool visible) override { entranceVisible_ = visible; }

  bool EntranceEditEnabled() const { return entranceEnabled_; }
  bool EntrancePanelVisible() const { return entranceVisible_; }

 private:
  std::array<std::string, kFieldCount> texts_;
  std::array<int, kFieldCount> positions_{};
  std::array<int, kChoiceCount> items_{};
  bool entranceEnabled_ = true;
  bool entranceVisible_ = false;
};

// The layout's default text and up-down position of a field.
struct FieldLayout {
  const char* text;
  int position;
};
FieldLayout LayoutDefault(Field field);

}  // namespace davrel3
