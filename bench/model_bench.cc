// Model time of the runs researchers do most: the start-up condition, the
// whole design, and groups as large as the up-downs allow.
#include <benchmark/benchmark.h>

#include "experiment/session.h"
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
}
BENCHMARK(BM_StateRulesOnly)->Args({100, 100});

}  // namespace
