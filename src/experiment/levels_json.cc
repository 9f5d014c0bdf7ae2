#include "levels_json.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "model/int_text.h"

namespace davrel3 {

using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kWhere = "The parameter file's \"levels\"";

// One array per agent, its skills on one line.
template <typename Value>
std::string Rows(const std::vector<Value>& cells, int agents, int skills, const std::string& pad) {
  if (agents == 0) return "[]";
  std::string text = "[\n";
  for (int a = 0; a < agents; ++a) {
    Json row = Json::array();
    for (int s = 0; s < skills; ++s) {
      row.push_back(static_cast<Value>(cells[static_cast<std::size_t>(a) * static_cast<std::size_t>(skills) +
                                             static_cast<std::size_t>(s)]));
    }
    text += pad + "  " + row.dump() + (a + 1 < agents ? ",\n" : "\n");
  }
  return text + pad + "]";
}

std::optional<long long> Count(const Json& value) {
  if (!value.is_number_integer()) return std::nullopt;
  if (value.is_number_unsigned()) {
    const auto u = value.get<std::uint64_t>();
    return u > static_cast<std::uint64_t>(kMaxAgentSkills) ? std::optional<long long>() : static_cast<long long>(u);
  }
  const auto i = value.get<std::int64_t>();
  if (i < 0 || i > kMaxAgentSkills) return std::nullopt;
  return i;
}

// Reads the array `name` of one list per agent into `cells`, each value
// through `take`, which says whether it fits.
template <typename Take>
std::optional<std::string> ReadRows(const Json& json, const char* name, const char* what, int agents, int skills,
                                    Take take) {
  const Json& rows = json[name];
  if (!rows.is_array() || static_cast<long long>(rows.size()) != agents) {
    return std::string(kWhere) + ": \"" + name + "\" must hold one list per agent, " + IntToStr(agents) + " lists";
  }
  for (int a = 1; a <= agents; ++a) {
    const Json& row = rows[static_cast<std::size_t>(a - 1)];
    if (!row.is_array() || static_cast<long long>(row.size()) != skills) {
      return std::string(kWhere) + ": the " + name + " of agent " + IntToStr(a) + " must list " + IntToStr(skills) +
             " " + what + ", one per skill";
    }
    for (int s = 1; s <= skills; ++s) {
      const Json& value = row[static_cast<std::size_t>(s - 1)];
      if (!take(value, static_cast<std::size_t>(a - 1) * static_cast<std::size_t>(skills) +
                           static_cast<std::size_t>(s - 1))) {
        return std::string(kWhere) + ": the " + name + " of agent " + IntToStr(a) + ", skill " + IntToStr(s) +
               " is not " + (std::string(what) == "numbers" ? "a finite number" : "true or false") + ": " +
               value.dump();
      }
    }
  }
  return std::nullopt;
}

std::optional<std::string> ReadNumbers(const Json& json, const char* name, int agents, int skills,
                                       std::vector<double>& cells) {
  cells.assign(static_cast<std::size_t>(agents) * static_cast<std::size_t>(skills), 0.0);
  return ReadRows(json, name, "numbers", agents, skills, [&cells](const Json& value, std::size_t cell) {
    if (!value.is_number() || !std::isfinite(value.get<double>())) return false;
    cells[cell] = value.get<double>();
    return true;
  });
}

}  // namespace

std::string LevelsJsonText(const SkillState& state, int indent) {
  const LevelTable& levels = state.Levels;
  const std::string pad(static_cast<std::size_t>(indent) + 2, ' ');
  const int a = levels.Agents;
  const int s = levels.Skills;
  std::string text = "{\n";
  text += pad + "\"agents\": " + IntToStr(a) + ",\n";
  text += pad + "\"skills\": " + IntToStr(s) + ",\n";
  text += pad + "\"expertise\": " + Rows(levels.Expertise, a, s, pad);
  text += ",\n" + pad + "\"motivation\": " + Rows(levels.Motivation, a, s, pad);
  text += ",\n" + pad + "\"initial_level\": " + Rows(state.InitialLevel, a, s, pad);
  if (state.HasChoices) {
    text += ",\n" + pad + "\"chosen\": " + Rows(state.Chosen, a, s, pad);
    text += ",\n" + pad + "\"i_value\": " + Rows(state.IValue, a, s, pad);
    text += ",\n" + pad + "\"you_value\": " + Rows(state.YouValue, a, s, pad);
  }
  return text + "\n" + std::string(static_cast<std::size_t>(indent), ' ') + "}";
}

std::optional<std::string> LevelsFromJson(const Json& json, SkillState& state) {
  const std::string where = kWhere;
  if (!json.is_object()) return where + " is not an object";
  for (const auto& [key, value] : json.items()) {
    if (key != "agents" && key != "skills" && key != "expertise" && key != "motivation" && key != "initial_level" &&
        key != "chosen" && key != "i_value" && key != "you_value") {
      return where + " has an unknown entry \"" + key + "\"";
    }
  }
  for (const char* key : {"agents", "skills", "expertise", "motivation"}) {
    if (!json.contains(key)) return where + " has no \"" + key + "\"";
  }
  const int choiceParts = static_cast<int>(json.contains("chosen")) + static_cast<int>(json.contains("i_value")) +
                          static_cast<int>(json.contains("you_value"));
  if (choiceParts != 0 && choiceParts != 3) {
    return where + " must give \"chosen\", \"i_value\" and \"you_value\" together, or none of them";
  }
  const auto agents = Count(json["agents"]);
  const auto skills = Count(json["skills"]);
  if (!agents) return where + ": \"agents\" must be a whole number from 0 to " + IntToStr(kMaxAgentSkills);
  if (!skills) return where + ": \"skills\" must be a whole number from 0 to " + IntToStr(kMaxAgentSkills);
  if (*agents * *skills > kMaxAgentSkills) {
    return where + " hold more than " + IntToStr(kMaxAgentSkills) + " agents times skills";
  }
  const int a = static_cast<int>(*agents);
  const int s = static_cast<int>(*skills);
  SkillState read;
  read.Levels = MakeLevelTable(a, s);
  if (auto problem = ReadNumbers(json, "expertise", a, s, read.Levels.Expertise)) return problem;
  if (auto problem = ReadNumbers(json, "motivation", a, s, read.Levels.Motivation)) return problem;
  if (json.contains("initial_level")) {
    if (auto problem = ReadNumbers(json, "initial_level", a, s, read.InitialLevel)) return problem;
  } else {
    read.InitialLevel = read.Levels.Expertise;
  }
  if (choiceParts == 3) {
    read.HasChoices = true;
    read.Chosen.assign(read.Levels.Expertise.size(), false);
    auto problem = ReadRows(json, "chosen", "values", a, s, [&read](const Json& value, std::size_t cell) {
      if (!value.is_boolean()) return false;
      read.Chosen[cell] = value.get<bool>();
      return true;
    });
    if (problem) return problem;
    if (auto bad = ReadNumbers(json, "i_value", a, s, read.IValue)) return bad;
    if (auto bad = ReadNumbers(json, "you_value", a, s, read.YouValue)) return bad;
  }
  state = std::move(read);
  return std::nullopt;
}

}  // namespace davrel3
