// The runner's command line: its options, what they hold once parsed, and
// the session and plan they describe. Checks that need nothing but the
// command line refuse it here, with the reason (UsageError, exit 2).
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "experiment/session.h"
#include "experiment/sweep.h"

namespace davrel3::batch {

inline constexpr const char* kProgram = "davrel3-batch";

// An option error found before any run: exit 2 with the reason.
struct UsageError {
  std::string reason;
};

// Everything the command line says, as parsed.
struct CommandLine {
  std::string parameters, saveParameters, config, fit, newcomer, skills, levels;
  std::vector<std::string> sets, sweeps;
  std::string points, shard, output, series, resume, memoryBudget;
  std::vector<std::string> merge;
  bool define = false, json = false, design = false, dryRun = false, progress = false, version = false;
  int runs = 1;
  int threads = 0;
  std::int64_t budgetBytes = 0;
  bool runsGiven = false, threadsGiven = false;
  std::vector<std::string> arguments;
};

// The options that Main asks about after parsing, beside the values in `line`.
struct GivenOptions {
  CLI::Option* runs = nullptr;
  CLI::Option* threads = nullptr;
  CLI::Option* budget = nullptr;
};

// Every option of the runner, bound to `line`, and the exit statuses as the
// help's footer.
GivenOptions DefineOptions(CLI::App& app, CommandLine& line);

// The session and the plan the command line describes; files the options
// name are read and checked here.
SessionOptions SessionFrom(const CommandLine& line);
SweepPlan PlanFrom(const CommandLine& line);

// Options that would be ignored in the mode the command line asks for.
void CheckMode(const CommandLine& line, bool table);

}  // namespace davrel3::batch
