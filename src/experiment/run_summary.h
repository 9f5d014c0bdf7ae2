// The summary of one run as the runner prints it without a table: its
// status and message, the timesteps per task and the work-time grid with its
// columns aligned.
#pragma once

#include <string>

#include "experiment/session.h"

namespace davrel3 {

// The summary of run `number`, as text, so that it goes out in one write.
std::string RunSummary(const SessionRun& run, int number);

}  // namespace davrel3
