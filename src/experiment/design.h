// The experimental design: its 18 conditions, each one item of each of the
// three radio groups (fit, newcomer, newcomer's skills), and the words the
// headless runner's options use for those items. Everything that names or
// counts conditions (the sessions, the sweeps, the runner's options and the
// window's design runner) reads this one table.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/parameter_panel.h"

namespace davrel3 {

struct Condition {
  int fit = 0;       // item of FitNoFit: 0 No Fit, 1 Fit
  int newcomer = 0;  // item of Newcomer: 0 None, 1 Specialist, 2 Generalist
  int skills = 0;    // item of HiLo: 0 Low, 1 Mod, 2 High
};

inline constexpr int kDesignConditionCount = 18;

// The conditions in item order: fit varies slowest, skills fastest.
const std::array<Condition, kDesignConditionCount>& DesignConditions();

// The item of `choice` a condition selects.
int ConditionItem(const Condition& condition, Choice choice);

// The option word of an item ("nofit", "fit"; "none", "specialist",
// "generalist"; "low", "mod", "high"); empty for an index out of range.
std::string_view ItemWord(Choice choice, int index);
// The item a word names, if it names one of `choice`.
std::optional<int> ItemFromWord(Choice choice, std::string_view word);
// The words of a group joined with ", " for messages and help texts.
std::string ItemWords(Choice choice);

// The caption of an item as the table's condition columns show it ("No Fit",
// "Specialist", ...); empty for an index out of range.
std::string_view ItemLabel(Choice choice, int index);

// The option that selects a group's item and the table column of its label:
// "fit", "newcomer", "skills".
std::string_view ChoiceOption(Choice choice);
std::optional<Choice> ChoiceFromOption(std::string_view option);

}  // namespace davrel3
