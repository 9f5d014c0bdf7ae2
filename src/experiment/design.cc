#include "design.h"

namespace davrel3 {
namespace {

constexpr std::array<std::array<std::string_view, 3>, kChoiceCount> kWords = {{
    {"nofit", "fit", ""},
    {"none", "specialist", "generalist"},
    {"low", "mod", "high"},
}};

constexpr std::array<std::string_view, kChoiceCount> kOptions = {"fit", "newcomer", "skills"};

std::array<Condition, kDesignConditionCount> MakeConditions() {
  std::array<Condition, kDesignConditionCount> conditions{};
  int c = 0;
  for (int fit = 0; fit < ChoiceItemCount(Choice::FitNoFit); ++fit) {
    for (int newcomer = 0; newcomer < ChoiceItemCount(Choice::Newcomer); ++newcomer) {
      for (int skills = 0; skills < ChoiceItemCount(Choice::HiLo); ++skills) conditions[c++] = {fit, newcomer, skills};
    }
  }
  return conditions;
}

}  // namespace

const std::array<Condition, kDesignConditionCount>& DesignConditions() {
  static const auto conditions = MakeConditions();
  return conditions;
}

int ConditionItem(const Condition& condition, Choice choice) {
  switch (choice) {
    case Choice::FitNoFit:
      return condition.fit;
    case Choice::Newcomer:
      return condition.newcomer;
    case Choice::HiLo:
      return condition.skills;
  }
  return 0;
}

std::string_view ItemWord(Choice choice, int index) {
  if (index < 0 || index >= ChoiceItemCount(choice)) return {};
  return kWords[static_cast<int>(choice)][index];
}

std::optional<int> ItemFromWord(Choice choice, std::string_view word) {
  for (int i = 0; i < ChoiceItemCount(choice); ++i) {
    if (kWords[static_cast<int>(choice)][i] == word) return i;
  }
  return std::nullopt;
}

std::string ItemWords(Choice choice) {
  std::string words;
  for (int i = 0; i < ChoiceItemCount(choice); ++i) {
    if (i > 0) words += ", ";
    words += ItemWord(choice, i);
  }
  return words;
}

std::string_view ItemLabel(Choice choice, int index) {
  if (index < 0 || index >= ChoiceItemCount(choice)) return {};
  return ChoiceItems(choice)[index];
}

std::string_view ChoiceOption(Choice choice) { return kOptions[static_cast<int>(choice)]; }

std::optional<Choice> ChoiceFromOption(std::string_view option) {
  for (int c = 0; c < kChoiceCount; ++c) {
    if (kOptions[c] == option) return static_cast<Choice>(c);
  }
  return std::nullopt;
}

}  // namespace davrel3
