// Skill levels: what every agent of a group holds per skill as expertise and
// motivation, and the ways of setting them besides a skill profile (the
// rotation pattern, a level file, the levels editor, a parameter file).
//
// All of them set a listed skill of a listed agent as a level file does:
// expertise, motivation, and the initial level taking the expertise value.
// Agents and skills not listed keep what they hold. Nothing here commits:
// the next commit keeps the levels, as it keeps those of a profile.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "presets/workbench.h"

namespace davrel3 {

// One agent's level on one skill, both numbered from 1.
struct LevelEntry {
  int Agent = 0;
  int Skill = 0;
  double Expertise = 0;
  double Motivation = 0;
  int Line = 0;  // the line of the level file it was read from; 0 for none
};

enum class LevelKind { Expertise, Motivation };

// Levels for every agent 1..Agents and skill 1..Skills.
struct LevelTable {
  int Agents = 0;
  int Skills = 0;
  std::vector<double> Expertise;  // agent after agent: (a - 1) * Skills + (s - 1)
  std::vector<double> Motivation;
};

// One cell of a table: an agent's expertise or motivation on a skill.
struct LevelCell {
  int Agent = 0;
  int Skill = 0;
  LevelKind Kind = LevelKind::Expertise;
};

// A table of zeros.
LevelTable MakeLevelTable(int agents, int skills);
double LevelAt(const LevelTable& table, LevelKind kind, int agent, int skill);
void SetLevelAt(LevelTable& table, LevelKind kind, int agent, int skill, double value);
bool operator==(const LevelTable& a, const LevelTable& b);

// What the agents hold: every agent of the array, each with as many skills as
// the first one has (a skill an agent lacks reads 0).
LevelTable HeldLevels(const TSystem& system);
// 14 + ((a + s - 2) mod 5) as expertise and as motivation.
double RotationLevel(int agent, int skill);
LevelTable RotationLevels(int agents, int skills);
// The levels a skill profile writes, with as many agents and skills as it lists.
LevelTable ProfileLevels(void (Workbench::*profile)());
// A skill profile as the levels editor offers it: its name, and what applies
// it (the conditions "No Fit" and "Fit" by Define, the configurations by
// their names), found by applying each on a scratch workbench.
struct ProfileOffer {
  std::string Name;
  void (Workbench::*Apply)() = nullptr;
  std::vector<std::string> UsedBy;
};
const std::vector<ProfileOffer>& ProfileOffers();

// The table resized to agents x skills as a commit resizes a profile: what it
// lists beyond is dropped, what it does not reach is 0.
LevelTable FitLevels(const LevelTable& source, int agents, int skills);
// Every cell of the table as an entry.
std::vector<LevelEntry> LevelEntries(const LevelTable& table);

// --- fills of the levels editor; cells outside the table are passed over
void FillLevels(LevelTable& table, const std::vector<LevelCell>& cells, double value);
void FillRotation(LevelTable& table, const std::vector<LevelCell>& cells);
// Each cell takes the value of the same cell of `source` (0 where it has none).
void FillFrom(LevelTable& table, const std::vector<LevelCell>& cells, const LevelTable& source);
// Agent `from` onto each agent of `to`, expertise and motivation of every skill.
void CopyAgentLevels(LevelTable& table, int from, const std::vector<int>& to);

// Levels that do not fit the committed group; the message names the line of
// the file they came from.
class LevelsRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The first entry whose agent or skill lies outside the committed group
// (NrOfAgents agents of the first agent's NrOfSkills skills) or whose value is
// not finite, as the message LevelsRefused would carry; nullopt when all fit.
std::optional<std::string> CheckLevels(const TSystem& system, const std::vector<LevelEntry>& entries);
// Checks every entry first (throws LevelsRefused and changes nothing), then
// sets each: expertise, motivation and the initial level from the expertise.
void ApplyLevels(TSystem& system, const std::vector<LevelEntry>& entries);

// What the committed group's agents hold: agents 1..NrOfAgents, the
// committed skills.
LevelTable CommittedLevels(const TSystem& system);

// Everything of the agents' skills that a commit keeps and a run starts
// from or shows in its record: the levels, the initial level, and the last
// choice with its drive I and counter-pull You. A parameter file carries it,
// so that the group it was saved from runs again to the same record.
struct SkillState {
  LevelTable Levels;  // expertise and motivation
  // Indexed as the levels' cells, agent after agent.
  std::vector<double> InitialLevel;
  // Without choices (a file that lists none) the agents keep theirs.
  bool HasChoices = false;
  std::vector<bool> Chosen;
  std::vector<double> IValue;
  std::vector<double> YouValue;
};
bool operator==(const SkillState& a, const SkillState& b);

// The committed group's: agents 1..NrOfAgents, the committed skills.
SkillState CommittedSkillState(const TSystem& system);
// Sets every agent and skill the state lists: expertise, motivation, the
// initial level and, when it has them, the choices; agents and skills it
// does not list keep theirs. Refused (LevelsRefused, nothing changed) when
// it lists more agents or skills than the committed group has, or a value
// that is not finite. `from` names where it came from, for the message.
void ApplySkillState(TSystem& system, const SkillState& state, const std::string& from);

}  // namespace davrel3
