#include "division_of_labour.h"

#include <cmath>

namespace davrel3 {
namespace {

std::int64_t CountAt(const std::vector<std::int64_t>& counts, const LabourTask& task, int a, int s) {
  if (a < 0 || s < 0 || a >= task.agents || s >= task.skills) return 0;
  return counts[static_cast<std::size_t>(a) * task.skills + s];
}

const LabourTask* TaskAt(const DivisionOfLabour& labour, int k) {
  if (k < 0 || k >= static_cast<int>(labour.Tasks.size())) return nullptr;
  const LabourTask& task = labour.Tasks[k];
  return task.before.empty() ? nullptr : &task;  // a task that performed nothing
}

}  // namespace

void ResetDivisionOfLabour(DivisionOfLabour& labour) {
  labour.Tasks.clear();
  labour.Units.clear();
}

LabourTask& StartLabourTask(DivisionOfLabour& labour, const UnitPerformance& unit) {
  if (unit.task >= static_cast<int>(labour.Tasks.size())) labour.Tasks.resize(static_cast<std::size_t>(unit.task) + 1);
  LabourTask& task = labour.Tasks[unit.task];
  if (task.before.empty()) {
    task.agents = unit.agents;
    task.skills = unit.skills;
    task.entranceTime = unit.entranceTime;
    task.firstRow = unit.row - unit.timestep;
    const std::size_t cells = static_cast<std::size_t>(unit.agents) * static_cast<std::size_t>(unit.skills);
    task.before.assign(cells, 0);
    task.after.assign(cells, 0);
    if (labour.KeepUnits && unit.taskUnits > 0) {
      labour.Units.reserve(labour.Units.size() + static_cast<std::size_t>(unit.taskUnits));
    }
  }
  return task;
}

std::optional<double> LabourIndex(std::span<const std::int64_t> counts, int agents, int skills) {
  if (agents <= 0 || skills <= 0 || counts.size() < static_cast<std::size_t>(agents) * skills) return std::nullopt;
  std::int64_t total = 0;
  for (std::int64_t n : counts.first(static_cast<std::size_t>(agents) * skills)) total += n;
  if (total <= 0) return std::nullopt;

  // H(A) = 0 exactly when one agent holds every unit, H(S) = 0 when one skill
  // does. Deciding this on the counts keeps the rounding of the marginals from
  // turning "nothing is divided" into a tiny ratio of rounding errors.
  int agentsWithUnits = 0;
  std::vector<int> skillHasUnits(static_cast<std::size_t>(skills), 0);
  for (int a = 0; a < agents; ++a) {
    bool any = false;
    for (int s = 0; s < skills; ++s) {
      if (counts[static_cast<std::size_t>(a) * skills + s] > 0) {
        any = true;
        skillHasUnits[s] = 1;
      }
    }
    agentsWithUnits += any;
  }
  int skillsWithUnits = 0;
  for (int has : skillHasUnits) skillsWithUnits += has;
  if (agentsWithUnits == 1 || skillsWithUnits == 1) return 0.0;

  const double N = static_cast<double>(total);
  auto p = [&](int a, int s) { return static_cast<double>(counts[static_cast<std::size_t>(a) * skills + s]) / N; };
  std::vector<double> pa(static_cast<std::size_t>(agents), 0.0);
  std::vector<double> ps(static_cast<std::size_t>(skills), 0.0);
  for (int a = 0; a < agents; ++a) {
    for (int s = 0; s < skills; ++s) pa[a] = pa[a] + p(a, s);
  }
  for (int s = 0; s < skills; ++s) {
    for (int a = 0; a < agents; ++a) ps[s] = ps[s] + p(a, s);
  }
  double sumA = 0;
  for (double v : pa) {
    if (v > 0) sumA = sumA + v * std::log(v);
  }
  double sumS = 0;
  for (double v : ps) {
    if (v > 0) sumS = sumS + v * std::log(v);
  }
  const double hA = -sumA;
  const double hS = -sumS;
  double information = 0;
  for (int a = 0; a < agents; ++a) {
    for (int s = 0; s < skills; ++s) {
      if (counts[static_cast<std::size_t>(a) * skills + s] <= 0) continue;
      const double pas = p(a, s);
      information = information + pas * std::log(pas / (pa[a] * ps[s]));
    }
  }
  return information / std::sqrt(hA * hS);
}

LabourMeasures LabourMeasuresOf(const DivisionOfLabour& labour, int k) {
  LabourMeasures out;
  const LabourTask* task = TaskAt(labour, k);
  if (!task) return out;
  std::vector<std::int64_t> all(task->before.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = task->before[i] + task->after[i];
  out.dol = LabourIndex(all, task->agents, task->skills);
  out.dolBefore = LabourIndex(task->before, task->agents, task->skills);
  out.dolAfter = LabourIndex(task->after, task->agents, task->skills);
  return out;
}

std::int64_t UnitsBefore(const DivisionOfLabour& labour, int k, int a, int s) {
  const LabourTask* task = TaskAt(labour, k);
  return task ? CountAt(task->before, *task, a, s) : 0;
}

std::int64_t UnitsAfter(const DivisionOfLabour& labour, int k, int a, int s) {
  const LabourTask* task = TaskAt(labour, k);
  return task ? CountAt(task->after, *task, a, s) : 0;
}

std::vector<RollingLabourPoint> RollingLabourIndex(const DivisionOfLabour& labour, std::int64_t window) {
  std::vector<RollingLabourPoint> points;
  if (window < 1) window = 1;
  const auto& units = labour.Units;
  std::size_t begin = 0;
  while (begin < units.size()) {
    // The log holds each task's units together, in the order performed, so
    // timesteps do not decrease within a task.
    const int k = units[begin].task;
    std::size_t end = begin;
    while (end < units.size() && units[end].task == k) ++end;
    const LabourTask* task = TaskAt(labour, k);
    if (!task) {
      begin = end;
      continue;
    }
    std::vector<std::int64_t> counts(task->before.size(), 0);
    std::size_t added = begin;
    std::size_t removed = begin;
    for (std::int64_t t = 0; t <= task->lastTimestep; ++t) {
      for (; added < end && units[added].timestep <= t; ++added) {
        counts[static_cast<std::size_t>(units[added].agent) * task->skills + units[added].skill] += 1;
      }
      for (; removed < added && units[removed].timestep <= t - window; ++removed) {
        counts[static_cast<std::size_t>(units[removed].agent) * task->skills + units[removed].skill] -= 1;
      }
      points.push_back(RollingLabourPoint{k, t, task->firstRow + t, LabourIndex(counts, task->agents, task->skills)});
    }
    begin = end;
  }
  return points;
}

}  // namespace davrel3
