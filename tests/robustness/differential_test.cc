// The shipped allocation (preferences computed once per change, counts from
// the column index) against the straightforward scans of scan_allocation.h:
// at the start of every task and after every timestep of runs on many
// generated parameter sets and on every named configuration, both allocate
// the next timestep from the same state, and must leave the same marks,
// drives and units and show the same messages and cell texts in the same
// order. A fault (a zero denominator) must be the same fault.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "experiment/record.h"
#include "scan_allocation.h"
#include "sequences.h"

namespace davrel3::testing {
namespace {

class LoggingObserver : public RunObserver {
 public:
  std::vector<std::string> log;
  bool IsIndicated(Indicator) const override { return true; }
  void ShowMessage(const std::string& text) override { log.push_back("message " + text); }
  void WriteDisplayEdit(DisplayEdit edit, const std::string& text) override {
    log.push_back("edit " + std::to_string(static_cast<int>(edit)) + " " + text);
  }
  void TaskGridCellWritten(long long c, long long r, const std::string& text) override {
    log.push_back("task " + std::to_string(c) + "," + std::to_string(r) + " " + text);
  }
};

// Every bit of the number.
std::string Exact(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%a", value);
  return text;
}

// What an allocation leaves behind that anything later reads.
std::string Summary(const ModelState& state, const std::vector<std::string>& log, const std::string& fault) {
  std::string out = fault + "|" + std::to_string(state.Task.AllocatedCount) + "|";
  for (const auto& agent : state.System.Agents) {
    out += agent.Available ? 'A' : 'a';
    out += agent.Present ? 'P' : 'p';
    for (const auto& skill : agent.Skills) {
      out += skill.Chosen ? 'C' : 'c';
      out += skill.Loser ? 'L' : 'l';
      out += skill.UnitsOpen ? 'U' : 'u';
      out += Exact(skill.IValue) + "," + Exact(skill.YouValue) + ";";
    }
    out += "\n";
  }
  for (int c = 0; c < state.Task.Cycles; ++c) {
    for (int j = 0; j < state.Task.UnitColumns; ++j) out += TaskUnit(state.Task, c, j).Open ? 'o' : '.';
    out += "\n";
  }
  for (const auto& line : log) out += line + "\n";
  return out;
}

// Compares both allocations on copies of the running group, wherever the run
// stands before an allocation: right after a task's units were reset, and
// after every timestep.
class OracleObserver : public RunObserver {
 public:
  OracleObserver(const ModelState& state, const ParameterPanel& panel) : state_(state), panel_(panel) {}

  int compared = 0;
  int differing = 0;
  std::string firstDifference;

  bool IsIndicated(Indicator) const override { return true; }
  void TaskGridRebuilt() override { Compare(); }
  bool CancelRequested() override {
    Compare();
    return false;
  }

 private:
  static constexpr int kComparisonsPerRun = 3000;

  template <typename Allocate>
  std::string AllocateCopy(Allocate allocate) {
    ModelState copy;
    copy.System = state_.System;
    copy.Task = state_.Task;
    copy.WindowStart = state_.WindowStart;
    copy.TaskGrid = state_.TaskGrid;
    InMemoryPanel panel;
    LoggingObserver observer;
    RunContext ctx{copy, panel, observer, *parameters_};
    std::string fault;
    try {
      allocate(ctx, 1000 + compared);
    } catch (const RunFault& e) {
      fault = e.what();
    }
    return Summary(copy, observer.log, fault);
  }

  void Compare() {
    if (compared >= kComparisonsPerRun) return;
    if (!parameters_) parameters_ = ReadRunParameters(panel_, *this);
    const std::string shipped = AllocateCopy([](RunContext& ctx, long long n) { AllocateTimestep(ctx, n); });
    const std::string oracle = AllocateCopy([](RunContext& ctx, long long n) { scan::AllocateTimestep(ctx, n); });
    ++compared;
    if (shipped != oracle) {
      if (differing == 0) firstDifference = "shipped:\n" + shipped + "\nscans:\n" + oracle;
      ++differing;
    }
  }

  const ModelState& state_;
  const ParameterPanel& panel_;
  std::optional<ParameterSet> parameters_;
};

struct Comparison {
  bool ran = false;
  int compared = 0;
  int differing = 0;
  std::string firstDifference;
};

Comparison RunAndCompare(Workbench& bench, InMemoryPanel& panel, int runs) {
  Comparison result;
  for (int r = 0; r < runs; ++r) {
    OracleObserver observer(bench.State(), panel);
    bench.SetObserver(&observer);
    try {
      if (r > 0) bench.OKButtonClick();
      const RunOutcome outcome = bench.StartButtonClick();
      result.ran = result.ran || outcome.status != RunStatus::Refused;
    } catch (const std::exception&) {
      // refused before the run: nothing to compare
    }
    bench.SetObserver(nullptr);
    result.compared += observer.compared;
    result.differing += observer.differing;
    if (result.firstDifference.empty()) result.firstDifference = observer.firstDifference;
  }
  return result;
}

// A parameter set drawn from the seed: a configuration, radio items, typed
// texts, a commit, and one or two runs.
Comparison CompareOnParameterSet(unsigned seed) {
  SeededSource source(seed);
  InMemoryPanel panel;
  Workbench bench(panel);
  try {
    StartUp(bench);
    if (source.Next(2)) (bench.*Configurations()[source.Next(Configurations().size())].apply)();
    for (int c = 0; c < kChoiceCount; ++c) panel.SetItemIndex(static_cast<Choice>(c), static_cast<int>(source.Next(3)));
    const int typed = static_cast<int>(source.Next(8));
    for (int i = 0; i < typed; ++i) {
      const auto field = static_cast<Field>(source.Next(kFieldCount - 1));
      panel.SetText(field, TextFor(field, source));
    }
    if (source.Next(2)) {
      bench.DefineButtonClick();
    } else {
      bench.OKButtonClick();
    }
    if (source.Next(3) == 0) ApplyRotationLevels(bench);
  } catch (const std::exception&) {
    return {};
  }
  return RunAndCompare(bench, panel, 1 + static_cast<int>(source.Next(2)));
}

#ifdef DAVREL3_SANITIZED
constexpr unsigned kParameterSets = 60;  // the sanitizers slow every run down
#else
constexpr unsigned kParameterSets = 300;
#endif

TEST(ShippedAllocation, AllocatesAsTheStraightforwardScansOnGeneratedParameterSets) {
  int ran = 0;
  long long compared = 0;
  for (unsigned seed = 1; seed <= kParameterSets; ++seed) {
    const Comparison result = CompareOnParameterSet(seed);
    ASSERT_EQ(result.differing, 0) << "seed " << seed << "\n" << result.firstDifference;
    ran += result.ran;
    compared += result.compared;
  }
  // The generated sets must mostly get through their commit to test anything.
  EXPECT_GT(ran, static_cast<int>(kParameterSets) / 2);
  EXPECT_GT(compared, 10 * static_cast<long long>(kParameterSets));
}

TEST(ShippedAllocation, AllocatesAsTheStraightforwardScansInTheNamedConfigurations) {
  for (const auto& configuration : Configurations()) {
    InMemoryPanel panel;
    Workbench bench(panel);
    StartUp(bench);
    (bench.*configuration.apply)();
    const Comparison result = RunAndCompare(bench, panel, 1);
    EXPECT_TRUE(result.ran) << configuration.name;
    EXPECT_GT(result.compared, 3) << configuration.name;
    EXPECT_EQ(result.differing, 0) << configuration.name << "\n" << result.firstDifference;
  }
}

}  // namespace
}  // namespace davrel3::testing
