// The state that decides whether another timestep can change anything: per
// agent its flags, per skill its marks and its levels and rest credit. A run
// records it as a timestep starts and compares it with the state the
// timestep left when the timestep performed nothing.
//
// The marks and flags are recorded for every timestep, a byte each, while the
// timestep starts each agent and each of its skills (StartAgent, then
// SkillStarts::Start for its skills in order, which the allocation calls in
// its first pass over them). The levels only for a timestep
// in which the allocation gave out no unit, right after it (TakeLevels): the
// allocation changes no level, and a timestep that gives out a unit cannot
// leave the group as it found it (the agent given the unit is no longer
// available unless it performs, and performing is not standing still).
#pragma once

#include <cstddef>
#include <vector>

#include "records.h"

namespace davrel3 {

// The start of a timestep's work for one agent: it has not worked, and none
// of its skills has needed time.
inline void ResetWorkTimes(TAgent& agent) {
  agent.StepWorkTime = 0;
  for (TSkill& skill : agent.Skills) skill.TimeNeeded = 0;
}

class AgentSnapshot {
  struct Marks;

 public:
  // Starts the skills of one agent, in order (see StartAgent).
  class SkillStarts {
   public:
    SkillStarts() = default;
    // The skill has needed no time, and its marks are recorded.
    void Start(TSkill& skill) {
      skill.TimeNeeded = 0;
      *out_++ = SkillMarks(skill);
    }

   private:
    friend class AgentSnapshot;
    explicit SkillStarts(Marks* out) : out_(out) {}
    Marks* out_ = nullptr;
  };

  // Empties the snapshot, keeping room for a group as large as `system`.
  void Begin(const TSystem& system) {
    std::size_t size = 0;
    for (const TAgent& agent : system.Agents) size += 1 + agent.Skills.size();
    marks_.resize(size);
    next_ = 0;
    levelsTaken_ = false;
  }

  // Records the flags of the next agent and the marks of its skills.
  void Add(const TAgent& agent) {
    Marks* out = marks_.data() + next_;
    *out++ = AgentMarks(agent);
    for (const TSkill& skill : agent.Skills) *out++ = SkillMarks(skill);
    next_ += 1 + agent.Skills.size();
  }

  // The start of a timestep for the next agent: it has not worked, and its
  // flags are recorded as they were before the timestep changed anything.
  // The returned SkillStarts must then start each of its skills, in order,
  // before the timestep changes that skill. Begin made room for every agent
  // and skill of the group.
  SkillStarts StartAgent(TAgent& agent) {
    agent.StepWorkTime = 0;
    Marks* out = marks_.data() + next_;
    *out = AgentMarks(agent);
    next_ += 1 + agent.Skills.size();
    return SkillStarts(out + 1);
  }

  void TakeMarks(const TSystem& system) {
    Begin(system);
    for (const TAgent& agent : system.Agents) Add(agent);
  }

  void TakeLevels(const TSystem& system) {
    levels_.clear();
    for (const TAgent& agent : system.Agents) {
      for (const TSkill& skill : agent.Skills) levels_.push_back(SkillLevels(skill));
    }
    levelsTaken_ = true;
  }

  // Whether `system` is as recorded: false when the levels were not taken.
  bool Matches(const TSystem& system) const {
    if (!levelsTaken_ || next_ != marks_.size()) return false;
    const Marks* marks = marks_.data();
    const Marks* const marksEnd = marks + next_;
    const Levels* levels = levels_.data();
    const Levels* const levelsEnd = levels + levels_.size();
    for (const TAgent& agent : system.Agents) {
      if (marks == marksEnd || !(*marks++ == AgentMarks(agent))) return false;
      const std::size_t skills = agent.Skills.size();
      if (static_cast<std::size_t>(marksEnd - marks) < skills ||
          static_cast<std::size_t>(levelsEnd - levels) < skills) {
        return false;
      }
      for (const TSkill& skill : agent.Skills) {
        if (!(*marks++ == SkillMarks(skill)) || !(*levels++ == SkillLevels(skill))) return false;
      }
    }
    return marks == marksEnd && levels == levelsEnd;
  }

 private:
  // An agent's Present and Available, a skill's Chosen and Loser.
  struct Marks {
    bool first, second;
    bool operator==(const Marks&) const = default;
  };
  struct Levels {
    double expertise, motivation;
    int restCredit;
    bool operator==(const Levels&) const = default;
  };
  static Marks AgentMarks(const TAgent& agent) { return {agent.Present, agent.Available}; }
  static Marks SkillMarks(const TSkill& s) { return {s.Chosen, s.Loser}; }
  static Levels SkillLevels(const TSkill& s) { return {s.Expertise, s.Motivation, s.RestCredit}; }

  std::vector<Marks> marks_;
  std::vector<Levels> levels_;
  std::size_t next_ = 0;
  bool levelsTaken_ = false;
};

}  // namespace davrel3
