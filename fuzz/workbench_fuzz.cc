// libFuzzer target: the fuzzer's bytes choose a sequence of panel texts,
// radio items and button presses on a workbench (as the robustness tests do
// with a seeded generator). A crash, a sanitizer report, a hang, a number
// that is not finite or a run without a proper ending is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "../tests/robustness/sequences.h"
#include "hostile_inputs.h"

namespace {

using namespace davrel3;
using namespace davrel3::testing;

class ByteSource : public ChoiceSource {
 public:
  ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned Next(unsigned n) override {
    if (n <= 1 || pos_ >= size_) return 0;
    unsigned value = data_[pos_++];
    if (n > 256 && pos_ < size_) value = value << 8 | data_[pos_++];
    return value % n;
  }
  bool Exhausted() const override { return pos_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte chooses what is fuzzed: the inputs a user hands over
  // (parameter files, large numbers, sweeps), or sequences of button presses.
  if (size > 0 && data[0] % 8 == 1) {
    fuzzing::FuzzParameterFile(data + 1, size - 1);
    return 0;
  }
  if (size > 0 && data[0] % 8 == 2) {
    fuzzing::FuzzLargeNumbers(data + 1, size - 1);
    return 0;
  }
  if (size > 0 && data[0] % 8 == 3) {
    fuzzing::FuzzSweeps(data + 1, size - 1);
    return 0;
  }
  ByteSource source(data, size);
  InMemoryPanel panel;
  Workbench bench(panel);
  StartUp(bench);
  bench.State().History.ByteLimit = 4 << 20;
  SessionEvents events;
  events.onRun = [](const RunOutcome& outcome) {
    const int status = static_cast<int>(outcome.status);
    if (status < 0 || status > 3) std::abort();
    if (outcome.status != RunStatus::Finished && outcome.message.empty()) std::abort();
  };
  PlaySequence(bench, source, 64, events);
  if (!AllFinite(bench.State()) || !GridsReadable(bench.State())) std::abort();
  return 0;
}
