#include "hostile_inputs.h"

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/robustness/sequences.h"
#include "experiment/parameter_file.h"
#include "experiment/session.h"

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

// A file that mostly looks like a saved one, with the fuzzer's choice of
// names, values, duplicates and breaks.
std::string GeneratedFile(Bytes& bytes) {
  std::string text = "{\"format\": \"davrel3-parameters\", \"version\": ";
  text += bytes.Next(8) == 0 ? JsonValue(bytes, 0) : "1";
  text += ", \"fields\": {";
  const int fields = static_cast<int>(bytes.Next(8));
  for (int i = 0; i < fields; ++i) {
    if (i > 0) text += ", ";
    const auto field = static_cast<Field>(bytes.Next(kFieldCount));
    text += "\"" + std::string(bytes.Next(16) == 0 ? "Unknown" : FieldName(field)) + "\": ";
    text += bytes.Next(3) == 0 ? JsonValue(bytes, 0) : "{\"text\": \"" + NumberText(bytes) + "\"}";
  }
  text += "}, \"items\": {\"FitNoFit\": " + std::to_string(static_cast<int>(bytes.Next(4)) - 1) + "}";
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

// OK or Define, then START on what the panel holds; only the two refusals
// a commit knows may come out, and every run ends properly.
void CommitAndRun(Workbench& bench, Bytes& bytes) {
  try {
    if (bytes.Next(2)) {
      bench.OKButtonClick();
    } else {
      bench.DefineButtonClick();
    }
  } catch (const ConversionError&) {
    return;
  } catch (const CommitRefused&) {
    return;
  }
  bench.State().History.ByteLimit = 4 << 20;
  const RunOutcome outcome = bench.StartButtonClick();
  if (outcome.status != RunStatus::Finished && outcome.message.empty()) std::abort();
  if (!AllFinite(bench.State()) || !GridsReadable(bench.State())) std::abort();
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
  try {
    LoadParameters(text, panel);
  } catch (const ParameterFileError& error) {
    const std::string message = error.what();
    if (message.empty() || message.find("json.exception") != std::string::npos) std::abort();
    if (PanelState(panel) != before) std::abort();  // a refused file changes nothing
    return;
  }
  if (!raw) CommitAndRun(bench, bytes);
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
