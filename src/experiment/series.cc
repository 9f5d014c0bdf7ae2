#include "series.h"

#include <algorithm>

#include "experiment/record.h"
#include "experiment/run_memory.h"
#include "model/int_text.h"

namespace davrel3 {

std::string SeriesHeader() { return "run,task,timestep,agent,skill,expertise,motivation,step_work"; }

std::string SeriesRows(const Workbench& bench, const RunOutcome& outcome, long long run) {
  std::string text;
  if (outcome.status == RunStatus::Refused) return text;
  const RunHistory& history = bench.State().History;
  const auto& agents = bench.State().System.Agents;
  const std::string runText = IntToStr(run) + ",";
  // Room for the longest rows at once, as the memory budget counts them: the
  // text never grows by copying itself.
  long long rows = 0;
  for (long long timesteps : outcome.timesteps) rows += std::max(0LL, timesteps);
  rows = std::min<long long>(rows, std::max<long long>(0, history.Rows - 1));
  std::size_t widest = 0;
  for (const auto& agent : agents) widest = std::max(widest, agent.Skills.size());
  text.reserve(static_cast<std::size_t>(
      SeriesRowsBytes(rows, history.Agents, static_cast<std::int64_t>(std::min<std::size_t>(widest, kSkillSlots)))));
  long long row = 0;  // the history row of the timestep before the first
  for (std::size_t k = 0; k < outcome.timesteps.size(); ++k) {
    const std::string taskText = runText + IntToStr(static_cast<long long>(k) + 1) + ",";
    for (long long t = 1; t <= outcome.timesteps[k]; ++t) {
      ++row;
      if (row >= history.Rows) return text;  // a failed run may stop before it could keep the row
      const std::string stepText = taskText + IntToStr(t) + ",";
      for (std::size_t a = 0; a < agents.size() && a < static_cast<std::size_t>(history.Agents); ++a) {
        const int i = static_cast<int>(a);
        const std::size_t slots = std::min<std::size_t>(agents[a].Skills.size(), kSkillSlots);
        const std::string agentText = stepText + IntToStr(static_cast<long long>(a) + 1) + ",";
        const std::string workText = ShortestNumber(StepWorkAt(history, row, i));
        for (std::size_t s = 0; s < slots; ++s) {
          const int j = static_cast<int>(s);
          text += agentText;
          text += IntToStr(static_cast<long long>(s) + 1);
          text += ',';
          text += ShortestNumber(ExpertiseAt(history, row, i, j));
          text += ',';
          text += ShortestNumber(MotivationAt(history, row, i, j));
          text += ',';
          text += workText;
          text += '\n';
        }
      }
    }
  }
  return text;
}

}  // namespace davrel3
