#include "table_row.h"

#include "model/division_of_labour.h"
#include "model/int_text.h"
#include "model/measures.h"

namespace davrel3 {

std::vector<TableRow> BuildRows(const Workbench& bench, const RunOutcome& outcome, const ParameterValues& atStart,
                                const RowLabels& labels) {
  const RunHistory& history = bench.State().History;
  const int agents = bench.State().System.NrOfAgents;
  int tasks = 0;
  try {
    tasks = outcome.status == RunStatus::Refused ? 0 : bench.Panel().Read(Field::NrOfTasks);
  } catch (const ConversionError&) {
    tasks = 0;
  }
  TableRow base;
  base.run = labels.run;
  base.parameters = atStart;
  base.config = labels.config;
  base.levels = labels.levels;
  base.status = outcome.status;
  base.message = outcome.message;
  std::vector<TableRow> rows;
  for (int k = 0; k < tasks; ++k) {
    TableRow row = base;
    row.task = k + 1;
    row.timesteps = k < static_cast<int>(outcome.timesteps.size()) ? outcome.timesteps[k] : 0;
    for (int j = 0; j < agents; ++j) row.agentTimes.push_back(TaskWorkAt(history, k, j));
    row.slow = SlowestPerformanceTime(history, agents, k);
    row.sum = SumPerformanceTime(history, agents, k);
    row.meanNoFit = MeanPerformanceTimeCorrectedNewcomerNoFit(history, agents, k);
    row.meanFit = MeanPerformanceTimeCorrectedNewcomerFit(history, agents, k);
    const LabourMeasures labour = LabourMeasuresOf(bench.State().Labour, k);
    row.dol = labour.dol;
    row.dolBefore = labour.dolBefore;
    row.dolAfter = labour.dolAfter;
    rows.push_back(std::move(row));
  }
  if (rows.empty()) rows.push_back(std::move(base));  // every run shows, also one that never began
  return rows;
}

}  // namespace davrel3
