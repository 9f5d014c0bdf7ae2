// The program's two windows, created as the program starts them: the main
// window first (its creation commits the start-up configuration), then the
// chart window, which draws once on the empty history, stays hidden, and is
// drawn and shown beside the main window after every run that finishes or
// stalls.
#pragma once

#include "DV3Newcomer2009Chart.h"
#include "DV3Newcomer2009Par.h"

struct ProgramWindows {
  ProgramWindows();
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  TParForm parForm;
  TChartForm chart;
};
