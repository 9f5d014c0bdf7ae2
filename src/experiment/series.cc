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
      if (row >= static_cast<long long>(history.ExpertiseHistory.size()) ||
          row >= static_cast<long long>(history.StepWorkHistory.size())) {
        return text;  // a failed run may stop before it could keep the row
      }
      const auto& expertise = history.ExpertiseHistory[row];
      const auto& motivation = history.MotivationHistory[row];
      const auto& stepWork = history.StepWorkHistory[row];
      const std::string stepText = taskText + IntToStr(t) + ",";
      for (std::size_t a = 0; a < agents.size() && a < expertise.size(); ++a) {
        const std::size_t slots = std::min<std::size_t>(agents[a].Skills.size(), kSkillSlots);
        const std::string agentText = stepText + IntToStr(static_cast<long long>(a) + 1) + ",";
        const std::string workText = a < stepWork.size() ? ShortestNumber(stepWork[a]) : std::string();
        for (std::size_t s = 0; s < slots; ++s) {
          text += agentText;
          text += IntToStr(static_cast<long long>(s) + 1);
          text += ',';
          text += ShortestNumber(expertise[a][s]);
          text += ',';
          text += ShortestNumber(motivation[a][s]);
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
