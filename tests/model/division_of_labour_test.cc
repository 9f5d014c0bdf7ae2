// The division-of-labour index on hand-built tables with known values, the
// counting of performed units, the sliding window, and the counts of whole
// runs checked against the allocation grid the same runs write.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>

#include "model/division_of_labour.h"
#include "test_support.h"

namespace davrel3 {
namespace {

using Counts = std::vector<std::int64_t>;

TEST(LabourIndex, KnownTables) {
  // Agents and skills one to one (three agents, three skills, unequal loads).
  EXPECT_NEAR(*LabourIndex(Counts{5, 0, 0, 0, 2, 0, 0, 0, 9}, 3, 3), 1.0, 1e-15);
  // One to one with an agent that performs nothing: still 1.
  EXPECT_NEAR(*LabourIndex(Counts{0, 4, 0, 0, 4, 0}, 3, 2), 1.0, 1e-15);
  // Uniform mixture: every agent does as much of every skill.
  EXPECT_NEAR(*LabourIndex(Counts{7, 7, 7, 7, 7, 7, 7, 7, 7}, 3, 3), 0.0, 1e-15);
  EXPECT_EQ(*LabourIndex(Counts{2, 2, 2, 2}, 2, 2), 0.0);
  // Independent but not uniform (p(a,s) = p(a) p(s)): 0 as well.
  EXPECT_NEAR(*LabourIndex(Counts{1, 3, 2, 6}, 2, 2), 0.0, 1e-15);
  // One agent does everything, one skill holds everything: nothing is divided.
  EXPECT_EQ(*LabourIndex(Counts{0, 0, 0, 3, 1, 7}, 2, 3), 0.0);
  EXPECT_EQ(*LabourIndex(Counts{0, 4, 0, 9}, 2, 2), 0.0);
  EXPECT_EQ(*LabourIndex(Counts{1}, 1, 1), 0.0);
  // No unit at all: undefined.
  EXPECT_FALSE(LabourIndex(Counts{0, 0, 0, 0}, 2, 2).has_value());
  EXPECT_FALSE(LabourIndex(Counts{}, 0, 0).has_value());
  // A table smaller than agents x skills is not read past its end.
  EXPECT_FALSE(LabourIndex(Counts{1, 2}, 2, 2).has_value());
}

TEST(LabourIndex, WorkedTwoByTwoCase) {
  // n = [[3, 1], [1, 3]], N = 8: p(a,s) = 3/8 and 1/8, every marginal 1/2, so
  // H(A) = H(S) = ln 2 and I = 3/4 ln(3/2) + 1/4 ln(1/2)
  //   = 0.304098831... - 0.173286795... = 0.130812036...
  // dol = I / ln 2 = 0.188721875540867 (that is 1 - H2(1/4), H2 in bits).
  const double dol = *LabourIndex(Counts{3, 1, 1, 3}, 2, 2);
  EXPECT_NEAR(dol, 0.188721875540867, 1e-14);
  EXPECT_NEAR(dol, (0.75 * std::log(1.5) + 0.25 * std::log(0.5)) / std::log(2.0), 1e-15);
  // The index does not care which agent is called which, nor the scale of n.
  EXPECT_NEAR(*LabourIndex(Counts{1, 3, 3, 1}, 2, 2), dol, 1e-15);
  EXPECT_NEAR(*LabourIndex(Counts{30, 10, 10, 30}, 2, 2), dol, 1e-15);
}

TEST(LabourIndex, AnAgentHoldingTwoSkillsAloneGivesLessThanOne) {
  // Agent 1 alone does skills 1 and 2, agent 2 alone skill 3: I = H(A), so
  // dol = sqrt(H(A) / H(S)) with H(A) = H(2/3, 1/3) and H(S) = ln 3.
  const double hA = -(2.0 / 3 * std::log(2.0 / 3) + 1.0 / 3 * std::log(1.0 / 3));
  const double dol = *LabourIndex(Counts{1, 1, 0, 0, 0, 1}, 2, 3);
  EXPECT_NEAR(dol, std::sqrt(hA / std::log(3.0)), 1e-15);
  EXPECT_LT(dol, 1.0);
  EXPECT_GT(dol, 0.7);
}

UnitPerformance Unit(int k, long long t, int agent, int skill, int cycle = 0) {
  UnitPerformance u;
  u.task = k;
  u.timestep = t;
  u.row = 100 * k + t + 1;
  u.agent = agent;
  u.skill = skill;
  u.cycle = cycle;
  u.agents = 3;
  u.skills = 2;
  u.entranceTime = 4;
  u.taskUnits = 10;
  return u;
}

TEST(LabourCounts, SplitAtTheEntranceAndGiveThreeValuesPerTask) {
  DivisionOfLabour labour;
  // Before the entrance agents 1 and 2 split skills 1 and 2 cleanly; from
  // timestep 4 on (the entrance) agent 3 does a bit of both.
  for (long long t = 0; t < 4; ++t) {
    CountPerformedUnit(labour, Unit(0, t, 0, 0, static_cast<int>(t)));
    CountPerformedUnit(labour, Unit(0, t, 1, 1, static_cast<int>(t)));
  }
  CountPerformedUnit(labour, Unit(0, 4, 2, 0, 4));
  CountPerformedUnit(labour, Unit(0, 5, 2, 1, 4));
  EXPECT_EQ(UnitsBefore(labour, 0, 0, 0), 4);
  EXPECT_EQ(UnitsBefore(labour, 0, 2, 0), 0);
  EXPECT_EQ(UnitsAfter(labour, 0, 2, 0), 1);
  EXPECT_EQ(UnitsAfter(labour, 0, 2, 1), 1);
  EXPECT_EQ(UnitsAfter(labour, 0, 7, 1), 0);   // no such agent
  EXPECT_EQ(UnitsBefore(labour, 3, 0, 0), 0);  // no such task
  const LabourMeasures m = LabourMeasuresOf(labour, 0);
  EXPECT_NEAR(*m.dolBefore, 1.0, 1e-15);
  EXPECT_EQ(*m.dolAfter, 0.0);  // one agent alone after the entrance
  EXPECT_EQ(*m.dol, *LabourIndex(Counts{4, 0, 0, 4, 1, 1}, 3, 2));
  // A task whose units all come before the entrance has no value after it.
  CountPerformedUnit(labour, Unit(1, 0, 0, 0));
  const LabourMeasures second = LabourMeasuresOf(labour, 1);
  EXPECT_EQ(*second.dolBefore, 0.0);
  EXPECT_FALSE(second.dolAfter.has_value());
  // A task without units has no value at all.
  EXPECT_FALSE(LabourMeasuresOf(labour, 2).dol.has_value());
  EXPECT_FALSE(LabourMeasuresOf(labour, -1).dol.has_value());
  EXPECT_EQ(labour.Units.size(), 11u);
  // Units outside the committed group are not counted.
  CountPerformedUnit(labour, Unit(0, 6, 3, 0));
  CountPerformedUnit(labour, Unit(0, 6, 0, 2));
  EXPECT_EQ(labour.Units.size(), 11u);
  ResetDivisionOfLabour(labour);
  EXPECT_TRUE(labour.Tasks.empty());
  EXPECT_TRUE(labour.Units.empty());
}

TEST(LabourCounts, WithoutTheUnitLogTheCountsStay) {
  DivisionOfLabour labour;
  labour.KeepUnits = false;
  CountPerformedUnit(labour, Unit(0, 0, 0, 0));
  CountPerformedUnit(labour, Unit(0, 5, 1, 1));
  EXPECT_TRUE(labour.Units.empty());
  EXPECT_EQ(UnitsBefore(labour, 0, 0, 0), 1);
  EXPECT_EQ(UnitsAfter(labour, 0, 1, 1), 1);
}

// A timestep's counter against counting every unit on its own: the same
// counts, the same last timestep, the same log, after every timestep, for
// units inside and outside the group, on both sides of the entrance, across a
// task's first unit, a second task and a task laid out for a smaller group.
TEST(LabourCounts, ATimestepsCounterCountsAsEachUnitAlone) {
  struct Performed {
    int agent, skill, cycle;
  };
  struct Timestep {
    int task;
    long long t;
    int agents;  // the group's size as the unit reports it
    std::vector<Performed> units;
  };
  const std::vector<Timestep> timesteps = {
      {0, 0, 3, {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}}},
      // The first unit outside; then units just beyond the last agent and skill.
      {0, 3, 3, {{5, 0, 2}, {0, 1, 1}, {2, 9, 1}, {-1, 0, 3}, {1, 2, 2}, {3, 1, 2}, {2, 1, 2}, {0, -4, 3}}},
      {0, 4, 3, {{2, 0, 3}, {2, 0, 4}, {1, 1, 3}}},  // the entrance
      {0, 9, 3, {{0, 0, 5}}},
      {1, 0, 3, {{3, 0, 0}, {1, 0, 0}, {1, 1, 0}}},  // a new task, begun by a unit outside
      {-1, 2, 3, {{0, 0, 0}}},                        // no such task
      // Task 2 laid out for two agents, then counted for a group of three.
      {2, 0, 2, {{1, 1, 0}}},
      {2, 1, 3, {{0, 0, 0}, {2, 0, 0}, {1, 0, 1}, {2, 1, 1}}},
  };
  for (const bool keepUnits : {false, true}) {
    DivisionOfLabour alone;
    DivisionOfLabour together;
    alone.KeepUnits = together.KeepUnits = keepUnits;
    for (const Timestep& step : timesteps) {
      UnitPerformance timestep = Unit(step.task, step.t, 0, 0);
      timestep.agents = step.agents;
      TimestepUnits counter(together, timestep);
      for (const Performed& unit : step.units) {
        UnitPerformance one = timestep;
        one.agent = unit.agent;
        one.skill = unit.skill;
        one.cycle = unit.cycle;
        CountPerformedUnit(alone, one);
        counter.Count(unit.agent, unit.skill, unit.cycle);
      }
      const std::string where = "task " + std::to_string(step.task) + " t " + std::to_string(step.t);
      ASSERT_EQ(together.Tasks.size(), alone.Tasks.size()) << where;
      for (std::size_t k = 0; k < alone.Tasks.size(); ++k) {
        EXPECT_EQ(together.Tasks[k].before, alone.Tasks[k].before) << where << ", task " << k;
        EXPECT_EQ(together.Tasks[k].after, alone.Tasks[k].after) << where << ", task " << k;
        EXPECT_EQ(together.Tasks[k].lastTimestep, alone.Tasks[k].lastTimestep) << where << ", task " << k;
      }
      ASSERT_EQ(together.Units.size(), alone.Units.size()) << where;
    }
    EXPECT_EQ(together.Units.size(), keepUnits ? 14u : 0u);
    for (std::size_t u = 0; u < alone.Units.size(); ++u) {
      EXPECT_EQ(together.Units[u].agent, alone.Units[u].agent);
      EXPECT_EQ(together.Units[u].skill, alone.Units[u].skill);
      EXPECT_EQ(together.Units[u].cycle, alone.Units[u].cycle);
    }
    EXPECT_EQ(UnitsBefore(together, 0, 2, 0), 1);
    EXPECT_EQ(UnitsAfter(together, 0, 2, 0), 2);
    EXPECT_EQ(UnitsBefore(together, 1, 1, 1), 1);
    // Task 2 counts only the agents it was laid out for.
    EXPECT_EQ(UnitsBefore(together, 2, 1, 0), 1);
    EXPECT_EQ(UnitsBefore(together, 2, 2, 0), 0);
  }
}

TEST(RollingLabourIndex, WindowOfRecentTimestepsWithinEachTask) {
  DivisionOfLabour labour;
  // Task 0: t 0-1 clean split, t 2-3 both agents on both skills.
  CountPerformedUnit(labour, Unit(0, 0, 0, 0));
  CountPerformedUnit(labour, Unit(0, 0, 1, 1));
  CountPerformedUnit(labour, Unit(0, 1, 0, 0));
  CountPerformedUnit(labour, Unit(0, 1, 1, 1));
  CountPerformedUnit(labour, Unit(0, 2, 0, 1));
  CountPerformedUnit(labour, Unit(0, 2, 1, 0));
  CountPerformedUnit(labour, Unit(0, 3, 0, 0));
  CountPerformedUnit(labour, Unit(0, 3, 1, 1));
  // Task 1: a gap at t 1 (nothing performed), then one agent.
  CountPerformedUnit(labour, Unit(1, 0, 0, 0));
  CountPerformedUnit(labour, Unit(1, 2, 0, 1));

  const auto points = RollingLabourIndex(labour, 2);
  ASSERT_EQ(points.size(), 7u);  // t 0..3 of task 0, t 0..2 of task 1
  EXPECT_NEAR(*points[0].value, 1.0, 1e-15);
  EXPECT_NEAR(*points[1].value, 1.0, 1e-15);
  EXPECT_NEAR(*points[2].value, *LabourIndex(Counts{1, 1, 1, 1}, 2, 2), 1e-15);  // t 1-2
  EXPECT_EQ(*points[2].value, 0.0);
  EXPECT_EQ(*points[3].value, *LabourIndex(Counts{1, 1, 1, 1}, 2, 2));  // t 2-3
  EXPECT_EQ(points[3].row, 4);
  // Task 1 starts afresh: its window does not reach into task 0.
  EXPECT_EQ(points[4].task, 1);
  EXPECT_EQ(points[4].row, 101);
  EXPECT_EQ(*points[4].value, 0.0);  // one agent
  EXPECT_EQ(*points[5].value, 0.0);  // t 0-1: only the unit of t 0
  EXPECT_EQ(*points[6].value, 0.0);

  // A window of one timestep with nothing performed in it is undefined.
  const auto single = RollingLabourIndex(labour, 1);
  ASSERT_EQ(single.size(), 7u);
  EXPECT_FALSE(single[5].value.has_value());
  // A window as long as the task gives the task's own index at its end.
  const auto whole = RollingLabourIndex(labour, 1000);
  EXPECT_EQ(*whole[3].value, *LabourMeasuresOf(labour, 0).dol);
}

// The counts of a run, rebuilt from the allocation grid texts ("t/a" with the
// run-wide timestep and the agent, both from 1) that the same run wrote.
using GridCounts = std::map<std::tuple<int, int, int, bool>, long long>;  // (task, agent, skill, after)

GridCounts CountsFromGrid(const ModelState& state, int tasks) {
  GridCounts counts;
  const int cycles = state.Task.Cycles;
  const int skills = CommittedSkills(state.System);
  for (int k = 0; k < tasks; ++k) {
    for (int c = 0; c < cycles; ++c) {
      for (int s = 0; s < skills; ++s) {
        const std::string& text = state.AllocationGrid.Cell(static_cast<long long>(k) * cycles + c + 1, s + 1);
        if (text.empty()) continue;
        std::istringstream in(text);
        long long timestep = 0;
        char slash = 0;
        int agent = 0;
        in >> timestep >> slash >> agent;
        const long long t = timestep - 1 - static_cast<long long>(kTaskStride) * k;
        counts[{k, agent - 1, s, t >= state.System.EntranceTime}] += 1;
      }
    }
  }
  return counts;
}

TEST(LabourCounts, RunsCountEveryPerformedUnitOnce) {
  // The start-up run (one task of 1000 units, the newcomer from timestep 100)
  // and a Fit run with a generalist newcomer.
  for (int fit : {0, 1}) {
    testing::Bench b;
    if (fit == 1) {
      b.panel.SetItemIndex(Choice::FitNoFit, 1);
      b.panel.SetItemIndex(Choice::Newcomer, 2);
      b.panel.SetItemIndex(Choice::HiLo, 2);
      b.bench.DefineButtonClick();
    }
    ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
    const ModelState& state = b.State();
    const DivisionOfLabour& labour = state.Labour;
    ASSERT_EQ(labour.Tasks.size(), 1u);
    EXPECT_EQ(static_cast<std::int64_t>(labour.Units.size()), state.Task.NrOfUnits);
    const auto fromGrid = CountsFromGrid(state, 1);
    long long total = 0;
    const int agents = static_cast<int>(state.System.Agents.size());
    for (int a = 0; a < agents; ++a) {
      for (int s = 0; s < CommittedSkills(state.System); ++s) {
        const auto before = fromGrid.count({0, a, s, false}) ? fromGrid.at({0, a, s, false}) : 0;
        const auto after = fromGrid.count({0, a, s, true}) ? fromGrid.at({0, a, s, true}) : 0;
        EXPECT_EQ(UnitsBefore(labour, 0, a, s), before) << fit << " agent " << a << " skill " << s;
        EXPECT_EQ(UnitsAfter(labour, 0, a, s), after) << fit << " agent " << a << " skill " << s;
        total += UnitsBefore(labour, 0, a, s) + UnitsAfter(labour, 0, a, s);
      }
    }
    EXPECT_EQ(total, state.Task.NrOfUnits);
    // The newcomer performs nothing before its entrance and something after.
    long long newcomerBefore = 0, newcomerAfter = 0;
    for (int s = 0; s < CommittedSkills(state.System); ++s) {
      newcomerBefore += UnitsBefore(labour, 0, kNewcomerIndex, s);
      newcomerAfter += UnitsAfter(labour, 0, kNewcomerIndex, s);
    }
    EXPECT_EQ(newcomerBefore, 0);
    EXPECT_GT(newcomerAfter, 0);
    const LabourMeasures m = LabourMeasuresOf(labour, 0);
    ASSERT_TRUE(m.dol && m.dolBefore && m.dolAfter);
    for (double v : {*m.dol, *m.dolBefore, *m.dolAfter}) {
      EXPECT_GE(v, 0.0);
      EXPECT_LE(v, 1.0 + 1e-12);
    }
    // A second START after a commit counts afresh.
    b.bench.OKButtonClick();
    ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
    EXPECT_EQ(static_cast<std::int64_t>(b.State().Labour.Units.size()), b.State().Task.NrOfUnits);
  }
}

TEST(LabourCounts, SeveralTasksKeepTheirOwnTimesteps) {
  testing::Bench b;
  b.CommitConstant(3, 3, 4, 3, 3, 0);
  b.SetLevels([](int i, int j) { return std::pair{i == j ? 20.0 : 12.0, i == j ? 20.0 : 12.0}; });
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  const DivisionOfLabour& labour = b.State().Labour;
  ASSERT_EQ(labour.Tasks.size(), 3u);
  const auto fromGrid = CountsFromGrid(b.State(), 3);
  for (int k = 0; k < 3; ++k) {
    for (int a = 0; a < 3; ++a) {
      for (int s = 0; s < 3; ++s) {
        const auto units = fromGrid.count({k, a, s, false}) ? fromGrid.at({k, a, s, false}) : 0;
        EXPECT_EQ(UnitsBefore(labour, k, a, s), units) << k << " " << a << " " << s;
      }
    }
    EXPECT_EQ(labour.Tasks[k].lastTimestep, 3) << k;  // four cycles, one per timestep
    EXPECT_NEAR(*LabourMeasuresOf(labour, k).dol, 1.0, 1e-15) << k;
  }
  // History rows run on across tasks: task 2 starts after two tasks of 4 timesteps.
  EXPECT_EQ(labour.Tasks[2].firstRow, 9);
}

}  // namespace
}  // namespace davrel3
