// The upper vector halves a run starts with: cleared by the helper and by
// every table run, whatever the thread did before.
#include "experiment/vector_state.h"

#include <gtest/gtest.h>

#include "experiment/design.h"
#include "experiment/session.h"

namespace davrel3 {
namespace {

#if defined(__x86_64__) || defined(__i386__)
// What a library that skips vzeroupper leaves behind: a 256-bit AVX write.
// Plain asm, not an AVX target, which would have the compiler clear the
// halves again on the way out. Called only where the processor has AVX.
void MarkUpperHalvesInUse() {
  asm volatile("vpcmpeqd %%ymm1, %%ymm1, %%ymm1" ::: "xmm1");
}

bool CanMarkUpperHalves() {
  if (!__builtin_cpu_supports("avx")) return false;
  MarkUpperHalvesInUse();
  return UpperVectorStateInUse();
}
#else
bool CanMarkUpperHalves() { return false; }
void MarkUpperHalvesInUse() {}
#endif

TEST(VectorState, ClearingDropsTheMarkAnAvxWriteLeaves) {
  if (!CanMarkUpperHalves()) GTEST_SKIP() << "this processor cannot show the state in use";
  ASSERT_TRUE(UpperVectorStateInUse());
  ClearUpperVectorState();
  EXPECT_FALSE(UpperVectorStateInUse());
}

TEST(VectorState, ATableRunStartsCleared) {
  if (!CanMarkUpperHalves()) GTEST_SKIP() << "this processor cannot show the state in use";
  const TableRun first = RunCondition(SessionOptions{}, DesignConditions().front(), 1, false);
  ASSERT_TRUE(CanMarkUpperHalves());
  const TableRun again = RunCondition(SessionOptions{}, DesignConditions().front(), 1, false);
  EXPECT_FALSE(UpperVectorStateInUse());
  // Nothing the run computes depends on the halves.
  ASSERT_EQ(first.rows.size(), again.rows.size());
  EXPECT_EQ(first.rows.front().agentTimes, again.rows.front().agentTimes);
  EXPECT_EQ(first.rows.front().dol, again.rows.front().dol);
}

}  // namespace
}  // namespace davrel3
