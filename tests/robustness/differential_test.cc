// The fast path of a run (per-column summaries, preferences computed once per
// change) against the straightforward scans: on many generated parameter sets
// both must give the same record, bit for bit, and show the user the same
// messages and cell texts in the same order.
#include <gtest/gtest.h>


#include "experiment/record.h"
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
  void TaskGridRebuilt() override { log.push_back("task grid"); }
  void TaskGridCellWritten(long long c, long long r, const std::string& text) override {
    log.push_back("task " + std::to_string(c) + "," + std::to_string(r) + " " + text);
  }
  void AllocationGridCellWritten(long long c, long long r, const std::string& text) override {
    log.push_back("allocation " + std::to_string(c) + "," + std::to_string(r) + " " + text);
  }
  void ShowStatesAgents() override { log.push_back("agents"); }
};

struct Outcome {
  std::vector<std::string> records;
  std::vector<std::string> log;
};

// A parameter set drawn from the seed: a configuration, radio items, typed
// texts, a commit, and one or two runs.
Outcome RunParameterSet(unsigned seed, bool fast) {
  SeededSource source(seed);
  InMemoryPanel panel;
  Workbench bench(panel);
  LoggingObserver observer;
  bench.SetObserver(&observer);
  Outcome outcome;
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
  } catch (const std::exception& e) {
    outcome.records.push_back(std::string("refused ") + e.what());
    return outcome;
  }
  bench.State().FastScans = fast;
  const int runs = 1 + static_cast<int>(source.Next(2));
  for (int r = 0; r < runs; ++r) {
    try {
      if (r > 0) bench.OKButtonClick();
      const auto parameters = ReadParameters(panel);
      const RunOutcome result = bench.StartButtonClick();
      outcome.records.push_back(RunRecord(bench, result, parameters));
    } catch (const std::exception& e) {
      outcome.records.push_back(std::string("refused ") + e.what());
    }
  }
  outcome.log = std::move(observer.log);
  return outcome;
}

#ifdef DAVREL3_SANITIZED
constexpr unsigned kParameterSets = 100;  // the sanitizers slow every run down
#else
constexpr unsigned kParameterSets = 300;
#endif

TEST(FastPath, GivesTheSameRecordsAndDisplaysAsTheStraightforwardScans) {
  int ran = 0;
  for (unsigned seed = 1; seed <= kParameterSets; ++seed) {
    const Outcome straightforward = RunParameterSet(seed, false);
    const Outcome fast = RunParameterSet(seed, true);
    ASSERT_EQ(fast.records.size(), straightforward.records.size()) << "seed " << seed;
    for (std::size_t r = 0; r < fast.records.size(); ++r) {
      ASSERT_TRUE(fast.records[r] == straightforward.records[r]) << "seed " << seed << " run " << r;
      if (fast.records[r].rfind("refused", 0) != 0) ++ran;
    }
    ASSERT_EQ(fast.log, straightforward.log) << "seed " << seed;
  }
  // The generated sets must mostly get through their commit to test anything.
  EXPECT_GT(ran, static_cast<int>(kParameterSets) / 2);
}

TEST(FastPath, SameRecordsForTheNamedConfigurationsAndTheDesign) {
  for (const auto& configuration : Configurations()) {
    std::string records[2];
    for (int fast = 0; fast < 2; ++fast) {
      InMemoryPanel panel;
      Workbench bench(panel);
      StartUp(bench);
      (bench.*configuration.apply)();
      bench.State().FastScans = fast == 1;
      const auto parameters = ReadParameters(panel);
      records[fast] = RunRecord(bench, bench.StartButtonClick(), parameters);
    }
    EXPECT_TRUE(records[0] == records[1]) << configuration.name;
  }
}

}  // namespace
}  // namespace davrel3::testing
