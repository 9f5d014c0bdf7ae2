#include "session.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "experiment/manifest.h"
#include "experiment/parameter_file.h"
#include "experiment/interrupt.h"
#include "experiment/record.h"
#include "experiment/run_memory.h"
#include "experiment/series.h"
#include "experiment/sha256.h"
#include "experiment/utf8_text.h"
#include "experiment/vector_state.h"
#include "model/int_text.h"

namespace davrel3 {

bool ParameterLevelsApply(const SessionOptions& options) {
  return options.parameterLevels.has_value() && !options.config;
}

std::string LevelsLabel(const SessionOptions& options) {
  if (options.levelsRotation) return "rotation";
  if (options.levelFile) return FileNameOf(options.levelFile->Name);
  if (ParameterLevelsApply(options)) return FileNameOf(options.parameterFileName);
  return "";
}

RowLabels LabelsOf(const SessionOptions& options, long long run) {
  return RowLabels{run, options.config.value_or(""), LevelsLabel(options)};
}

void StartUp(Workbench& bench) {
  bench.FormCreate();
  // The chart window's FormCreate: AgEdit1Change reads the group size for the
  // agent selector, then draws once on the history as it stands.
  bench.Panel().Read(Field::NrofAg);
  bench.DrawGrids();
}

void ApplyRotationLevels(Workbench& bench) {
  auto& agents = bench.State().System.Agents;
  for (int a = 1; a <= static_cast<int>(agents.size()); ++a) {
    auto& skills = agents[a - 1].Skills;
    for (int s = 1; s <= static_cast<int>(skills.size()); ++s) {
      const double level = 14 + (a + s - 2) % 5;
      skills[s - 1].Expertise = level;
      skills[s - 1].Motivation = level;
      skills[s - 1].InitialLevel = level;
    }
  }
}

void ApplySessionLevels(Workbench& bench, const SessionOptions& options) {
  if (ParameterLevelsApply(options)) {
    ApplySkillState(bench.State().System, *options.parameterLevels,
                    "the parameter file " + FileNameOf(options.parameterFileName));
  }
  if (options.levelsRotation) {
    ApplyRotationLevels(bench);
  } else if (options.levelFile) {
    try {
      ApplyLevels(bench.State().System, options.levelFile->Entries);
    } catch (const LevelsRefused& refusal) {
      throw LevelsRefused("The level file " + options.levelFile->Name + ", " + refusal.what());
    }
  }
}

LevelsSource SessionLevelsSource(const SessionOptions& options, bool perRun) {
  if (options.levelsRotation) return {"rotation", {}, {}};
  // Names as the manifest records them, mended where they are not UTF-8.
  if (options.levelFile) {
    LevelsSource source{"file", ValidUtf8(FileNameOf(options.levelFile->Name)), options.levelFile->Sha256};
    if (ParameterLevelsApply(options) && options.parameterFile) {
      source.OverName = ValidUtf8(FileNameOf(options.parameterFileName));
      source.OverSha256 = Sha256Hex(*options.parameterFile);
    }
    return source;
  }
  if (ParameterLevelsApply(options) && options.parameterFile) {
    return {"parameters", ValidUtf8(FileNameOf(options.parameterFileName)), Sha256Hex(*options.parameterFile)};
  }
  if (perRun) return {"profile", "each run's configuration or condition", {}};
  InMemoryPanel panel;
  Workbench bench(panel);
  try {
    PrepareSession(bench, options);
    CommitSession(bench, options);
  } catch (const std::exception&) {
    // A refused session runs nothing; the profile named is the last applied.
  }
  return {"profile", bench.LevelsProfile(), {}};
}

void PrepareSession(Workbench& bench, const SessionOptions& options) {
  SetMemoryBudget(bench, options.memoryBudget ? *options.memoryBudget : DefaultMemoryBudget());
  StartUp(bench);
  ParameterPanel& panel = bench.Panel();
  if (options.parameterFile) LoadParameters(*options.parameterFile, panel);
  if (options.config) {
    for (const auto& configuration : Configurations()) {
      if (*options.config == configuration.name) (bench.*configuration.apply)();
    }
  }
  if (options.fit) panel.SetItemIndex(Choice::FitNoFit, *options.fit);
  if (options.newcomer) panel.SetItemIndex(Choice::Newcomer, *options.newcomer);
  if (options.skills) panel.SetItemIndex(Choice::HiLo, *options.skills);
  for (const auto& [field, text] : options.sets) panel.SetText(field, text);
}

void CommitSession(Workbench& bench, const SessionOptions& options) {
  if (options.define) {
    bench.DefineButtonClick();
  } else if (!options.sets.empty() || options.parameterFile) {
    bench.OKButtonClick();
  }
}

namespace {

// A commit that does not go through, as the user would be told.
std::optional<std::string> TryCommit(const std::function<void()>& commit) {
  try {
    commit();
  } catch (const ConversionError& error) {
    return error.what();
  } catch (const CommitRefused& refusal) {
    return refusal.what();
  } catch (const ParameterFileError& error) {
    return error.what();
  } catch (const LevelsRefused& refusal) {
    return refusal.what();
  }
  return std::nullopt;
}

SessionRun Refused(const Workbench& bench, const std::string& message, bool withRecords) {
  SessionRun run;
  run.outcome = RunOutcome{RunStatus::Refused, message, {}};
  if (withRecords) run.record = RunRecord(bench, run.outcome, ReadParameters(bench.Panel()));
  run.workTimeGrid = bench.State().WorkTimeGrid.RowMajor();
  return run;
}

}  // namespace

namespace {

// A single session's runs stop at the end of a timestep once interrupted.
class InterruptObserver : public RunObserver {
 public:
  bool CancelRequested() override { return Interrupted(); }
};

}  // namespace

std::vector<SessionRun> RunSession(const SessionOptions& options, bool withRecords, bool withSeries,
                                   const std::function<void(SessionRun&)>& each) {
  InMemoryPanel panel;
  Workbench bench(panel);
  InterruptObserver observer;
  bench.SetObserver(&observer);
  std::vector<SessionRun> collected;
  struct Runs {
    std::vector<SessionRun>& collected;
    const std::function<void(SessionRun&)>& each;
    void push_back(SessionRun&& run) {
      if (each) {
        each(run);
      } else {
        collected.push_back(std::move(run));
      }
    }
  } runs{collected, each};
  if (auto refusal = TryCommit([&] { PrepareSession(bench, options); })) {
    runs.push_back(Refused(bench, *refusal, withRecords));
    return collected;
  }
  if (auto refusal = TryCommit([&] { CommitSession(bench, options); })) {
    runs.push_back(Refused(bench, *refusal, withRecords));
    return collected;
  }
  if (auto refusal = TryCommit([&] { ApplySessionLevels(bench, options); })) {
    runs.push_back(Refused(bench, *refusal, withRecords));
    return collected;
  }
  for (int r = 0; r < options.runs; ++r) {
    if (Interrupted()) break;
    if (r > 0) {
      if (auto okRefusal = TryCommit([&] { bench.OKButtonClick(); })) {
        runs.push_back(Refused(bench, *okRefusal, withRecords));
        break;
      }
    }
    SessionRun run;
    const ParameterValues parameters = ReadParameters(panel);
    if (auto drawRefusal = TryCommit([&] { run.outcome = bench.StartButtonClick(); })) {
      run.outcome.status = RunStatus::Failed;
      run.outcome.message = *drawRefusal;
    }
    // A run an interrupt cut short is not reported: its numbers are not its own.
    if (run.outcome.status == RunStatus::Cancelled && Interrupted()) break;
    if (withRecords) run.record = RunRecord(bench, run.outcome, parameters);
    if (withSeries) run.series = SeriesRows(bench, run.outcome, r + 1);
    run.workTimeGrid = bench.State().WorkTimeGrid.RowMajor();
    runs.push_back(std::move(run));
  }
  return collected;
}

namespace {

// Asks the guard, at the end of every timestep, for the memory the run
// holds by then, and passes on its request to stop.
class GuardObserver : public RunObserver {
 public:
  GuardObserver(const Workbench& bench, RunGuard& guard) : bench_(bench), guard_(guard) {}
  bool CancelRequested() override {
    // The sizes the panel holds cannot change while the run goes: what they
    // take is worked out at the first timestep's end, the history's growth
    // at every one (a run for tables has none: its need stays as it began).
    const bool grows = !bench_.State().TablesOnly;
    if (!startBytes_) startBytes_ = RunStartBytes(bench_.Panel(), grows);
    if (grows || !granted_) {
      const std::int64_t now = std::min(RunBytesNow(bench_, *startBytes_), guard_.Budget());
      // Memory once granted stays held until the run ends: asking again for
      // as much only asks whether the run is to stop, as StopRequested does.
      if (!granted_ || now != *granted_) {
        if (guard_.NeedBytes(now) != RunGuard::Need::Granted) return true;
        granted_ = now;
      }
    }
    return guard_.StopRequested();
  }

