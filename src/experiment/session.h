// One headless session, as davrel3-batch runs it: start-up exactly as the
// program starts, then an optional configuration, radio choices, typed
// parameter texts, a commit, and START as often as asked. Also the 18
// conditions of the experimental design, each in a fresh workbench.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "presets/workbench.h"

namespace davrel3 {

struct SessionOptions {
  std::optional<std::string> config;  // a name of Configurations()
  std::optional<int> fit, newcomer, skills;
  std::vector<std::pair<Field, std::string>> sets;
  bool define = false;
  int runs = 1;
  bool levelsRotation = false;
};

struct SessionRun {
  RunOutcome outcome;
  nlohmann::ordered_json record;  // empty unless records were asked for
  std::vector<std::vector<std::string>> workTimeGrid;  // as the chart window shows it
};

// The program's start-up: the main window's FormCreate with its commit, then
// the chart window's first draw on the empty history.
void StartUp(Workbench& bench);

// Every agent a and skill s (from 1) of the committed group gets
// 14 + ((a + s - 2) mod 5) as expertise, motivation and initial level.
void ApplyRotationLevels(Workbench& bench);

// Steps 1 to 4 of a session: start-up, configuration, radio items, texts.
void PrepareSession(Workbench& bench, const SessionOptions& options);

// Step 5 of a session: Define when asked for, otherwise OK when texts were
// typed, otherwise nothing (the start-up commit stands). Throws as they do.
void CommitSession(Workbench& bench, const SessionOptions& options);

std::vector<SessionRun> RunSession(const SessionOptions& options, bool withRecords);

struct DesignRow {
  int fit = 0, newcomer = 0, skills = 0;
  int task = 0;  // from 1; 0 for the one row of a run without tasks (refused, or no task)
  RunStatus status = RunStatus::Finished;
  long long timesteps = 0;
  std::vector<double> agentTimes;
  double slow = 0, sum = 0, meanNoFit = 0, meanFit = 0;
};

// One condition of the design: a fresh workbench, steps 1 to 4, the three
// items selected, Define, the rotation levels if asked, START. One row per task.
std::vector<DesignRow> RunCondition(const SessionOptions& options, int fit, int newcomer, int skills);
// A session with a single START: steps 1 to 4, the commit (Define, or OK when
// texts were typed), the rotation levels if asked, START. One row per task,
// with the radio items as they stand at START.
std::vector<DesignRow> RunSingle(const SessionOptions& options);
// All 18 conditions in item order.
std::vector<DesignRow> RunDesign(const SessionOptions& options);

std::string DesignCsvHeader(int agents);
// `agents` pads the agent columns of a row from a smaller group with empty cells.
std::string DesignCsvRow(const DesignRow& row, int agents = -1);

}  // namespace davrel3
