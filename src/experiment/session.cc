#include "session.h"

#include "experiment/record.h"
#include "model/int_text.h"
#include "model/measures.h"

namespace davrel3 {

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

void PrepareSession(Workbench& bench, const SessionOptions& options) {
  StartUp(bench);
  if (options.config) {
    for (const auto& configuration : Configurations()) {
      if (*options.config == configuration.name) (bench.*configuration.apply)();
    }
  }
  ParameterPanel& panel = bench.Panel();
  if (options.fit) panel.SetItemIndex(Choice::FitNoFit, *options.fit);
  if (options.newcomer) panel.SetItemIndex(Choice::Newcomer, *options.newcomer);
  if (options.skills) panel.SetItemIndex(Choice::HiLo, *options.skills);
  for (const auto& [field, text] : options.sets) panel.SetText(field, text);
}

void CommitSession(Workbench& bench, const SessionOptions& options) {
  if (options.define) {
    bench.DefineButtonClick();
  } else if (!options.sets.empty()) {
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

std::vector<SessionRun> RunSession(const SessionOptions& options, bool withRecords) {
  InMemoryPanel panel;
  Workbench bench(panel);
  std::vector<SessionRun> runs;
  if (auto refusal = TryCommit([&] { PrepareSession(bench, options); })) {
    runs.push_back(Refused(bench, *refusal, withRecords));
    return runs;
  }
  if (auto refusal = TryCommit([&] { CommitSession(bench, options); })) {
    runs.push_back(Refused(bench, *refusal, withRecords));
    return runs;
  }
  if (options.levelsRotation) ApplyRotationLevels(bench);
  for (int r = 0; r < options.runs; ++r) {
    if (r > 0) {
      if (auto okRefusal = TryCommit([&] { bench.OKButtonClick(); })) {
        runs.push_back(Refused(bench, *okRefusal, withRecords));
        break;
      }
    }
    SessionRun run;
    const auto parameters = withRecords ? ReadParameters(panel) : nlohmann::ordered_json();
    if (auto drawRefusal = TryCommit([&] { run.outcome = bench.StartButtonClick(); })) {
      run.outcome.status = RunStatus::Failed;
      run.outcome.message = *drawRefusal;
    }
    if (withRecords) run.record = RunRecord(bench, run.outcome, parameters);
    run.workTimeGrid = bench.State().WorkTimeGrid.RowMajor();
    runs.push_back(std::move(run));
  }
  return runs;
}

namespace {

// The rows of a run that has ended (or never began), one per task.
std::vector<DesignRow> RowsOf(const Workbench& bench, const RunOutcome& outcome) {
  const RunHistory& history = bench.State().History;
  const ParameterPanel& panel = bench.Panel();
  const int agents = bench.State().System.NrOfAgents;
  int tasks = 0;
  try {
    tasks = outcome.status == RunStatus::Refused ? 0 : panel.Read(Field::NrOfTasks);
  } catch (const ConversionError&) {
    tasks = 0;
  }
  DesignRow base;
  base.fit = panel.ItemIndex(Choice::FitNoFit);
  base.newcomer = panel.ItemIndex(Choice::Newcomer);
  base.skills = panel.ItemIndex(Choice::HiLo);
  base.status = outcome.status;
  std::vector<DesignRow> rows;
  for (int k = 0; k < tasks; ++k) {
    DesignRow row = base;
    row.task = k + 1;
    row.timesteps = k < static_cast<int>(outcome.timesteps.size()) ? outcome.timesteps[k] : 0;
    for (int j = 0; j < agents; ++j) row.agentTimes.push_back(TaskWorkAt(history, k, j));
    row.slow = SlowestPerformanceTime(history, agents, k);
    row.sum = SumPerformanceTime(history, agents, k);
    row.meanNoFit = MeanPerformanceTimeCorrectedNewcomerNoFit(history, agents, k);
    row.meanFit = MeanPerformanceTimeCorrectedNewcomerFit(history, agents, k);
    rows.push_back(std::move(row));
  }
  if (rows.empty()) rows.push_back(base);  // every run shows, also one that never began
  return rows;
}

}  // namespace

std::vector<DesignRow> RunCondition(const SessionOptions& options, int fit, int newcomer, int skills) {
  InMemoryPanel panel;
  Workbench bench(panel);
  RunOutcome outcome;
  auto refusal = TryCommit([&] {
    PrepareSession(bench, options);
    panel.SetItemIndex(Choice::FitNoFit, fit);
    panel.SetItemIndex(Choice::Newcomer, newcomer);
    panel.SetItemIndex(Choice::HiLo, skills);
    bench.DefineButtonClick();
    if (options.levelsRotation) ApplyRotationLevels(bench);
    outcome = bench.StartButtonClick();
  });
  if (refusal) outcome = RunOutcome{RunStatus::Refused, *refusal, {}};
  return RowsOf(bench, outcome);
}

std::vector<DesignRow> RunSingle(const SessionOptions& options) {
  InMemoryPanel panel;
  Workbench bench(panel);
  RunOutcome outcome;
  auto refusal = TryCommit([&] {
    PrepareSession(bench, options);
    CommitSession(bench, options);
    if (options.levelsRotation) ApplyRotationLevels(bench);
    outcome = bench.StartButtonClick();
  });
  if (refusal) outcome = RunOutcome{RunStatus::Refused, *refusal, {}};
  return RowsOf(bench, outcome);
}

std::vector<DesignRow> RunDesign(const SessionOptions& options) {
  std::vector<DesignRow> rows;
  for (int fit = 0; fit < 2; ++fit) {
    for (int newcomer = 0; newcomer < 3; ++newcomer) {
      for (int skills = 0; skills < 3; ++skills) {
        auto condition = RunCondition(options, fit, newcomer, skills);
        rows.insert(rows.end(), condition.begin(), condition.end());
      }
    }
  }
  return rows;
}

std::string DesignCsvHeader(int agents) {
  std::string header = "fit,newcomer,skills,task,status,timesteps";
  for (int j = 1; j <= agents; ++j) header += ",agent_" + IntToStr(j);
  return header + ",slow,sum,mean_nofit,mean_fit";
}

std::string DesignCsvRow(const DesignRow& row, int agents) {
  std::string line;
  auto item = [](Choice choice, int index) {
    return index >= 0 && index < ChoiceItemCount(choice) ? std::string(ChoiceItems(choice)[index]) : std::string();
  };
  line += item(Choice::FitNoFit, row.fit) + ",";
  line += item(Choice::Newcomer, row.newcomer) + ",";
  line += item(Choice::HiLo, row.skills) + ",";
  if (agents < 0) agents = static_cast<int>(row.agentTimes.size());
  if (row.task == 0) {
    // A run without tasks has no numbers: empty cells keep the columns aligned.
    line += ',';
    line += RunStatusName(row.status);
    line.append(static_cast<std::size_t>(agents) + 5, ',');
    return line;
  }
  line += IntToStr(row.task);
  line += ',';
  line += RunStatusName(row.status);
  line += ',';
  line += IntToStr(row.timesteps);
  for (int j = 0; j < agents; ++j) {
    line += ",";
    if (j < static_cast<int>(row.agentTimes.size())) line += ShortestNumber(row.agentTimes[j]);
  }
  for (double measure : {row.slow, row.sum, row.meanNoFit, row.meanFit}) {
    line += ',';
    line += ShortestNumber(measure);
  }
  return line;
}

}  // namespace davrel3
