// One program's worth of state for the chart window's tests: a workbench after
// its start-up, and the chart window created after it.
#pragma once

#include "DV3Newcomer2009Chart.h"
#include "model/parameter_panel.h"
#include "presets/workbench.h"

struct ChartSession {
  davrel3::InMemoryPanel panel;
  davrel3::Workbench bench{panel};
  TChartForm chart{bench};

  ChartSession() {
    bench.FormCreate();
    chart.FormCreate();
  }

  davrel3::RunOutcome Start() {
    return bench.StartButtonClick([this] { chart.Draw(); });
  }
  const davrel3::RunHistory& History() const { return bench.State().History; }
};
