// Model time of the runs researchers do most: the start-up condition, the
// whole design, and groups as large as the up-downs allow.
#include <benchmark/benchmark.h>

#include "experiment/memory_budget.h"
#include "experiment/run_memory.h"
#include "experiment/session.h"
#include "experiment/sweep.h"
#include "model/dynamics.h"
#include "model/int_text.h"

namespace {

using namespace davrel3;

void BM_StartupCondition(benchmark::State& state) {
  for (auto _ : state) {
    InMemoryPanel panel;
    Workbench bench(panel);
    StartUp(bench);
    bench.DefineButtonClick();
    const RunOutcome outcome = bench.StartButtonClick();
    benchmark::DoNotOptimize(outcome.timesteps);
  }
}
BENCHMARK(BM_StartupCondition)->Unit(benchmark::kMillisecond);

void BM_Design(benchmark::State& state) {
  for (auto _ : state) {
    const auto rows = RunDesign(SessionOptions{});
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_Design)->Unit(benchmark::kMillisecond);

// The plan of a sweep written as the command line takes it.
SweepPlan PlanOf(std::initializer_list<const char*> sweeps, bool design) {
  SweepPlan plan;
  plan.design = design;
  for (const char* text : sweeps) {
    Sweep sweep;
    if (ParseSweep(text, sweep)) throw std::logic_error(std::string("bad sweep ") + text);
    plan.sweeps.push_back(sweep);
  }
  return plan;
}

// Runs the whole plan on `threads` threads; returns the timesteps of all rows.
long long RunPlan(const SweepPlan& plan, int threads) {
  long long timesteps = 0;
  RunSweep(SessionOptions{}, plan, 0, plan.Runs(), threads, false, nullptr, [&](long long, const TableRun& result) {
    for (const auto& row : result.rows) timesteps += row.timesteps;
  });
  return timesteps;
}

// --design --sweep LearnSpeed=1:100:1 --threads 1: 1,800 table runs of the
// 6 x 5 group. ns_per_update is the time per agent-skill-timestep, to set
// against BM_StateRulesOnly/6/5.
void BM_DesignSweep(benchmark::State& state) {
  const SweepPlan plan = PlanOf({"LearnSpeed=1:100:1"}, true);
  long long timesteps = 0;
  for (auto _ : state) timesteps = RunPlan(plan, 1);
  state.counters["timesteps"] = static_cast<double>(timesteps);
  state.counters["ns_per_update"] = benchmark::Counter(static_cast<double>(timesteps * 6 * 5) * 1e-9,
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_DesignSweep)->UseRealTime()->Unit(benchmark::kMillisecond);

// The README's sweep (--design --sweep LearnSpeed=20:100:20 --sweep
// Bore=0:100:25, 450 runs) on 1 and 2 threads, in wall-clock time.
void BM_ReadmeSweep(benchmark::State& state) {
  const SweepPlan plan = PlanOf({"LearnSpeed=20:100:20", "Bore=0:100:25"}, true);
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(RunPlan(plan, threads));
}
BENCHMARK(BM_ReadmeSweep)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// A group of `agents` agents with `skills` skills, one task of `cycles`
// cycles using every skill, all levels 14 + ((a + s - 2) mod 5).
void BM_Scale(benchmark::State& state) {
  const auto agents = state.range(0);
  const auto skills = state.range(1);
  const auto cycles = state.range(2);
  long long timesteps = 0;
  for (auto _ : state) {
    state.PauseTiming();
    InMemoryPanel panel;
    Workbench bench(panel);
    // The runner's default budget (half the machine's memory), so that the
    // largest group's history, about 2 GB, has room to finish.
    SetMemoryBudget(bench, DefaultMemoryBudget());
    StartUp(bench);
    panel.SetText(Field::NrofAg, IntToStr(agents));
    panel.SetText(Field::NrofSkills, IntToStr(skills));
    panel.SetText(Field::Action, IntToStr(skills));
    panel.SetText(Field::Cycle, IntToStr(cycles));
    bench.OKButtonClick();
    ApplyRotationLevels(bench);
    state.ResumeTiming();
    const RunOutcome outcome = bench.StartButtonClick();
    timesteps = 0;
    for (long long t : outcome.timesteps) timesteps += t;
  }
  state.counters["timesteps"] = static_cast<double>(timesteps);
  // Time per timestep, to compare sizes (doubling agents and skills should at
  // most quadruple it).
  state.counters["per_timestep"] = benchmark::Counter(static_cast<double>(timesteps),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
  // Agent-skill updates per timestep, to compare sizes.
  state.counters["updates"] = benchmark::Counter(static_cast<double>(timesteps * agents * skills),
                                                 benchmark::Counter::kIsIterationInvariantRate);
  // The same as time per agent-skill update, to set against BM_StateRulesOnly.
  state.counters["ns_per_update"] = benchmark::Counter(static_cast<double>(timesteps * agents * skills) * 1e-9,
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_Scale)
    ->Args({6, 5, 200})
    ->Args({10, 10, 200})
    ->Args({25, 25, 1000})
    ->Args({50, 50, 1000})
    ->Args({100, 100, 200})
    ->Args({100, 100, 1000})
    ->Unit(benchmark::kMillisecond);

// The floor a timestep cannot go below: Learn, Forget and UpdateMotivation
// applied to every agent and skill, nothing else.
void BM_StateRulesOnly(benchmark::State& state) {
  const auto agents = state.range(0);
  const auto skills = state.range(1);
  std::vector<TSkill> all(static_cast<std::size_t>(agents * skills));
  for (std::size_t i = 0; i < all.size(); ++i) {
    TSkill& s = all[i];
    s.Expertise = s.Motivation = 14 + i % 5;
    s.ExpMax = s.MotMax = 25;
    s.LearnSpeed = 1.0;
    s.ForgetSpeed = 0.03;
    s.BoreRate = s.RestRate = 1.0;
    s.Chosen = i % 7 == 0;
  }
  for (auto _ : state) {
    for (auto& s : all) {
      if (s.Chosen) {
        Learn(s);
      } else {
        Forget(s);
      }
      UpdateMotivation(s);
    }
    benchmark::DoNotOptimize(all.data());
  }
  state.counters["updates"] = benchmark::Counter(static_cast<double>(agents * skills),
                                                 benchmark::Counter::kIsIterationInvariantRate);
  state.counters["ns_per_update"] = benchmark::Counter(static_cast<double>(agents * skills) * 1e-9,
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}
// 6 x 5 and 6 x 6: the No Fit and Fit groups of the design; 100 x 100: the
// largest group.
BENCHMARK(BM_StateRulesOnly)->Args({6, 5})->Args({6, 6})->Args({100, 100});

}  // namespace
