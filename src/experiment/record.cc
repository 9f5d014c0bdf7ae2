#include "record.h"

#include <nlohmann/json.hpp>

#include "experiment/utf8_text.h"
#include "model/int_text.h"

namespace davrel3 {

using Json = nlohmann::ordered_json;

ParameterValues ReadParameters(const ParameterPanel& panel) {
  ParameterValues values;
  for (int f = 0; f < kFieldCount; ++f) {
    try {
      values.fields[f] = panel.Read(static_cast<Field>(f));
    } catch (const ConversionError&) {
      values.fields[f] = std::nullopt;
    }
  }
  for (int c = 0; c < kChoiceCount; ++c) values.items[c] = panel.ItemIndex(static_cast<Choice>(c));
  return values;
}

std::string ShortestNumber(double value) { return Json(value).dump(); }

namespace {

Json ParametersObject(const ParameterValues& values) {
  Json out = Json::object();
  for (int f = 0; f < kFieldCount; ++f) {
    const std::string name(FieldName(static_cast<Field>(f)));
    if (values.fields[f]) {
      out[name] = *values.fields[f];
    } else {
      out[name] = nullptr;
    }
  }
  for (int c = 0; c < kChoiceCount; ++c) out[std::string(ChoiceName(static_cast<Choice>(c)))] = values.items[c];
  return out;
}

Json Levels(const std::vector<std::vector<SkillSlots>>& table, int lastRow) {
  Json rows = Json::array();
  for (int r = 0; r <= lastRow && r < static_cast<int>(table.size()); ++r) {
    Json agents = Json::array();
    for (const auto& slots : table[r]) agents.push_back(slots);
    rows.push_back(std::move(agents));
  }
  return rows;
}

Json Agents(const TSystem& system) {
  Json list = Json::array();
  for (const TAgent& agent : system.Agents) {
    Json skills = Json::array();
    for (const TSkill& s : agent.Skills) {
      skills.push_back({{"expertise", s.Expertise},
                        {"motivation", s.Motivation},
                        {"initial_level", s.InitialLevel},
                        {"i_value", s.IValue},
                        {"you_value", s.YouValue},
                        {"chosen", s.Chosen},
                        {"loser", s.Loser},
                        {"in_task", s.InTask},
                        {"rest_credit", s.RestCredit}});
    }
    list.push_back({{"present", agent.Present}, {"available", agent.Available}, {"skills", std::move(skills)}});
  }
  return list;
}

}  // namespace

std::string RunRecord(const Workbench& bench, const RunOutcome& outcome, const ParameterValues& parameters) {
  const ModelState& state = bench.State();
  const RunHistory& history = state.History;
  Json run = Json::object();
  run["status"] = std::string(RunStatusName(outcome.status));
  // A message may quote a typed text byte for byte; JSON holds only UTF-8.
  run["message"] = ValidUtf8(outcome.message);
  run["parameters"] = ParametersObject(parameters);
  run["timesteps"] = outcome.timesteps;
  run["history_length"] = history.HistoryLength;
  run["expertise"] = Levels(history.ExpertiseHistory, history.HistoryLength);
  run["motivation"] = Levels(history.MotivationHistory, history.HistoryLength);
  Json stepWork = Json::array();
  for (int r = 0; r <= history.HistoryLength && r < static_cast<int>(history.StepWorkHistory.size()); ++r) {
    stepWork.push_back(history.StepWorkHistory[r]);
  }
  run["step_work"] = std::move(stepWork);
  run["task_work"] = history.TaskWorkHistory;
  run["allocation_grid"] = state.AllocationGrid.RowMajor();
  run["work_time_grid"] = state.WorkTimeGrid.RowMajor();
  run["agents"] = Agents(state.System);
  return run.dump();
}

std::string RunRecordsDocument(const std::vector<std::string>& records) {
  std::string text = "{\"runs\":[";
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i > 0) text += ',';
    text += records[i];
  }
  return text + "]}";
}

}  // namespace davrel3
