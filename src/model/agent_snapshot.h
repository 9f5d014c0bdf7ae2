// The state that decides whether another timestep can change anything, in
// one flat array: per agent its skill count and its two flags, then per skill
// the values the allocation and the dynamics carry from one timestep to the
// next. A run takes it at the start of every timestep and compares it with
// the state the timestep left when the timestep performed nothing.
//
// StartAgentTimestep adds one agent while it resets the agent's work times
// for the timestep, so that the allocation can do both in its first pass over
// the agent's skills instead of two passes of their own.
#pragma once

#include <cstddef>
#include <vector>

#include "records.h"

namespace davrel3 {

class AgentSnapshot {
 public:
  // Empties the snapshot, keeping room for a group as large as `system`.
  void Begin(const TSystem& system) {
    std::size_t size = 0;
    for (const TAgent& agent : system.Agents) size += 1 + agent.Skills.size();
    entries_.resize(size);
    next_ = 0;
  }

  void Add(const TAgent& agent) {
    Entry* out = entries_.data() + next_;
    *out++ = AgentEntry(agent);
    for (const TSkill& skill : agent.Skills) *out++ = SkillEntry(skill);
    next_ += 1 + agent.Skills.size();
  }

  void Take(const TSystem& system) {
    Begin(system);
    for (const TAgent& agent : system.Agents) Add(agent);
  }

  bool Matches(const TSystem& system) const {
    const Entry* in = entries_.data();
    const Entry* const end = in + next_;
    for (const TAgent& agent : system.Agents) {
      if (in == end || !(*in++ == AgentEntry(agent))) return false;
      if (static_cast<std::size_t>(end - in) < agent.Skills.size()) return false;
      for (const TSkill& skill : agent.Skills) {
        if (!(*in++ == SkillEntry(skill))) return false;
      }
    }
    return in == end;
  }

  // The start of a timestep for one agent: its step work time and every
  // skill's time needed are 0, and its state goes into the snapshot as it
  // was before the timestep changed anything.
  void StartAgentTimestep(TAgent& agent) {
    agent.StepWorkTime = 0;
    Entry* out = entries_.data() + next_;
    *out++ = AgentEntry(agent);
    for (TSkill& skill : agent.Skills) {
      skill.TimeNeeded = 0;
      *out++ = SkillEntry(skill);
    }
    next_ += 1 + agent.Skills.size();
  }

 private:
  // An agent's entry holds its skill count and its flags; a skill's entry
  // its levels, rest credit and marks. 24 bytes: a large group's snapshot is
  // a quarter of a megabyte per timestep.
  struct Entry {
    double expertise, motivation;
    int restCredit;
    bool chosen, loser;
    bool operator==(const Entry&) const = default;
  };
  static Entry AgentEntry(const TAgent& agent) {
    return {0.0, 0.0, static_cast<int>(agent.Skills.size()), agent.Present, agent.Available};
  }
  static Entry SkillEntry(const TSkill& s) { return {s.Expertise, s.Motivation, s.RestCredit, s.Chosen, s.Loser}; }

  std::vector<Entry> entries_;
  std::size_t next_ = 0;
};

}  // namespace davrel3
