#include "levels_json.h"

#include <cmath>

#include "model/int_text.h"

namespace davrel3 {

using Json = nlohmann::ordered_json;

Json LevelsJson(const LevelTable& table) {
  Json out = Json::object();
  out["agents"] = table.Agents;
  out["skills"] = table.Skills;
  for (LevelKind kind : {LevelKind::Expertise, LevelKind::Motivation}) {
    Json rows = Json::array();
    for (int a = 1; a <= table.Agents; ++a) {
      Json row = Json::array();
      for (int s = 1; s <= table.Skills; ++s) row.push_back(LevelAt(table, kind, a, s));
      rows.push_back(std::move(row));
    }
    out[kind == LevelKind::Expertise ? "expertise" : "motivation"] = std::move(rows);
  }
  return out;
}

namespace {

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

}  // namespace

std::optional<std::string> LevelsFromJson(const Json& json, LevelTable& table) {
  const std::string where = "The parameter file's \"levels\"";
  if (!json.is_object()) return where + " is not an object";
  for (const auto& [key, value] : json.items()) {
    if (key != "agents" && key != "skills" && key != "expertise" && key != "motivation") {
      return where + " has an unknown entry \"" + key + "\"";
    }
  }
  for (const char* key : {"agents", "skills", "expertise", "motivation"}) {
    if (!json.contains(key)) return where + " has no \"" + key + "\"";
  }
  const auto agents = Count(json["agents"]);
  const auto skills = Count(json["skills"]);
  if (!agents) return where + ": \"agents\" must be a whole number from 0 to " + IntToStr(kMaxAgentSkills);
  if (!skills) return where + ": \"skills\" must be a whole number from 0 to " + IntToStr(kMaxAgentSkills);
  if (*agents * *skills > kMaxAgentSkills) {
    return where + " hold more than " + IntToStr(kMaxAgentSkills) + " agents times skills";
  }
  LevelTable read = MakeLevelTable(static_cast<int>(*agents), static_cast<int>(*skills));
  for (LevelKind kind : {LevelKind::Expertise, LevelKind::Motivation}) {
    const char* name = kind == LevelKind::Expertise ? "expertise" : "motivation";
    const Json& rows = json[name];
    if (!rows.is_array() || static_cast<long long>(rows.size()) != *agents) {
      return where + ": \"" + name + "\" must hold one list per agent, " + IntToStr(*agents) + " lists";
    }
    for (int a = 1; a <= read.Agents; ++a) {
      const Json& row = rows[static_cast<std::size_t>(a - 1)];
      if (!row.is_array() || static_cast<long long>(row.size()) != *skills) {
        return where + ": the " + name + " of agent " + IntToStr(a) + " must list " + IntToStr(*skills) +
               " numbers, one per skill";
      }
      for (int s = 1; s <= read.Skills; ++s) {
        const Json& value = row[static_cast<std::size_t>(s - 1)];
        if (!value.is_number() || !std::isfinite(value.get<double>())) {
          return where + ": the " + name + " of agent " + IntToStr(a) + ", skill " + IntToStr(s) +
                 " is not a finite number: " + value.dump();
        }
        SetLevelAt(read, kind, a, s, value.get<double>());
      }
    }
  }
  table = std::move(read);
  return std::nullopt;
}

}  // namespace davrel3
