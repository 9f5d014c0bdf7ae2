// Shared set-up for the model and preset tests: a workbench over an in-memory
// panel, started as the program starts, and an observer that counts what a
// run shows.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "model/allocation.h"
#include "model/construction.h"
#include "model/dynamics.h"
#include "model/history.h"
#include "model/int_text.h"
#include "model/measures.h"
#include "model/run.h"
#include "presets/workbench.h"

namespace davrel3::testing {

class CountingObserver : public RunObserver {
 public:
  std::set<Indicator> indicated;
  // When set, the window start is noted every time the task grid is rebuilt.
  const ModelState* state = nullptr;
  std::vector<std::string> messages;
  std::vector<std::string> edit2;
  std::vector<long long> windowStarts;
  long long taskCells = 0;
  long long allocationCells = 0;
  int statesAgents = 0;

  bool IsIndicated(Indicator which) const override { return indicated.count(which) > 0; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void WriteDisplayEdit(DisplayEdit edit, const std::string& text) override {
    if (edit == DisplayEdit::Edit2) edit2.push_back(text);
  }
  void TaskGridRebuilt() override {
    if (state) windowStarts.push_back(state->WindowStart);
  }
  void TaskGridCellWritten(long long, long long, const std::string&) override { ++taskCells; }
  void AllocationGridCellWritten(long long, long long, const std::string&) override { ++allocationCells; }
  void ShowStatesAgents() override { ++statesAgents; }

  long long Count(const std::string& message) const {
    long long n = 0;
    for (const auto& m : messages) n += m == message;
    return n;
  }
};

// A workbench right after the program's start-up (FormCreate and its commit).
struct Bench {
  InMemoryPanel panel;
  Workbench bench{panel};
  CountingObserver observer;

  Bench() {
    observer.state = &bench.State();
    bench.SetObserver(&observer);
    bench.FormCreate();
  }

  ModelState& State() { return bench.State(); }
  TSystem& System() { return bench.State().System; }
  TSkill& Skill(int i, int j) { return bench.State().System.Agents[i].Skills[j]; }
  RunHistory& History() { return bench.State().History; }
  // A context with every parameter converted from the panel as it stands now.
  RunContext Context() {
    parameters = ReadAllParameters(panel, observer);
    return RunContext{bench.State(), panel, observer, parameters};
  }
  ParameterSet parameters;

  // Commits a single-task group of the given size; learning, forgetting,
  // boredom and rest are switched off so that levels stay where a test puts
  // them.
  void CommitConstant(int agents, int skills, int cycles, int actions, int tasks = 1, int variety = 0) {
    panel.Write(Field::NrofAg, agents);
    panel.Write(Field::NrofSkills, skills);
    panel.Write(Field::Cycle, cycles);
    panel.Write(Field::Action, actions);
    panel.Write(Field::NrOfTasks, tasks);
    panel.Write(Field::Var, variety);
    for (Field f : {Field::LearnSpeed, Field::ForgetSpeed, Field::Bore, Field::Rest}) panel.Write(f, 0);
    bench.SetSystem();
  }

  // Gives every agent's every skill the level (expertise, motivation) that
  // `level(i, j)` returns.
  void SetLevels(const std::function<std::pair<double, double>(int, int)>& level) {
    auto& agents = System().Agents;
    for (int i = 0; i < static_cast<int>(agents.size()); ++i) {
      for (int j = 0; j < static_cast<int>(agents[i].Skills.size()); ++j) {
        const auto [e, m] = level(i, j);
        agents[i].Skills[j].Expertise = e;
        agents[i].Skills[j].Motivation = m;
      }
    }
  }
  void SetAllLevels(double e, double m) {
    SetLevels([=](int, int) { return std::pair{e, m}; });
  }
};

// True when no level, time or history value of the state is NaN or infinite.
inline bool AllFinite(const ModelState& state) {
  bool finite = true;
  auto check = [&](double v) { finite = finite && std::isfinite(v); };
  for (const auto& agent : state.System.Agents) {
    for (double v : {agent.StepWorkTime, agent.TaskWorkTime, agent.RunWorkTime}) check(v);
    for (const auto& s : agent.Skills) {
      for (double v : {s.Expertise, s.Motivation, s.TimeNeeded, s.IValue, s.YouValue}) check(v);
    }
  }
  for (double v : {state.System.StepDuration, state.System.TaskDuration, state.System.RunDuration}) check(v);
  const RunHistory& h = state.History;
  for (const auto* table : {&h.ExpertiseHistory, &h.MotivationHistory, &h.StepWorkHistory}) {
    std::for_each(table->begin(), table->end(), check);
  }
  for (const auto& row : h.TaskWorkHistory) std::for_each(row.begin(), row.end(), check);
  return finite;
}

}  // namespace davrel3::testing
