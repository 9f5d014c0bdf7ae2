#include "labour_figures.h"

#include <algorithm>

#include "experiment/record.h"

using davrel3::DivisionOfLabour;
using davrel3::LabourTask;
using davrel3::PerformedUnit;

namespace labour_figures {

namespace {

const LabourTask* CountedTask(const DivisionOfLabour& labour, std::size_t k) {
  if (k >= labour.Tasks.size() || labour.Tasks[k].before.empty()) return nullptr;
  return &labour.Tasks[k];
}

std::string Number(double value) { return davrel3::ShortestNumber(value); }

}  // namespace

std::vector<IndexPoint> IndexLine(const DivisionOfLabour& labour, std::int64_t window) {
  std::vector<IndexPoint> line;
  for (const davrel3::RollingLabourPoint& point : davrel3::RollingLabourIndex(labour, window)) {
    if (point.value) line.push_back(IndexPoint{point.task, point.timestep, point.row, *point.value});
  }
  return line;
}

std::vector<EntranceMark> EntranceMarks(const DivisionOfLabour& labour) {
  std::vector<EntranceMark> marks;
  for (std::size_t k = 0; k < labour.Tasks.size(); ++k) {
    const LabourTask* task = CountedTask(labour, k);
    if (!task || task->entranceTime > task->lastTimestep || task->entranceTime < 0) continue;
    marks.push_back(EntranceMark{static_cast<int>(k), task->entranceTime, task->firstRow + task->entranceTime});
  }
  return marks;
}

// ------------------------------------------------------------------ map

AllocationMap::AllocationMap(const DivisionOfLabour& labour, int cycles, int skills)
    : cycles_(std::max(0, cycles)), skills_(std::max(0, skills)), units_(labour.Units) {
  // Only units inside the committed grid are cells; a unit outside it could
  // not be drawn in its place.
  order_.reserve(units_.size());
  for (std::size_t i = 0; i < units_.size(); ++i) {
    const PerformedUnit& unit = units_[i];
    if (unit.task < 0 || unit.cycle < 0 || unit.cycle >= cycles_ || unit.skill < 0 || unit.skill >= skills_) continue;
    order_.push_back(i);
    tasks_ = std::max(tasks_, unit.task + 1);
  }
  tasks_ = std::max(tasks_, static_cast<int>(labour.Tasks.size()));
  std::stable_sort(order_.begin(), order_.end(), [this](std::size_t a, std::size_t b) {
    const std::int64_t ca = ColumnOf(units_[a]);
    const std::int64_t cb = ColumnOf(units_[b]);
    return ca != cb ? ca < cb : units_[a].skill < units_[b].skill;
  });
}

std::size_t AllocationMap::LowerBound(std::int64_t column) const {
  const auto it = std::lower_bound(order_.begin(), order_.end(), column,
                                   [this](std::size_t i, std::int64_t c) { return ColumnOf(units_[i]) < c; });
  return static_cast<std::size_t>(it - order_.begin());
}

std::optional<PerformedUnit> AllocationMap::CellAt(std::int64_t column, int skill) const {
  for (std::size_t i = LowerBound(column); i < order_.size(); ++i) {
    const PerformedUnit& unit = units_[order_[i]];
    if (ColumnOf(unit) != column || unit.skill > skill) break;
    if (unit.skill == skill) return unit;
  }
  return std::nullopt;
}

// ------------------------------------------------------------------ shares

std::int64_t SkillShares::Total(int phase, int agent) const {
  if (phase < 0 || phase > 1 || agent < 0 || agent >= static_cast<int>(units[phase].size())) return 0;
  std::int64_t total = 0;
  for (std::int64_t n : units[phase][agent]) total += n;
  return total;
}

std::vector<double> SkillShares::Shares(int phase, int agent) const {
  const std::int64_t total = Total(phase, agent);
  std::vector<double> shares;
  if (total <= 0) return shares;
  for (std::int64_t n : units[phase][agent]) shares.push_back(static_cast<double>(n) / static_cast<double>(total));
  return shares;
}

SkillShares SharesOf(const DivisionOfLabour& labour, int agents, int skills, int maxGroups) {
  SkillShares out;
  out.agents = std::max(0, agents);
  skills = std::max(0, skills);
  maxGroups = std::max(1, maxGroups);
  const int groups = std::min(skills, maxGroups);
  // Skill s belongs to group min(s, groups - 1): the last group gathers the rest.
  for (int g = 0; g < groups; ++g) {
    if (g == groups - 1 && skills > groups) {
      out.groups.push_back("Skills " + std::to_string(g + 1) + "-" + std::to_string(skills));
    } else {
      out.groups.push_back("Skill " + std::to_string(g + 1));
    }
  }
  for (auto& phase : out.units) {
    phase.assign(static_cast<std::size_t>(out.agents), std::vector<std::int64_t>(static_cast<std::size_t>(groups), 0));
  }
  for (std::size_t k = 0; k < labour.Tasks.size(); ++k) {
    for (int a = 0; a < out.agents; ++a) {
      for (int s = 0; s < skills; ++s) {
        const int g = std::min(s, groups - 1);
        out.units[0][a][g] += davrel3::UnitsBefore(labour, static_cast<int>(k), a, s);
        out.units[1][a][g] += davrel3::UnitsAfter(labour, static_cast<int>(k), a, s);
      }
    }
  }
  return out;
}

// ------------------------------------------------------------------ CSV

std::string IndexLineCsv(const std::vector<IndexPoint>& line, std::int64_t window) {
  std::string text = "round,task,timestep,dol_window_" + std::to_string(window) + "\n";
  for (const IndexPoint& p : line) {
    text += std::to_string(p.row) + "," + std::to_string(p.task + 1) + "," + std::to_string(p.timestep + 1) + "," +
            Number(p.value) + "\n";
  }
  return text;
}

std::string AllocationMapCsv(const AllocationMap& map) {
  std::string text = "task,cycle,skill,timestep,agent\n";
  map.ForEachCell(0, map.Columns(), [&](std::int64_t, const PerformedUnit& unit) {
    text += std::to_string(unit.task + 1) + "," + std::to_string(unit.cycle + 1) + "," +
            std::to_string(unit.skill + 1) + "," + std::to_string(unit.timestep + 1) + "," +
            std::to_string(unit.agent + 1) + "\n";
  });
  return text;
}

std::string SharesCsv(const SkillShares& shares) {
  std::string text = "agent,phase,skills,units,share\n";
  static const char* const kPhase[] = {"before", "after"};
  for (int a = 0; a < shares.agents; ++a) {
    for (int phase = 0; phase < 2; ++phase) {
      const std::int64_t total = shares.Total(phase, a);
      for (std::size_t g = 0; g < shares.groups.size(); ++g) {
        const std::int64_t n = shares.units[phase][a][g];
        text += std::to_string(a + 1) + "," + kPhase[phase] + "," + shares.groups[g] + "," + std::to_string(n) + "," +
                (total > 0 ? Number(static_cast<double>(n) / static_cast<double>(total)) : std::string()) + "\n";
      }
    }
  }
  return text;
}

}  // namespace labour_figures
