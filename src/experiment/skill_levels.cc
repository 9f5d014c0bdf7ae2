#include "skill_levels.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "model/int_text.h"
#include "model/model_state.h"

namespace davrel3 {

namespace {

bool InTable(const LevelTable& table, int agent, int skill) {
  return agent >= 1 && agent <= table.Agents && skill >= 1 && skill <= table.Skills;
}

std::size_t IndexOf(const LevelTable& table, int agent, int skill) {
  return static_cast<std::size_t>(agent - 1) * static_cast<std::size_t>(table.Skills) +
         static_cast<std::size_t>(skill - 1);
}

std::vector<double>& Values(LevelTable& table, LevelKind kind) {
  return kind == LevelKind::Expertise ? table.Expertise : table.Motivation;
}

const std::vector<double>& Values(const LevelTable& table, LevelKind kind) {
  return kind == LevelKind::Expertise ? table.Expertise : table.Motivation;
}

}  // namespace

LevelTable MakeLevelTable(int agents, int skills) {
  LevelTable table;
  table.Agents = agents < 0 ? 0 : agents;
  table.Skills = skills < 0 ? 0 : skills;
  const auto cells = static_cast<std::size_t>(table.Agents) * static_cast<std::size_t>(table.Skills);
  table.Expertise.assign(cells, 0.0);
  table.Motivation.assign(cells, 0.0);
  return table;
}

double LevelAt(const LevelTable& table, LevelKind kind, int agent, int skill) {
  if (!InTable(table, agent, skill)) return 0;
  return Values(table, kind)[IndexOf(table, agent, skill)];
}

void SetLevelAt(LevelTable& table, LevelKind kind, int agent, int skill, double value) {
  if (!InTable(table, agent, skill)) return;
  Values(table, kind)[IndexOf(table, agent, skill)] = value;
}

bool operator==(const LevelTable& a, const LevelTable& b) {
  return a.Agents == b.Agents && a.Skills == b.Skills && a.Expertise == b.Expertise && a.Motivation == b.Motivation;
}

LevelTable HeldLevels(const TSystem& system) {
  const int agents = static_cast<int>(system.Agents.size());
  const int skills = agents == 0 ? 0 : static_cast<int>(system.Agents[0].Skills.size());
  LevelTable table = MakeLevelTable(agents, skills);
  for (int a = 1; a <= agents; ++a) {
    const auto& list = system.Agents[a - 1].Skills;
    for (int s = 1; s <= skills && s <= static_cast<int>(list.size()); ++s) {
      SetLevelAt(table, LevelKind::Expertise, a, s, list[s - 1].Expertise);
      SetLevelAt(table, LevelKind::Motivation, a, s, list[s - 1].Motivation);
    }
  }
  return table;
}

double RotationLevel(int agent, int skill) { return 14 + (agent + skill - 2) % 5; }

LevelTable RotationLevels(int agents, int skills) {
  LevelTable table = MakeLevelTable(agents, skills);
  for (int a = 1; a <= table.Agents; ++a) {
    for (int s = 1; s <= table.Skills; ++s) {
      SetLevelAt(table, LevelKind::Expertise, a, s, RotationLevel(a, s));
      SetLevelAt(table, LevelKind::Motivation, a, s, RotationLevel(a, s));
    }
  }
  return table;
}

LevelTable ProfileLevels(void (Workbench::*profile)()) {
  // A profile only writes the agent array, so a scratch workbench that never
  // commits shows exactly what it writes.
  InMemoryPanel panel;
  Workbench scratch(panel);
  (scratch.*profile)();
  return HeldLevels(scratch.State().System);
}

namespace {

// The name of the profile that `step` leaves behind on a fresh start-up.
std::string ProfileAfter(const std::function<void(Workbench&, ParameterPanel&)>& step) {
  InMemoryPanel panel;
  Workbench scratch(panel);
  scratch.FormCreate();
  step(scratch, panel);
  return scratch.LevelsProfile();
}

}  // namespace

const std::vector<ProfileOffer>& ProfileOffers() {
  static const std::vector<ProfileOffer> kOffers = [] {
    std::vector<ProfileOffer> offers;
    for (const SkillProfile& profile : SkillProfiles()) offers.push_back({profile.name, profile.apply, {}});
    auto usedBy = [&](const std::string& profile, const std::string& user) {
      for (auto& offer : offers) {
        if (offer.Name == profile) offer.UsedBy.push_back(user);
      }
    };
    const char* const kConditions[] = {"No Fit", "Fit"};
    for (int fit = 0; fit < 2; ++fit) {
      usedBy(ProfileAfter([fit](Workbench& bench, ParameterPanel& panel) {
               panel.SetItemIndex(Choice::FitNoFit, fit);
               bench.DefineButtonClick();
             }),
             kConditions[fit]);
    }
    for (const Configuration& configuration : Configurations()) {
      usedBy(ProfileAfter([&](Workbench& bench, ParameterPanel&) { (bench.*configuration.apply)(); }),
             configuration.name);
    }
    return offers;
  }();
  return kOffers;
}

LevelTable FitLevels(const LevelTable& source, int agents, int skills) {
  LevelTable table = MakeLevelTable(agents, skills);
  for (int a = 1; a <= table.Agents && a <= source.Agents; ++a) {
    for (int s = 1; s <= table.Skills && s <= source.Skills; ++s) {
      for (LevelKind kind : {LevelKind::Expertise, LevelKind::Motivation}) {
        SetLevelAt(table, kind, a, s, LevelAt(source, kind, a, s));
      }
    }
  }
  return table;
}

std::vector<LevelEntry> LevelEntries(const LevelTable& table) {
  std::vector<LevelEntry> entries;
  entries.reserve(table.Expertise.size());
  for (int a = 1; a <= table.Agents; ++a) {
    for (int s = 1; s <= table.Skills; ++s) {
      entries.push_back({a, s, LevelAt(table, LevelKind::Expertise, a, s), LevelAt(table, LevelKind::Motivation, a, s),
                         0});
    }
  }
  return entries;
}

void FillLevels(LevelTable& table, const std::vector<LevelCell>& cells, double value) {
  for (const LevelCell& cell : cells) SetLevelAt(table, cell.Kind, cell.Agent, cell.Skill, value);
}

void FillRotation(LevelTable& table, const std::vector<LevelCell>& cells) {
  for (const LevelCell& cell : cells) {
    SetLevelAt(table, cell.Kind, cell.Agent, cell.Skill, RotationLevel(cell.Agent, cell.Skill));
  }
}

void FillFrom(LevelTable& table, const std::vector<LevelCell>& cells, const LevelTable& source) {
  for (const LevelCell& cell : cells) {
    SetLevelAt(table, cell.Kind, cell.Agent, cell.Skill, LevelAt(source, cell.Kind, cell.Agent, cell.Skill));
  }
}

void CopyAgentLevels(LevelTable& table, int from, const std::vector<int>& to) {
  if (from < 1 || from > table.Agents) return;
  const LevelTable original = table;  // `to` may list `from` itself
  for (int agent : to) {
    for (int s = 1; s <= table.Skills; ++s) {
      for (LevelKind kind : {LevelKind::Expertise, LevelKind::Motivation}) {
        SetLevelAt(table, kind, agent, s, LevelAt(original, kind, from, s));
      }
    }
  }
}

std::optional<std::string> CheckLevels(const TSystem& system, const std::vector<LevelEntry>& entries) {
  const int agents = std::min(system.NrOfAgents, static_cast<int>(system.Agents.size()));
  const int skills = CommittedSkills(system);
  for (const LevelEntry& entry : entries) {
    const std::string where = entry.Line > 0 ? "line " + IntToStr(entry.Line) + ": " : std::string();
    if (entry.Agent < 1 || entry.Agent > agents) {
      return where + "agent " + IntToStr(entry.Agent) + " is not in the group, which has agents 1 to " +
             IntToStr(agents) + " (NrofAg)";
    }
    const int held = std::min(skills, static_cast<int>(system.Agents[entry.Agent - 1].Skills.size()));
    if (entry.Skill < 1 || entry.Skill > held) {
      return where + "skill " + IntToStr(entry.Skill) + " is not in the group, which has skills 1 to " +
             IntToStr(held) + " (NrofSkills)";
    }
    if (!std::isfinite(entry.Expertise)) return where + "the expertise is not a finite number";
    if (!std::isfinite(entry.Motivation)) return where + "the motivation is not a finite number";
  }
  return std::nullopt;
}

void ApplyLevels(TSystem& system, const std::vector<LevelEntry>& entries) {
  if (auto problem = CheckLevels(system, entries)) throw LevelsRefused(*problem);
  for (const LevelEntry& entry : entries) {
    TSkill& skill = system.Agents[entry.Agent - 1].Skills[entry.Skill - 1];
    skill.Expertise = entry.Expertise;
    skill.Motivation = entry.Motivation;
    skill.InitialLevel = entry.Expertise;
  }
}

LevelTable CommittedLevels(const TSystem& system) {
  const int agents = std::min(system.NrOfAgents, static_cast<int>(system.Agents.size()));
  return FitLevels(HeldLevels(system), agents, CommittedSkills(system));
}

bool operator==(const SkillState& a, const SkillState& b) {
  return a.Levels == b.Levels && a.InitialLevel == b.InitialLevel && a.HasChoices == b.HasChoices &&
         a.Chosen == b.Chosen && a.IValue == b.IValue && a.YouValue == b.YouValue;
}

SkillState CommittedSkillState(const TSystem& system) {
  SkillState state;
  state.Levels = CommittedLevels(system);
  const int agents = state.Levels.Agents;
  const int skills = state.Levels.Skills;
  const std::size_t cells = state.Levels.Expertise.size();
  state.InitialLevel.assign(cells, 0.0);
  state.HasChoices = true;
  state.Chosen.assign(cells, false);
  state.IValue.assign(cells, 0.0);
  state.YouValue.assign(cells, 0.0);
  for (int a = 1; a <= agents; ++a) {
    const auto& list = system.Agents[a - 1].Skills;
    for (int s = 1; s <= skills && s <= static_cast<int>(list.size()); ++s) {
      const std::size_t cell = IndexOf(state.Levels, a, s);
      const TSkill& skill = list[s - 1];
      state.InitialLevel[cell] = skill.InitialLevel;
      state.Chosen[cell] = skill.Chosen;
      state.IValue[cell] = skill.IValue;
      state.YouValue[cell] = skill.YouValue;
    }
  }
  return state;
}

void ApplySkillState(TSystem& system, const SkillState& state, const std::string& from) {
  const LevelTable held = CommittedLevels(system);
  const LevelTable& levels = state.Levels;
  if (levels.Agents > held.Agents || levels.Skills > held.Skills) {
    throw LevelsRefused("The levels of " + from + " are for " + IntToStr(levels.Agents) + " agents of " +
                        IntToStr(levels.Skills) + " skills, but the committed group has " + IntToStr(held.Agents) +
                        " agents of " + IntToStr(held.Skills) + " skills: no level was set");
  }
  const std::size_t cells = levels.Expertise.size();
  const bool shaped = levels.Motivation.size() == cells && state.InitialLevel.size() == cells &&
                      (!state.HasChoices || (state.Chosen.size() == cells && state.IValue.size() == cells &&
                                             state.YouValue.size() == cells));
  if (!shaped) throw LevelsRefused("The levels of " + from + " do not list every skill of every agent: no level was set");
  auto finite = [](const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
  };
  const bool allFinite = finite(levels.Expertise) && finite(levels.Motivation) && finite(state.InitialLevel) &&
                         (!state.HasChoices || (finite(state.IValue) && finite(state.YouValue)));
  if (!allFinite) throw LevelsRefused("The levels of " + from + " hold a value that is not a finite number: no level was set");
  for (int a = 1; a <= levels.Agents; ++a) {
    auto& list = system.Agents[a - 1].Skills;
    for (int s = 1; s <= levels.Skills; ++s) {
      const std::size_t cell = IndexOf(levels, a, s);
      TSkill& skill = list[s - 1];
      skill.Expertise = levels.Expertise[cell];
      skill.Motivation = levels.Motivation[cell];
      skill.InitialLevel = state.InitialLevel[cell];
      if (state.HasChoices) {
        skill.Chosen = state.Chosen[cell];
        skill.IValue = state.IValue[cell];
        skill.YouValue = state.YouValue[cell];
      }
    }
  }
}

}  // namespace davrel3