 private:
  const Workbench& bench_;
  RunGuard& guard_;
  std::optional<std::int64_t> startBytes_;
  // The bytes last granted.
  std::optional<std::int64_t> granted_;
};

std::string MemoryText(std::int64_t bytes) {
  const double gib = static_cast<double>(bytes) / static_cast<double>(std::int64_t{1} << 30);
  if (gib >= 1) return ShortestNumber(std::round(gib * 10) / 10) + " GiB";
  return IntToStr((bytes + (1 << 20) - 1) >> 20) + " MiB";
}

// Prepares, commits and runs one table run; `commit` is the run's commit step.
// With a guard, the guard watches the run; otherwise `observer`, if any.
std::optional<TableRun> RunTableSession(const SessionOptions& options, long long run, bool withSeries,
                                        const std::function<void(Workbench&)>& commit, RunGuard* guard,
                                        RunObserver* observer = nullptr) {
  // Whatever ran on this thread before, the run starts with its SSE code
  // free of the costly state changes a marked upper half brings.
  ClearUpperVectorState();
  InMemoryPanel panel;
  Workbench bench(panel);
  std::optional<GuardObserver> guardObserver;
  if (guard) {
    guardObserver.emplace(bench, *guard);
    bench.SetObserver(&*guardObserver);
  } else {
    bench.SetObserver(observer);
  }
  // Rows need no per-timestep history and no grid texts; series rows do.
  // Neither needs the log of every performed unit (the counts are kept).
  bench.State().TablesOnly = !withSeries;
  bench.State().Labour.KeepUnits = false;
  RunOutcome outcome;
  ParameterValues atStart;
  bool started = false;
  auto refusal = TryCommit([&] { PrepareSession(bench, options); });
  if (!refusal && guard) {
    // Reserved before the commit allocates anything, so runs that would not
    // fit side by side never hold their memory at once.
    const std::int64_t need = RunStartBytes(panel, withSeries);
    const auto granted = guard->NeedBytes(need);
    if (granted == RunGuard::Need::Stop) return std::nullopt;
    if (granted == RunGuard::Need::TooLarge) {
      refusal = "The run would need about " + MemoryText(need) + " of memory, more than the memory budget of " +
                MemoryText(guard->Budget()) + " (--memory-budget)";
      started = true;  // reported as a failed run, not as a refused commit
      atStart = ReadParameters(panel);
    }
  }
  if (!refusal) {
    refusal = TryCommit([&] {
      commit(bench);
      ApplySessionLevels(bench, options);
      atStart = ReadParameters(panel);
      started = true;
      outcome = bench.StartButtonClick();
    });
  }
  if (guard && outcome.status == RunStatus::Cancelled && guard->StopRequested()) return std::nullopt;
  if (refusal) {
    // A refusal before START, or a draw after it that could not go through.
    outcome = started ? RunOutcome{RunStatus::Failed, *refusal, outcome.timesteps}
                      : RunOutcome{RunStatus::Refused, *refusal, {}};
    if (!started) atStart = ReadParameters(panel);
  }
  TableRun result;
  result.rows = BuildRows(bench, outcome, atStart, LabelsOf(options, run));
  if (withSeries) result.series = SeriesRows(bench, outcome, run);
  return result;
}

}  // namespace

namespace {

std::function<void(Workbench&)> CommitStep(const SessionOptions& options, const std::optional<Condition>& condition) {
  if (!condition) return [&options](Workbench& bench) { CommitSession(bench, options); };
  return [condition](Workbench& bench) {
    ParameterPanel& panel = bench.Panel();
    panel.SetItemIndex(Choice::FitNoFit, condition->fit);
    panel.SetItemIndex(Choice::Newcomer, condition->newcomer);
    panel.SetItemIndex(Choice::HiLo, condition->skills);
    bench.DefineButtonClick();
  };
}

}  // namespace

TableRun RunCondition(const SessionOptions& options, const Condition& condition, long long run, bool withSeries,
                      RunObserver* observer) {
  return *RunTableSession(options, run, withSeries, CommitStep(options, condition), nullptr, observer);
}

TableRun RunSingle(const SessionOptions& options, long long run, bool withSeries, RunObserver* observer) {
  return *RunTableSession(options, run, withSeries, CommitStep(options, std::nullopt), nullptr, observer);
}

std::optional<TableRun> RunGuarded(const SessionOptions& options, const std::optional<Condition>& condition,
                                   long long run, bool withSeries, RunGuard& guard) {
  return RunTableSession(options, run, withSeries, CommitStep(options, condition), &guard);
}

std::int64_t ResultBytes(const TableRun& result) {
  auto textBytes = [](const std::string& text) { return static_cast<std::int64_t>(text.capacity()); };
  std::int64_t bytes = static_cast<std::int64_t>(sizeof(TableRun)) + textBytes(result.series);
  bytes += static_cast<std::int64_t>(result.rows.capacity() * sizeof(TableRow));
  for (const TableRow& row : result.rows) {
    bytes += textBytes(row.config) + textBytes(row.levels) + textBytes(row.message);
    bytes += static_cast<std::int64_t>(row.agentTimes.capacity() * sizeof(double));
  }
  return bytes;
}

TableRun FailedRun(const SessionOptions& options, long long run, const std::string& message) {
  TableRow row;
  row.run = run;
  row.config = options.config.value_or("");
  row.levels = LevelsLabel(options);
  row.status = RunStatus::Failed;
  row.message = message;
  TableRun result;
  result.rows.push_back(std::move(row));
  return result;
}

std::optional<std::string> CommitRefusal(const SessionOptions& options) {
  InMemoryPanel panel;
  Workbench bench(panel);
  return TryCommit([&] {
    PrepareSession(bench, options);
    CommitSession(bench, options);
  });
}

std::vector<TableRow> RunDesign(const SessionOptions& options) {
  std::vector<TableRow> rows;
  long long run = 0;
  for (const Condition& condition : DesignConditions()) {
    auto result = RunCondition(options, condition, ++run);
    rows.insert(rows.end(), result.rows.begin(), result.rows.end());
  }
  return rows;
}

SessionShape CommittedShape(const SessionOptions& options, const std::optional<Condition>& condition) {
  InMemoryPanel panel;
  Workbench bench(panel);
  // Only the group's shape is read: the commits build no history rows and no
  // grid texts, which would cost more than the measure itself.
  bench.State().TablesOnly = true;
  auto refusal = TryCommit([&] {
    PrepareSession(bench, options);
    if (condition) {
      panel.SetItemIndex(Choice::FitNoFit, condition->fit);
      panel.SetItemIndex(Choice::Newcomer, condition->newcomer);
      panel.SetItemIndex(Choice::HiLo, condition->skills);
      bench.DefineButtonClick();
    } else {
      CommitSession(bench, options);
    }
  });
  // A commit that found no memory says nothing of the group it would commit.
  if (refusal && *refusal == kNoMemoryForCommit) throw std::bad_alloc();
  SessionShape shape;
  if (refusal) return shape;
  shape.agents = bench.State().System.NrOfAgents;
  try {
    shape.rows = std::max(1, panel.Read(Field::NrOfTasks));
  } catch (const ConversionError&) {
    shape.rows = 1;
  }
  return shape;
}

}  // namespace davrel3
