// Skill levels inside a parameter file: what the agents hold, one array of
// skills per agent, expertise and motivation apart.
//
//   "levels": {"agents": 2, "skills": 3,
//              "expertise": [[19, 15, 16], [15, 16, 17]],
//              "motivation": [[19, 15, 16], [15, 16, 17]]}
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "skill_levels.h"

namespace davrel3 {

nlohmann::ordered_json LevelsJson(const LevelTable& table);

// Reads the entry into *table; the fault in plain words when it is not a
// table of finite numbers of the size it gives (at most kMaxAgentSkills
// cells), and then *table is left as it was.
std::optional<std::string> LevelsFromJson(const nlohmann::ordered_json& json, LevelTable& table);

}  // namespace davrel3
