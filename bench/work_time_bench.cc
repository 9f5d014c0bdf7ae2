// The work-time table of many tasks and the cost of long parameter texts.
// The table's per-agent totals are summed once per agent; the straightforward
// form, summing every agent's total again inside the task loop, is kept here
// as the reference the ratio is measured against.
#include <benchmark/benchmark.h>

#include <string>

#include "experiment/session.h"
#include "model/int_text.h"
#include "model/measures.h"

namespace {

using namespace davrel3;

// A committed and run group of `agents` agents with one skill and
// `tasks` tasks of no cycles: every task is recorded, none takes a timestep.
struct ManyTasks {
  InMemoryPanel panel;
  Workbench bench{panel};
  ManyTasks(int tasks, int agents) {
    StartUp(bench);
    panel.SetText(Field::NrOfTasks, IntToStr(tasks));
    panel.SetText(Field::Cycle, "0");
    panel.SetText(Field::NrofAg, IntToStr(agents));
    panel.SetText(Field::NrofSkills, "1");
    panel.SetText(Field::Action, "0");
    bench.OKButtonClick();
    bench.StartButtonClick();
  }
};

// The totals column as the straightforward loop forms it: every agent's
// total again for every task.
void QuadraticTotals(const RunHistory& history, int tasks, int agents, TextGrid& grid) {
  for (int k = 0; k < tasks; ++k) {
    for (int j = 0; j < agents; ++j) {
      grid.SetCell(tasks + 1, j + 1, FormatRounded(AddAllTasksPerAgents(history, tasks, j)));
    }
  }
}

void BM_WorkTimeTotalsQuadratic(benchmark::State& state) {
  const int tasks = static_cast<int>(state.range(0));
  ManyTasks group(tasks, 6);
  TextGrid grid;
  for (auto _ : state) QuadraticTotals(group.bench.State().History, tasks, 6, grid);
}
BENCHMARK(BM_WorkTimeTotalsQuadratic)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The whole table (headings, measures, totals) as the chart window draws it.
void BM_WorkTimeTable(benchmark::State& state) {
  ManyTasks group(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) group.bench.DrawGrids();
}
BENCHMARK(BM_WorkTimeTable)->Args({10000, 6})->Args({10000, 2684})->Unit(benchmark::kMillisecond);

// START of the start-up condition with the unit duration typed as `zeros`
// leading zeros before "10": converted once, so the run costs the same.
void BM_RunWithLongDurationText(benchmark::State& state) {
  const std::string text = std::string(static_cast<std::size_t>(state.range(0)), '0') + "10";
  for (auto _ : state) {
    state.PauseTiming();
    InMemoryPanel panel;
    Workbench bench(panel);
    StartUp(bench);
    panel.SetText(Field::Dur, text);
    bench.SetSystem();
    state.ResumeTiming();
    benchmark::DoNotOptimize(bench.StartButtonClick().timesteps);
  }
}
BENCHMARK(BM_RunWithLongDurationText)->Arg(0)->Arg(131070)->Unit(benchmark::kMillisecond);

}  // namespace
