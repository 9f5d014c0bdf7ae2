// The numbers behind the "Division of labour" page's three figures, from the
// division of labour a run counted: the sliding index as a line, the
// allocation map's cells, and each agent's shares of units per skill before
// and after the newcomer's entrance. Standard library only: no widget, no
// state, so the figures can be checked without a window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/division_of_labour.h"

namespace labour_figures {

// One point of the index line: x is the history row (the "Rounds" of the
// other charts), the value the index over the window ending there.
struct IndexPoint {
  int task = 0;
  std::int64_t timestep = 0;  // t within the task, from 0
  std::int64_t row = 0;
  double value = 0;
};

// The points of RollingLabourIndex that have a value, in order. A timestep
// whose window holds no unit has no value and no point: the line runs on.
std::vector<IndexPoint> IndexLine(const davrel3::DivisionOfLabour& labour, std::int64_t window);

// Where the newcomer enters: the history row of timestep EntranceTime of
// every task that performed a unit at or after it.
struct EntranceMark {
  int task = 0;
  std::int64_t timestep = 0;
  std::int64_t row = 0;
};
std::vector<EntranceMark> EntranceMarks(const davrel3::DivisionOfLabour& labour);

// The allocation map: column k * cycles + c for cycle c of task k, row s for
// skill column s; each performed unit is one cell. Built once per run, it
// finds the cells of any range of columns without a picture of the whole.
class AllocationMap {
 public:
  AllocationMap() = default;
  // `cycles` is the committed cycles per task, `skills` the committed skills.
  AllocationMap(const davrel3::DivisionOfLabour& labour, int cycles, int skills);

  int Cycles() const { return cycles_; }
  int Skills() const { return skills_; }
  int Tasks() const { return tasks_; }
  std::int64_t Columns() const { return static_cast<std::int64_t>(tasks_) * cycles_; }
  std::int64_t CellCount() const { return static_cast<std::int64_t>(order_.size()); }

  // The units whose column lies in [firstColumn, endColumn), by column.
  template <typename Visit>
  void ForEachCell(std::int64_t firstColumn, std::int64_t endColumn, Visit&& visit) const {
    if (cycles_ <= 0 || order_.empty()) return;
    auto begin = LowerBound(firstColumn);
    for (std::size_t i = begin; i < order_.size(); ++i) {
      const davrel3::PerformedUnit& unit = units_[order_[i]];
      const std::int64_t column = ColumnOf(unit);
      if (column >= endColumn) break;
      visit(column, unit);
    }
  }
  // The unit in (column, skill row), if one was performed there.
  std::optional<davrel3::PerformedUnit> CellAt(std::int64_t column, int skill) const;
  std::int64_t ColumnOf(const davrel3::PerformedUnit& unit) const {
    return static_cast<std::int64_t>(unit.task) * cycles_ + unit.cycle;
  }

 private:
  std::size_t LowerBound(std::int64_t column) const;

  int cycles_ = 0;
  int skills_ = 0;
  int tasks_ = 0;
  std::vector<davrel3::PerformedUnit> units_;
  // Indices into units_, sorted by column, then skill.
  std::vector<std::size_t> order_;
};

// Each agent's shares of its units per skill, over all tasks, before and
// after the entrance. At most `maxGroups` skill groups: with more skills the
// last group holds all skills from there on, so the shares still sum to 1.
struct SkillShares {
  int agents = 0;
  // The skill groups' labels: "Skill 1", ..., or "Skills 24-40".
  std::vector<std::string> groups;
  // units[phase][agent][group], phase 0 before, 1 after.
  std::vector<std::vector<std::int64_t>> units[2];

  std::int64_t Total(int phase, int agent) const;
  // units / total; empty when the agent performed nothing in that phase.
  std::vector<double> Shares(int phase, int agent) const;
};
SkillShares SharesOf(const davrel3::DivisionOfLabour& labour, int agents, int skills, int maxGroups);

// The three figures as CSV tables (comma-separated, one line per row, ended
// by "\n"; numbers in the shortest text that reads back the same value).
std::string IndexLineCsv(const std::vector<IndexPoint>& line, std::int64_t window);
std::string AllocationMapCsv(const AllocationMap& map);
std::string SharesCsv(const SkillShares& shares);

}  // namespace labour_figures
