// The record of a run as the headless runner prints it (--json) and as the
// window saves it: status, parameters as read at START, timesteps, the whole
// history, the grids after the draw, and every agent's final state.
#pragma once

#include <nlohmann/json.hpp>

#include "presets/workbench.h"

namespace davrel3 {

// Every parameter field and radio group as an integer, null for a text that
// is not a whole number.
nlohmann::ordered_json ReadParameters(const ParameterPanel& panel);

nlohmann::ordered_json RunRecord(const Workbench& bench, const RunOutcome& outcome,
                                 const nlohmann::ordered_json& parameters);

// A double in the shortest form that reads back to the same value.
std::string ShortestNumber(double value);

}  // namespace davrel3
