// The chart window's draws, offscreen: after a start-up run (START's last
// step) and when the user picks another agent.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>

#include "DV3Newcomer2009Chart.h"
#include "experiment/session.h"

namespace {

using namespace davrel3;

QApplication& App() {
  static int argc = 1;
  static char name[] = "davrel3-bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

struct StartupRun {
  InMemoryPanel panel;
  Workbench bench{panel};
  TChartForm chart{bench};
  StartupRun() {
    StartUp(bench);
    chart.FormCreate();
    bench.DefineButtonClick();
    bench.StartButtonClick([this] { chart.Draw(); });
  }
};

void BM_DrawAfterRun(benchmark::State& state) {
  App();
  StartupRun run;
  for (auto _ : state) run.chart.Draw();
}
BENCHMARK(BM_DrawAfterRun)->Unit(benchmark::kMillisecond);

// START to the chart window drawn: the run and the draw after it.
void BM_StartToChartDrawn(benchmark::State& state) {
  App();
  StartupRun run;
  for (auto _ : state) {
    run.bench.DefineButtonClick();
    run.bench.StartButtonClick([&] { run.chart.Draw(); });
  }
}
BENCHMARK(BM_StartToChartDrawn)->Unit(benchmark::kMillisecond);

void BM_AgentRedraw(benchmark::State& state) {
  App();
  StartupRun run;
  int agent = 1;
  for (auto _ : state) {
    agent = agent % 6 + 1;
    run.chart.AgEdit1()->setText(QString::number(agent));  // the edit's change redraws
  }
}
BENCHMARK(BM_AgentRedraw)->Unit(benchmark::kMillisecond);

}  // namespace
