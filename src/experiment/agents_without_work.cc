#include "agents_without_work.h"

#include <algorithm>

#include "model/int_text.h"

namespace davrel3 {

namespace {

// The skills that the windows of tasks 1..tasks use, moved as the run moves
// them: on by the variety at each task, back by the number of skills once
// past it, each position reduced to its column.
std::vector<bool> SkillsOfTheRun(const TTask& task, int tasks, int skillsNow, int skills) {
  std::vector<bool> used(static_cast<std::size_t>(skills), false);
  long long windowStart = -static_cast<long long>(task.Variety);
  const int actions = std::min(task.Actions, skills);
  for (int k = 0; k < tasks; ++k) {
    windowStart += task.Variety;
    if (skillsNow < windowStart) windowStart -= skillsNow;
    for (int a = 0; a < actions; ++a) used[static_cast<std::size_t>(SkillColumn(windowStart + a, skills))] = true;
    // The windows repeat once every column has been seen.
    if (std::all_of(used.begin(), used.end(), [](bool u) { return u; })) break;
  }
  return used;
}

}  // namespace

std::vector<int> AgentsWithoutWork(const Workbench& bench) {
  const ModelState& state = bench.State();
  const TSystem& system = state.System;
  const int skills = CommittedSkills(system);
  int tasks = 0, skillsNow = 0;
  try {
    tasks = bench.Panel().Read(Field::NrOfTasks);
    skillsNow = bench.Panel().Read(Field::NrofSkills);
  } catch (const ConversionError&) {
    return {};  // the run itself stops on the text
  }
  if (tasks < 1 || skills < 1 || state.Task.NrOfUnits < 1 || state.Task.Actions < 1) return {};
  const std::vector<bool> used = SkillsOfTheRun(state.Task, tasks, skillsNow, skills);
  std::vector<int> idle;
  for (std::size_t i = 0; i < system.Agents.size(); ++i) {
    const TAgent& agent = system.Agents[i];
    if (i == static_cast<std::size_t>(kNewcomerIndex) || !agent.Present) continue;
    bool canWork = false;
    for (std::size_t j = 0; j < agent.Skills.size() && j < used.size(); ++j) {
      const TSkill& skill = agent.Skills[j];
      if (used[j] && skill.ExpThresh < skill.Expertise) canWork = true;
    }
    if (!canWork) idle.push_back(static_cast<int>(i) + 1);
  }
  return idle;
}

std::string AgentNumberList(const std::vector<int>& agents) {
  std::vector<int> sorted = agents;
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  std::string text;
  for (std::size_t i = 0; i < sorted.size();) {
    std::size_t j = i;
    while (j + 1 < sorted.size() && sorted[j + 1] == sorted[j] + 1) ++j;
    if (!text.empty()) text += ", ";
    text += IntToStr(sorted[i]);
    if (j > i) text += (j == i + 1 ? ", " : "-") + IntToStr(sorted[j]);
    i = j + 1;
  }
  return text;
}

std::string AgentsWithoutWorkWarning(const std::vector<int>& agents) {
  if (agents.empty()) return {};
  const bool one = agents.size() == 1;
  return std::string(one ? "Agent " : "Agents ") + AgentNumberList(agents) +
         (one ? " has" : " have") +
         " expertise at or below the expertise threshold on every skill of the task and will take no unit";
}

}  // namespace davrel3
