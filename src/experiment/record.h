// The record of a run as the headless runner prints it (--json) and as the
// window saves it: status, parameters as read at START, timesteps, the whole
// history, the grids after the draw, every agent's final state, and per task
// the division of labour ("division_of_labour": the index over the whole
// task, before and after the entrance, and every agent's units per skill
// column before and after it).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "presets/workbench.h"

namespace davrel3 {

// Every parameter field as an integer (none for a text that is not a whole
// number) and the item of every radio group: the record's "parameters".
struct ParameterValues {
  std::array<std::optional<int>, kFieldCount> fields{};
  std::array<int, kChoiceCount> items{};

  std::optional<int> Value(Field field) const { return fields[static_cast<int>(field)]; }
  int Item(Choice choice) const { return items[static_cast<int>(choice)]; }
};

ParameterValues ReadParameters(const ParameterPanel& panel);

// The record of one run as compact JSON text.
std::string RunRecord(const Workbench& bench, const RunOutcome& outcome, const ParameterValues& parameters);

// The document of a session's records, {"runs": [record, ...]}, compact.
std::string RunRecordsDocument(const std::vector<std::string>& records);

// A double in the shortest form that reads back to the same value.
std::string ShortestNumber(double value);

}  // namespace davrel3
