// Thousands of generated sessions (typed texts, radio items, every button in
// any order): nothing crashes or hangs, no number that is not finite reaches
// a record, the history or a grid, and every run ends finished, stalled,
// failed or refused.
#include <gtest/gtest.h>

#include <chrono>

#include "sequences.h"

namespace davrel3::testing {
namespace {

TEST(GeneratedSessions, EveryRunEndsAndEveryNumberStaysFinite) {
  int runs = 0;
  int statuses[4] = {0, 0, 0, 0};
  const auto started = std::chrono::steady_clock::now();
  for (unsigned seed = 1; seed <= 3000; ++seed) {
    SeededSource source(seed);
    InMemoryPanel panel;
    Workbench bench(panel);
    StartUp(bench);
    bench.State().History.ByteLimit = 4 << 20;  // keep long runs cheap
    SessionEvents events;
    events.onRun = [&](const RunOutcome& outcome) {
      ++runs;
      const int status = static_cast<int>(outcome.status);
      ASSERT_GE(status, 0);
      ASSERT_LE(status, 3);
      ++statuses[status];
      if (outcome.status != RunStatus::Finished) {
        EXPECT_FALSE(outcome.message.empty()) << "seed " << seed;
      }
    };
    PlaySequence(bench, source, 14, events);
    ASSERT_TRUE(AllFinite(bench.State())) << "seed " << seed;
    ASSERT_TRUE(GridsReadable(bench.State())) << "seed " << seed;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  RecordProperty("runs", runs);
  // The sequences must reach every ending, or they test too little.
  EXPECT_GT(runs, 1000);
  EXPECT_GT(statuses[static_cast<int>(RunStatus::Finished)], 100);
  EXPECT_GT(statuses[static_cast<int>(RunStatus::Stalled)], 10);
  EXPECT_GT(statuses[static_cast<int>(RunStatus::Failed)], 10);
  EXPECT_GT(statuses[static_cast<int>(RunStatus::Refused)], 10);
  std::printf("%d runs in %.1f s: %d finished, %d stalled, %d failed, %d refused\n", runs, seconds, statuses[0],
              statuses[1], statuses[2], statuses[3]);
}

}  // namespace
}  // namespace davrel3::testing
