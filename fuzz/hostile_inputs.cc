#include "hostile_inputs.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/robustness/sequences.h"
#include "experiment/parameter_file.h"
#include "experiment/session.h"
#include "experiment/skill_levels.h"
#include "experiment/sweep.h"
#include "model/int_text.h"

namespace davrel3::fuzzing {
namespace {

using testing::AllFinite;
using testing::GridsReadable;

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned Next(unsigned n) { return n == 0 || pos_ >= size_ ? 0 : data_[pos_++] % n; }
  bool Exhausted() const { return pos_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Numbers at and beyond the edges of int, and digit strings that are long
// but still stand for small values.
std::string NumberText(Bytes& bytes) {
  static const char* const kEdges[] = {"2147483647", "-2147483648", "2147483648", "-2147483649", "0",
                                       "99999999",   "100000",      "100001",     "10000",       "10001",
                                       "6820",       "6821",        "-1",         "1",           "+7"};
  switch (bytes.Next(4)) {
    case 0:
      return kEdges[bytes.Next(sizeof kEdges / sizeof kEdges[0])];
    case 1:
      return std::string(static_cast<std::size_t>(bytes.Next(256)) << bytes.Next(10), '0') +
             std::to_string(bytes.Next(200));
    case 2:
      return std::to_string(static_cast<long long>(bytes.Next(256)) << bytes.Next(40));
    default:
      return std::to_string(bytes.Next(50));
  }
}

// Every value a JSON number or text of the file could be.
std::string JsonValue(Bytes& bytes, int depth) {
  switch (bytes.Next(9)) {
    case 0:
      return "\"" + NumberText(bytes) + "\"";
    case 1:
      return NumberText(bytes);
    case 2:
      return "1e" + std::to_string(bytes.Next(500));
    case 3:
      return std::to_string(bytes.Next(100)) + ".5";
    case 4:
      return std::string(bytes.Next(100), '[') + "1" + std::string(bytes.Next(100), ']');
    case 5:
      return depth < 3 ? "{\"text\": " + JsonValue(bytes, depth + 1) + ", \"position\": " + JsonValue(bytes, depth + 1) +
                             "}"
                       : "null";
    case 6:
      return "\"\\u" + std::string(bytes.Next(2) ? "d800" : "00e9") + "\"";
    case 7:
      return "\"\xff\"";
    default:
      return "{\"text\": \"" + NumberText(bytes) + "\"}";
  }
}

// A level as a file may hold it: mostly plain numbers, sometimes what is
// not one (too large to be finite, a text, a truth value, a list).
std::string LevelValue(Bytes& bytes) {
  switch (bytes.Next(12)) {
    case 0:
      return "1e" + std::to_string(bytes.Next(400));
    case 1:
      return "-1e309";
    case 2:
      return "\"15\"";
    case 3:
      return bytes.Next(2) ? "true" : "false";
    case 4:
      return "[1]";
    case 5:
      return "null";
    case 6:
      return std::to_string(bytes.Next(100)) + "." + std::to_string(bytes.Next(1000));
    default:
      return std::to_string(static_cast<int>(bytes.Next(60)) - 10);
  }
}

// One table of the levels entry: `agents` lists of `skills` values, give or
// take one list or one value where the fuzzer says so.
std::string LevelTableText(Bytes& bytes, int agents, int skills, bool truths) {
  if (bytes.Next(16) == 0) return LevelValue(bytes);  // not a table at all
  const int rows = agents + (bytes.Next(10) == 0 ? static_cast<int>(bytes.Next(3)) - 1 : 0);
  std::string text = "[";
  for (int a = 0; a < rows; ++a) {
    if (a > 0) text += ", ";
    const int cells = skills + (bytes.Next(12) == 0 ? static_cast<int>(bytes.Next(3)) - 1 : 0);
    text += "[";
    for (int s = 0; s < cells; ++s) {
      if (s > 0) text += ", ";
      text += truths && bytes.Next(8) != 0 ? (bytes.Next(2) ? "true" : "false") : LevelValue(bytes);
    }
    text += "]";
  }
  return text + "]";
}

// The "levels" section of a version 2 file: sizes that may not match the
// tables, tables left out, extra or repeated keys.
std::string LevelsSection(Bytes& bytes) {
  const int agents = static_cast<int>(bytes.Next(12)) - 1;
  const int skills = static_cast<int>(bytes.Next(12)) - 1;
  const int givenAgents = bytes.Next(8) == 0 ? static_cast<int>(bytes.Next(400000)) - 1 : agents;
  std::string text = "{\"agents\": " + std::to_string(givenAgents) + ", \"skills\": " +
                     (bytes.Next(12) == 0 ? LevelValue(bytes) : std::to_string(skills));
  static const char* const kTables[] = {"expertise", "motivation", "initial_level", "chosen", "i_value", "you_value"};
  for (const char* name : kTables) {
    if (bytes.Next(5) == 0) continue;  // left out
    const bool truths = std::string(name) == "chosen";
    text += ", \"" + std::string(name) + "\": " + LevelTableText(bytes, agents, skills, truths);
    if (bytes.Next(24) == 0) text += ", \"" + std::string(name) + "\": []";  // named twice
  }
  if (bytes.Next(16) == 0) text += ", \"extra\": 1";
  return text + "}";
}

// A file that mostly looks like a saved one, with the fuzzer's choice of
// names, values, duplicates and breaks; a version 2 file may carry levels.
std::string GeneratedFile(Bytes& bytes) {
  const bool second = bytes.Next(2) == 0;
  std::string text = "{\"format\": \"davrel3-parameters\", \"version\": ";
  text += bytes.Next(8) == 0 ? JsonValue(bytes, 0) : (second ? "2" : "1");
  text += ", \"fields\": {";
  const int fields = static_cast<int>(bytes.Next(8));
  for (int i = 0; i < fields; ++i) {
    if (i > 0) text += ", ";
    const auto field = static_cast<Field>(bytes.Next(kFieldCount));
    text += "\"" + std::string(bytes.Next(16) == 0 ? "Unknown" : FieldName(field)) + "\": ";
    text += bytes.Next(3) == 0 ? JsonValue(bytes, 0) : "{\"text\": \"" + NumberText(bytes) + "\"}";
  }
  text += "}, \"items\": {\"FitNoFit\": " + std::to_string(static_cast<int>(bytes.Next(4)) - 1) + "}";
  if (second ? bytes.Next(6) != 0 : bytes.Next(10) == 0) text += ", \"levels\": " + LevelsSection(bytes);
  if (bytes.Next(6) == 0) text.resize(bytes.Next(static_cast<unsigned>(text.size()) + 1));  // broken off
  text += "}";
  return text;
}

// Everything a panel holds, to see that a refused file changed nothing.
std::vector<std::string> PanelState(const ParameterPanel& panel) {
  std::vector<std::string> state;
  for (int f = 0; f < kFieldCount; ++f) {
    state.push_back(panel.Text(static_cast<Field>(f)));
    state.push_back(std::to_string(panel.Position(static_cast<Field>(f))));
  }
  for (int c = 0; c < kChoiceCount; ++c) state.push_back(std::to_string(panel.ItemIndex(static_cast<Choice>(c))));
  return state;
}

// OK or Define on what the panel holds; only the two refusals a commit knows
// may come out. Returns whether the commit went through.
bool Commit(Workbench& bench, Bytes& bytes) {
  try {
    if (bytes.Next(2)) {
      bench.OKButtonClick();
    } else {
      bench.DefineButtonClick();
    }
  } catch (const ConversionError&) {
    return false;
  } catch (const CommitRefused&) {
    return false;
  }
  return true;
}

// START on the committed group: every run ends properly.
void Run(Workbench& bench) {
  bench.State().History.ByteLimit = 4 << 20;
  const RunOutcome outcome = bench.StartButtonClick();
  if (outcome.status != RunStatus::Finished && outcome.message.empty()) std::abort();
  if (!AllFinite(bench.State()) || !GridsReadable(bench.State())) std::abort();
}

// OK or Define, then START when the commit went through.
void CommitAndRun(Workbench& bench, Bytes& bytes) {
  if (Commit(bench, bytes)) Run(bench);
}

}  // namespace

void FuzzParameterFile(const std::uint8_t* data, std::size_t size) {
  Bytes bytes(data, size);
  const bool raw = bytes.Next(2) == 0;
  const std::string text = raw ? std::string(reinterpret_cast<const char*>(data), size) : GeneratedFile(bytes);
  InMemoryPanel panel;
  Workbench bench(panel);
  StartUp(bench);
  const auto before = PanelState(panel);
  std::optional<SkillState> levels;
  try {
    LoadParameters(text, panel, &levels);
  } catch (const ParameterFileError& error) {
    const std::string message = error.what();
    if (message.empty() || message.find("json.exception") != std::string::npos) std::abort();
    if (PanelState(panel) != before) std::abort();  // a refused file changes nothing
    if (levels) std::abort();                       // nor the levels handed back
    return;
  }
  // What the reader hands back must be a whole table of finite numbers.
  if (levels) {
    const LevelTable& table = levels->Levels;
    if (table.Agents < 0 || table.Skills < 0) std::abort();
    const std::size_t cells = static_cast<std::size_t>(table.Agents) * static_cast<std::size_t>(table.Skills);
    if (table.Expertise.size() != cells || table.Motivation.size() != cells || levels->InitialLevel.size() != cells) {
      std::abort();
    }
    const std::vector<double>* tables[] = {&table.Expertise, &table.Motivation, &levels->InitialLevel};
    for (const std::vector<double>* values : tables) {
      for (double value : *values) {
        if (!std::isfinite(value)) std::abort();
      }
    }
    if (levels->HasChoices && (levels->Chosen.size() != cells || levels->IValue.size() != cells ||
                               levels->YouValue.size() != cells)) {
      std::abort();
    }
  }
  if (raw) return;
  // As the runner does: the commit, then the file's levels on the group.
  if (!Commit(bench, bytes)) return;
  if (levels) {
    const SkillState held = CommittedSkillState(bench.State().System);
    try {
      ApplySkillState(bench.State().System, *levels, "the parameter file");
    } catch (const LevelsRefused& refusal) {
      if (std::string(refusal.what()).empty()) std::abort();
      if (!(CommittedSkillState(bench.State().System) == held)) std::abort();  // refused: nothing changed
      return;
    }
  }
  Run(bench);
}

namespace {

// A range or list as people mistype them: reversed, a zero or negative
// step, bounds at and past the ends of int, words, stray separators.
std::string SweepText(Bytes& bytes) {
  static const char* const kNames[] = {"Dur", "NrofAg", "Cycle", "Var", "fit", "newcomer", "skills", "config",
                                       "EntTurnAgent", "Nothing", "", "dur"};
  static const char* const kWords[] = {"nofit", "fit", "none", "specialist", "generalist", "low", "mod", "high",
                                       "twoagents", "spec", "abc", "", " 5", "5 ", "0x10", "1e3", "\xff"};
  std::string text = kNames[bytes.Next(sizeof kNames / sizeof kNames[0])];
  if (bytes.Next(16) != 0) text += "=";
  if (bytes.Next(2) == 0) {
    const int parts = static_cast<int>(bytes.Next(5));
    for (int i = 0; i < parts; ++i) {
      if (i > 0) text += ":";
      text += bytes.Next(5) == 0 ? kWords[bytes.Next(sizeof kWords / sizeof kWords[0])] : NumberText(bytes);
    }
  } else {
    const int values = static_cast<int>(bytes.Next(6));
    for (int i = 0; i < values; ++i) {
      if (i > 0) text += ",";
      text += bytes.Next(2) == 0 ? kWords[bytes.Next(sizeof kWords / sizeof kWords[0])] : NumberText(bytes);
    }
  }
  return text;
}

}  // namespace

void FuzzSweeps(const std::uint8_t* data, std::size_t size) {
  Bytes bytes(data, size);
  SweepPlan plan;
  const int sweeps = 1 + static_cast<int>(bytes.Next(3));
  for (int i = 0; i < sweeps; ++i) {
    const std::string text = SweepText(bytes);
    Sweep sweep;
    if (auto error = ParseSweep(text, sweep)) {
      if (error->empty()) std::abort();
      continue;
    }
    // A range that parses leads from FROM to TO in whole steps, inside int.
    const long long count = sweep.Count();
    if (count < 1) std::abort();
    if (sweep.range) {
      const long long lastValue = sweep.ValueAt(count - 1);
      if (lastValue < INT_MIN || lastValue > INT_MAX) std::abort();
      if (sweep.step > 0 ? (lastValue > sweep.to || lastValue + sweep.step <= sweep.to)
                         : (lastValue < sweep.to || lastValue + sweep.step >= sweep.to)) {
        std::abort();
      }
    }
    plan.sweeps.push_back(sweep);
  }
  plan.design = bytes.Next(4) == 0;
  SessionOptions base;
  if (bytes.Next(4) == 0) base.sets.emplace_back(Field::Dur, "5");
  if (auto error = CheckPlan(base, plan)) {
    if (error->empty()) std::abort();
    return;
  }
  const long long runs = plan.Runs();
  if (runs < 1 || runs > kMaxPlanRuns) std::abort();
  // The first, the last and a run between: every swept text is one the
  // commit reads as a whole number or an item.
  for (long long run : {0LL, runs - 1, static_cast<long long>(bytes.Next(1u << 16)) % runs}) {
    const SessionOptions options = plan.OptionsOf(base, run);
    for (const auto& [field, text] : options.sets) {
      try {
        StrToInt(text);
      } catch (const ConversionError&) {
        std::abort();
      }
    }
  }
  // Shards of the plan cover it without a gap.
  const long long n = 1 + static_cast<long long>(bytes.Next(64));
  long long previous = 0;
  for (long long k = 1; k <= n; ++k) {
    long long first = 0, last = 0;
    ShardRange(runs, k, n, first, last);
    if (first != previous || last < first) std::abort();
    previous = last;
  }
  if (previous != runs) std::abort();
}

void FuzzLargeNumbers(const std::uint8_t* data, std::size_t size) {
  Bytes bytes(data, size);
  InMemoryPanel panel;
  Workbench bench(panel);
  StartUp(bench);
  for (int round = 0; round < 4 && !bytes.Exhausted(); ++round) {
    const int typed = 1 + static_cast<int>(bytes.Next(4));
    for (int i = 0; i < typed; ++i) {
      panel.SetText(static_cast<Field>(bytes.Next(kFieldCount - 1)), NumberText(bytes));  // not EntTurnAgent
    }
    if (bytes.Next(3) == 0) {
      // Typed after the commit: START must check them itself.
      bench.State().History.ByteLimit = 4 << 20;
      const RunOutcome outcome = bench.StartButtonClick();
      if (outcome.status != RunStatus::Finished && outcome.message.empty()) std::abort();
      if (!AllFinite(bench.State()) || !GridsReadable(bench.State())) std::abort();
    } else {
      CommitAndRun(bench, bytes);
    }
  }
}

}  // namespace davrel3::fuzzing
