#include "parameter_panel.h"

#include "int_text.h"

namespace davrel3 {
namespace {

constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "NrofAg", "NrofSkills", "InhPar",     "ExcPar",      "ExpRate", "MotRate",   "LearnInt", "MotMax",
    "MotThresh", "Bore",    "Rest",       "Fair",        "ExpMax",  "ExpThresh", "LearnSpeed",
    "ForgetSpeed", "Cycle", "Action",     "Var",         "NrOfTasks", "Dur",     "EntTurnAgent"};

constexpr std::array<FieldLayout, kFieldCount> kLayout = {{
    {"2", 2},     // NrofAg
    {"2", 2},     // NrofSkills
    {"1", 1},     // InhPar
    {"1", 1},     // ExcPar
    {"0", 0},     // ExpRate
    {"0", 0},     // MotRate (no up-down)
    {"0", 0},     // LearnInt
    {"0", 0},     // MotMax
    {"0", 0},     // MotThresh
    {"100", 100}, // Bore
    {"100", 100}, // Rest
    {"0", 0},     // Fair
    {"0", 0},     // ExpMax
    {"0", 0},     // ExpThresh
    {"0", 0},     // LearnSpeed
    {"0", 0},     // ForgetSpeed
    {"0", 0},     // Cycle
    {"0", 0},     // Action
    {"0", 0},     // Var
    {"0", 0},     // NrOfTasks
    {"0", 0},     // Dur
    {"", 0},      // EntTurnAgent (no up-down)
}};

constexpr std::array<std::string_view, kChoiceCount> kChoiceNames = {"FitNoFit", "Newcomer", "HiLo"};
const std::array<std::array<std::string_view, 3>, kChoiceCount> kChoiceItems = {{
    {"No Fit", "Fit", ""},
    {"None", "Specialist", "Generalist"},
    {"Low", "Mod", "High"},
}};

}  // namespace

std::string_view FieldName(Field field) { return kFieldNames[static_cast<int>(field)]; }

std::optional<Field> FieldFromName(std::string_view name) {
  for (int i = 0; i < kFieldCount; ++i) {
    if (kFieldNames[i] == name) return static_cast<Field>(i);
  }
  return std::nullopt;
}

std::string_view ChoiceName(Choice choice) { return kChoiceNames[static_cast<int>(choice)]; }

const std::array<std::string_view, 3>& ChoiceItems(Choice choice) {
  return kChoiceItems[static_cast<int>(choice)];
}

int ChoiceItemCount(Choice choice) { return choice == Choice::FitNoFit ? 2 : 3; }

FieldLayout LayoutDefault(Field field) { return kLayout[static_cast<int>(field)]; }

int ParameterPanel::Read(Field field) const { return StrToInt(Text(field)); }

void ParameterPanel::Write(Field field, int value) {
  SetText(field, IntToStr(value));
  SetPosition(field, value);
}

InMemoryPanel::InMemoryPanel() {
  for (int i = 0; i < kFieldCount; ++i) {
    texts_[i] = kLayout[i].text;
    positions_[i] = kLayout[i].position;
  }
  // Layout defaults of the "Newcomers" tab: No Fit, Specialist, Low.
  items_ = {0, 1, 0};
}

std::string InMemoryPanel::Text(Field field) const { return texts_[static_cast<int>(field)]; }

void InMemoryPanel::SetText(Field field, const std::string& text) { texts_[static_cast<int>(field)] = text; }

void InMemoryPanel::SetPosition(Field field, int position) { positions_[static_cast<int>(field)] = position; }

int InMemoryPanel::Position(Field field) const { return positions_[static_cast<int>(field)]; }

int InMemoryPanel::ItemIndex(Choice choice) const { return items_[static_cast<int>(choice)]; }

void InMemoryPanel::SetItemIndex(Choice choice, int index) { items_[static_cast<int>(choice)] = index; }

}  // namespace davrel3
