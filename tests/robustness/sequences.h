// Generated sessions for the robustness tests and the fuzz target: sequences
// of panel texts, radio items and button presses on a workbench, drawn from a
// source of numbers (a seeded generator or the fuzzer's bytes). Sizes stay
// small so that thousands of sequences run in seconds, also under sanitizers.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "experiment/session.h"
#include "model/int_text.h"

namespace davrel3::testing {

// Where the choices come from: Next(n) gives a number in [0, n).
class ChoiceSource {
 public:
  virtual ~ChoiceSource() = default;
  virtual unsigned Next(unsigned n) = 0;
  virtual bool Exhausted() const { return false; }
};

// A seeded generator: the same seed, the same choices on every machine.
class SeededSource : public ChoiceSource {
 public:
  explicit SeededSource(unsigned seed) : engine_(seed) {}
  unsigned Next(unsigned n) override {
    return n == 0 ? 0 : std::uniform_int_distribution<unsigned>(0, n - 1)(engine_);
  }

 private:
  std::mt19937 engine_;
};

// The text typed into a field: mostly numbers of the field's sensible range,
// sometimes numbers just outside it, sometimes no number at all.
inline std::string TextFor(Field field, ChoiceSource& source) {
  static const char* const kBad[] = {"", "x", " 5", "5 ", "1e3", "0x10", "2147483648", "-2147483649", "+", "--1"};
  switch (source.Next(10)) {
    case 0:
      return kBad[source.Next(10)];
    case 1:
      return IntToStr(static_cast<int>(source.Next(7)) - 3);  // around zero, negatives included
    default:
      break;
  }
  switch (field) {
    case Field::NrofAg:
      return IntToStr(1 + source.Next(8));
    case Field::NrofSkills:
      return IntToStr(1 + source.Next(8));
    case Field::Action:
      return IntToStr(source.Next(9));
    case Field::Var:
      return IntToStr(static_cast<int>(source.Next(7)) - 2);
    case Field::Cycle:
      return IntToStr(source.Next(40));
    case Field::NrOfTasks:
      return IntToStr(source.Next(4));
    case Field::InhPar:
    case Field::ExcPar:
    case Field::LearnInt:
      return IntToStr(source.Next(11));
    default:
      return IntToStr(source.Next(source.Next(2) ? 30 : 110));
  }
}

enum class Press { OK, Cancel, Define, Default, Configuration, Remove, Start, Draw, Levels, Type, Choose };

struct SessionEvents {
  std::function<void(const RunOutcome&)> onRun;  // after every START
  std::function<void(const std::exception&)> onRefusal;
};

// Applies up to `steps` operations to the workbench, drawn from the source.
inline void PlaySequence(Workbench& bench, ChoiceSource& source, int steps, const SessionEvents& events) {
  ParameterPanel& panel = bench.Panel();
  for (int step = 0; step < steps && !source.Exhausted(); ++step) {
    const auto press = static_cast<Press>(source.Next(11));
    try {
      switch (press) {
        case Press::Type: {
          const int count = 1 + static_cast<int>(source.Next(3));
          for (int i = 0; i < count; ++i) {
            const auto field = static_cast<Field>(source.Next(kFieldCount - 1));  // not EntTurnAgent
            panel.SetText(field, TextFor(field, source));
          }
          break;
        }
        case Press::Choose:
          panel.SetItemIndex(static_cast<Choice>(source.Next(kChoiceCount)), static_cast<int>(source.Next(5)) - 1);
          break;
        case Press::OK:
          bench.OKButtonClick();
          break;
        case Press::Cancel:
          bench.CancelButtonClick();
          break;
        case Press::Define:
          bench.DefineButtonClick();
          break;
        case Press::Default:
          bench.DefaultButtonClick();
          break;
        case Press::Configuration: {
          const auto& list = Configurations();
          (bench.*list[source.Next(static_cast<unsigned>(list.size()))].apply)();
          break;
        }
        case Press::Remove:
          bench.RemoveButtonClick();
          break;
        case Press::Start:
          if (events.onRun) events.onRun(bench.StartButtonClick());
          break;
        case Press::Draw:
          bench.DrawGrids();
          break;
        case Press::Levels:
          ApplyRotationLevels(bench);
          break;
      }
    } catch (const ConversionError& e) {
      if (events.onRefusal) events.onRefusal(e);
    } catch (const CommitRefused& e) {
      if (events.onRefusal) events.onRefusal(e);
    }
  }
}

// Every number the records and the history hold is finite.
inline bool AllFinite(const ModelState& state) {
  for (const auto& agent : state.System.Agents) {
    for (double v : {agent.StepWorkTime, agent.TaskWorkTime, agent.RunWorkTime}) {
      if (!std::isfinite(v)) return false;
    }
    for (const auto& s : agent.Skills) {
      for (double v : {s.Motivation, s.Expertise, s.InitialLevel, s.TimeNeeded, s.IValue, s.YouValue}) {
        if (!std::isfinite(v)) return false;
      }
    }
  }
  for (double v : {state.System.StepDuration, state.System.TaskDuration, state.System.RunDuration}) {
    if (!std::isfinite(v)) return false;
  }
  const RunHistory& h = state.History;
  for (const auto* table : {&h.ExpertiseHistory, &h.MotivationHistory, &h.StepWorkHistory}) {
    for (double v : *table) {
      if (!std::isfinite(v)) return false;
    }
  }
  for (const auto& row : h.TaskWorkHistory) {
    for (double v : row) {
      if (!std::isfinite(v)) return false;
    }
  }
  return true;
}

// No grid text spells a number that is not finite.
inline bool GridsReadable(const ModelState& state) {
  for (const TextGrid* grid : {&state.TaskGrid, &state.AllocationGrid, &state.WorkTimeGrid}) {
    for (const auto& row : grid->RowMajor()) {
      for (const auto& cell : row) {
        if (cell.find("nan") != std::string::npos || cell.find("inf") != std::string::npos) return false;
      }
    }
  }
  return true;
}

}  // namespace davrel3::testing
