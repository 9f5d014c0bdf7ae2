#include "record.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "experiment/utf8_text.h"
#include "model/division_of_labour.h"
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

// Rows 0 .. HistoryLength of the expertise or motivation history, as far as
// the store holds them: [row][agent][slot].
Json Levels(const RunHistory& history, double (*at)(const RunHistory&, std::int64_t, int, int)) {
  Json rows = Json::array();
  for (std::int64_t r = 0; r <= history.HistoryLength && r < history.Rows; ++r) {
    Json agents = Json::array();
    for (int i = 0; i < history.Agents; ++i) {
      Json slots = Json::array();
      for (int j = 0; j < kSkillSlots; ++j) slots.push_back(at(history, r, i, j));
      agents.push_back(std::move(slots));
    }
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

Json Optional(const std::optional<double>& value) { return value ? Json(*value) : Json(nullptr); }

// Per task the three division-of-labour values (null when undefined) and, per
// agent, the units it performed in each skill column before and after the
// newcomer's entrance. One entry per task the run began.
Json Labour(const ModelState& state, const RunOutcome& outcome) {
  const DivisionOfLabour& labour = state.Labour;
  const std::size_t tasks = std::max(outcome.timesteps.size(), labour.Tasks.size());
  const int agents = static_cast<int>(state.System.Agents.size());
  const int skills = CommittedSkills(state.System);
  Json list = Json::array();
  for (std::size_t k = 0; k < tasks; ++k) {
    const int task = static_cast<int>(k);
    const LabourMeasures m = LabourMeasuresOf(labour, task);
    Json perAgent = Json::array();
    for (int a = 0; a < agents; ++a) {
      Json before = Json::array();
      Json after = Json::array();
      for (int s = 0; s < skills; ++s) {
        before.push_back(UnitsBefore(labour, task, a, s));
        after.push_back(UnitsAfter(labour, task, a, s));
      }
      perAgent.push_back({{"before", std::move(before)}, {"after", std::move(after)}});
    }
    list.push_back({{"task", task + 1},
                    {"dol", Optional(m.dol)},
                    {"dol_before", Optional(m.dolBefore)},
                    {"dol_after", Optional(m.dolAfter)},
                    {"units", std::move(perAgent)}});
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
  run["expertise"] = Levels(history, ExpertiseAt);
  run["motivation"] = Levels(history, MotivationAt);
  Json stepWork = Json::array();
  for (std::int64_t r = 0; r <= history.HistoryLength && r < history.Rows; ++r) {
    Json row = Json::array();
    for (int c = 0; c <= history.Agents; ++c) row.push_back(StepWorkAt(history, r, c));
    stepWork.push_back(std::move(row));
  }
  run["step_work"] = std::move(stepWork);
  run["task_work"] = history.TaskWorkHistory;
  run["allocation_grid"] = state.AllocationGrid.RowMajor();
  run["work_time_grid"] = state.WorkTimeGrid.RowMajor();
  run["agents"] = Agents(state.System);
  run["division_of_labour"] = Labour(state, outcome);
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
