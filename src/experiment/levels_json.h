// Skill levels inside a parameter file: what the agents hold, one array of
// skills per agent for each value a commit keeps.
//
//   "levels": {"agents": 2, "skills": 3,
//              "expertise": [[19, 15, 16], [15, 16, 17]],
//              "motivation": [[19, 15, 16], [15, 16, 17]],
//              "initial_level": [[19, 15, 16], [15, 16, 17]],
//              "chosen": [[false, true, false], [true, false, false]],
//              "i_value": [[0, 0.5, 0], [0.25, 0, 0]],
//              "you_value": [[1, 0, 1], [0, 1, 1]]}
//
// "expertise" and "motivation" are needed; without "initial_level" the
// initial level takes the expertise, as a level file sets it; "chosen",
// "i_value" and "you_value" come all three or none (then the agents keep
// their choices).
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "skill_levels.h"

namespace davrel3 {

// The entry as JSON text, each agent's skills on one line; `indent` is the
// indentation of the line the entry starts on.
std::string LevelsJsonText(const SkillState& state, int indent);

// Reads the entry into *state; the fault in plain words when it is not a
// table of finite numbers of the size it gives (at most kMaxAgentSkills
// cells), and then *state is left as it was.
std::optional<std::string> LevelsFromJson(const nlohmann::ordered_json& json, SkillState& state);

}  // namespace davrel3
