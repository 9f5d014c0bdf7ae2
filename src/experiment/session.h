// One headless session, as davrel3-batch runs it: start-up exactly as the
// program starts, then an optional parameter file (as File > Open parameters
// loads it), an optional configuration, radio choices, typed parameter texts,
// a commit, and START as often as asked. Also one condition of the
// experimental design, each in a fresh workbench.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "experiment/design.h"
#include "experiment/ordered_runs.h"
#include "experiment/level_file.h"
#include "experiment/levels_source.h"
#include "experiment/table_row.h"
#include "experiment/memory_budget.h"
#include "experiment/run_memory.h"
#include "presets/workbench.h"

namespace davrel3 {

struct SessionOptions {
  std::optional<std::string> parameterFile;  // the text of a parameter file
  std::optional<std::string> config;         // a name of Configurations()
  std::optional<int> fit, newcomer, skills;
  std::vector<std::pair<Field, std::string>> sets;
  bool define = false;
  int runs = 1;
  // After the commit, before START: the rotation pattern, or the levels of a
  // level file (agents and skills it does not list keep theirs).
  bool levelsRotation = false;
  // The history's memory budget in bytes; none: DefaultMemoryBudget().
  std::optional<std::int64_t> memoryBudget;
  std::optional<LevelFile> levelFile;
  std::string parameterFileName;  // the parameter file's name, for the manifest
  // What the parameter file holds of the agents' skills (a version 2 file),
  // set after the commit, before the rotation or the level file; a
  // configuration, which brings its own profile, sets it aside.
  std::optional<SkillState> parameterLevels;
};

// The levels option as the table's "levels" column shows it.
std::string LevelsLabel(const SessionOptions& options);
// The configuration's name and the levels option of run `run` (from 1).
RowLabels LabelsOf(const SessionOptions& options, long long run);

struct SessionRun {
  RunOutcome outcome;
  std::string record;  // the JSON record; empty unless records were asked for
  std::string series;  // the series rows; empty unless asked for
  std::vector<std::vector<std::string>> workTimeGrid;  // as the chart window shows it
};

// The program's start-up: the main window's FormCreate with its commit, then
// the chart window's first draw on the empty history.
void StartUp(Workbench& bench);

// Every agent a and skill s (from 1) of the committed group gets
// 14 + ((a + s - 2) mod 5) as expertise, motivation and initial level.
void ApplyRotationLevels(Workbench& bench);

// The levels step after the commit: the parameter file's levels (unless a
// configuration was given), then the rotation pattern or the level file.
// Throws LevelsRefused, naming the file (and a level file's line), for levels
// that do not fit the committed group; then no level of that file has changed.
void ApplySessionLevels(Workbench& bench, const SessionOptions& options);

// Whether the parameter file's levels are set: the file has some and no
// configuration replaces them.
bool ParameterLevelsApply(const SessionOptions& options);

// Where the levels of the session's runs come from, for a manifest: the
// level file (name and SHA-256), the rotation, the parameter file (name and
// SHA-256), or the profile that the
// session's commit leaves ("each run's" when `perRun`, as when a table varies
// the configuration or the condition).
LevelsSource SessionLevelsSource(const SessionOptions& options, bool perRun);

// Steps 1 to 5 of a session: start-up, parameter file, configuration, radio
// items, texts. Sets the workbench's memory budget first. Throws ParameterFileError for a file that cannot be loaded.
void PrepareSession(Workbench& bench, const SessionOptions& options);

// Step 6 of a session: Define when asked for, otherwise OK when texts were
// typed or a parameter file loaded, otherwise nothing (the start-up commit
// stands). Throws as they do.
void CommitSession(Workbench& bench, const SessionOptions& options);

// The whole session, START as often as options.runs says; run numbers of the
// series count from 1. With `each`, every run goes to it as it ends and none
// is kept. After an interrupt no further START is pressed, and a run it cut
// short is left out.
std::vector<SessionRun> RunSession(const SessionOptions& options, bool withRecords, bool withSeries = false,
                                   const std::function<void(SessionRun&)>& each = nullptr);

// What one run of a table brings back: its rows and, when asked for, its
// series rows.
struct TableRun {
  std::vector<TableRow> rows;
  std::string series;
};

// The bytes a finished table run holds: its rows with their texts, and its
// series rows. A batch keeps them reserved until the run is written.
std::int64_t ResultBytes(const TableRun& result);

// One condition of the design: a fresh workbench, steps 1 to 5, the three
// items selected, Define, the rotation levels if asked, START. `observer`,
// when given, watches the run (a window asks it to stop through it).
TableRun RunCondition(const SessionOptions& options, const Condition& condition, long long run,
                      bool withSeries = false, RunObserver* observer = nullptr);
// A session with a single START: steps 1 to 5, the commit (Define, or OK when
// texts were typed), the rotation levels if asked, START.
TableRun RunSingle(const SessionOptions& options, long long run, bool withSeries = false,
                   RunObserver* observer = nullptr);

// A table run as a batch runs it (see ordered_runs.h): before the commit it
// takes the memory the run's sizes need from the guard's budget (a run that
// alone needs more fails with a message saying so), it takes more as the
// history grows, and it stops at the end of a timestep when the guard asks.
// Nothing when it stopped so: the run is not over and its rows are not
// known.
std::optional<TableRun> RunGuarded(const SessionOptions& options, const std::optional<Condition>& condition,
                                   long long run, bool withSeries, RunGuard& guard);

// The one row of a run that ended with an error of the program rather than
// of the model (an exception that reached the batch), with its message.
TableRun FailedRun(const SessionOptions& options, long long run, const std::string& message);

// Why a session's own commit (steps 1 to 6) would be refused, if it would:
// a table checks its base session before any run.
std::optional<std::string> CommitRefusal(const SessionOptions& options);

// All 18 conditions in the design's order, numbered 1 to 18.
std::vector<TableRow> RunDesign(const SessionOptions& options);

// What a table run will show, from its commit alone (steps 1 to 6, or with a
// condition the design's commit), without START: the group size it commits
// (0 if the commit is refused) and its rows (one per task, at least one).
// Throws std::bad_alloc when the commit found no memory: the group it would
// commit is then not known.
struct SessionShape {
  int agents = 0;
  long long rows = 1;
};
SessionShape CommittedShape(const SessionOptions& options, const std::optional<Condition>& condition);

}  // namespace davrel3
