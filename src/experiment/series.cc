#include "series.h"

#include <algorithm>

#include "experiment/record.h"
#include "model/int_text.h"

namespace davrel3 {

std::string SeriesHeader() { return "run,task,timestep,agent,skill,expertise,motivation,step_work"; }

std::string SeriesRows(const Workbench& bench, const RunOutcome& outcome, long long run) {
  std::string text;
  if (outcome.status == RunStatus::Refused) return text;
  const RunHistory& history = bench.State().History;
  const auto& agents = bench.State().System.Agents;
  const std::string runText = IntToStr(run) + ",";
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
