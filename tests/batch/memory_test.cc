// Memory: the budget a batch shares between the runs it has going.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "experiment/memory_budget.h"

namespace {

using namespace davrel3;
using namespace std::chrono_literals;

TEST(MemoryBudget, ARequestLargerThanTheWholeBudgetIsRefusedAtOnce) {
  MemoryBudget budget(1000);
  EXPECT_EQ(budget.Acquire(1001, 0), MemoryBudget::Grant::TooLarge);
  EXPECT_EQ(budget.InUse(), 0);
  EXPECT_EQ(budget.Acquire(1000, 0), MemoryBudget::Grant::Granted);
  EXPECT_EQ(budget.InUse(), 1000);
}

TEST(MemoryBudget, ARequestThatDoesNotFitWaitsUntilEnoughIsGivenBack) {
  MemoryBudget budget(1000);
  ASSERT_EQ(budget.Acquire(700, 0), MemoryBudget::Grant::Granted);
  std::atomic<bool> granted{false};
  std::thread waiter([&] {
    EXPECT_EQ(budget.Acquire(600, 1), MemoryBudget::Grant::Granted);
    granted = true;
  });
  std::this_thread::sleep_for(150ms);
  EXPECT_FALSE(granted) << "600 of 1000 were granted while 700 were in use";
  budget.Release(200);
  std::this_thread::sleep_for(150ms);
  EXPECT_FALSE(granted) << "granted with only 500 free";
  budget.Release(500);
  waiter.join();
  EXPECT_TRUE(granted);
  EXPECT_EQ(budget.InUse(), 600);
}

TEST(MemoryBudget, TheLowestPriorityIsServedFirstAndNotOvertaken) {
  MemoryBudget budget(1000);
  ASSERT_EQ(budget.Acquire(1000, 0), MemoryBudget::Grant::Granted);
  std::vector<int> order;
  std::mutex orderMutex;
  auto request = [&](int priority, std::int64_t bytes) {
    EXPECT_EQ(budget.Acquire(bytes, priority), MemoryBudget::Grant::Granted);
    std::lock_guard lock(orderMutex);
    order.push_back(priority);
  };
  std::thread big([&] { request(5, 900); });
  while (!budget.LowerWaiting(6)) std::this_thread::sleep_for(1ms);
  // A small later request would fit once 100 are free, but run 5 waits first.
  EXPECT_FALSE(budget.TryAcquire(50, 7));
  std::thread small([&] { request(7, 50); });
  std::this_thread::sleep_for(100ms);
  budget.Release(100);
  std::this_thread::sleep_for(150ms);
  {
    std::lock_guard lock(orderMutex);
    EXPECT_TRUE(order.empty()) << "the small request overtook the large one";
  }
  budget.Release(900);
  big.join();
  small.join();
  // Both fit once everything is given back; which thread notes it first is
  // up to the scheduler.
  EXPECT_EQ(order.size(), 2u);
  EXPECT_EQ(budget.InUse(), 950);
}

TEST(MemoryBudget, AWaitEndsWhenTheBatchIsStopped) {
  MemoryBudget budget(100);
  ASSERT_EQ(budget.Acquire(100, 0), MemoryBudget::Grant::Granted);
  std::atomic<bool> stop{false};
  std::thread waiter([&] { EXPECT_EQ(budget.Acquire(50, 1, [&] { return stop.load(); }), MemoryBudget::Grant::Stopped); });
  std::this_thread::sleep_for(100ms);
  stop = true;
  waiter.join();
  EXPECT_EQ(budget.InUse(), 100);
  EXPECT_FALSE(budget.LowerWaiting(2)) << "a stopped request still holds its place";
}

TEST(MemoryBudget, SizesReadAsUsersWriteThem) {
  const std::pair<const char*, std::int64_t> good[] = {
      {"4G", std::int64_t{4} << 30},      {"512M", std::int64_t{512} << 20}, {"512MiB", std::int64_t{512} << 20},
      {"32768k", std::int64_t{32} << 20}, {"2T", std::int64_t{2} << 40},    {"16777216", std::int64_t{16} << 20},
      {"32MB", std::int64_t{32} << 20},   {"16777216B", std::int64_t{16} << 20}};
  for (const auto& [text, expected] : good) {
    std::int64_t bytes = 0;
    EXPECT_EQ(ParseByteSize(text, bytes), std::nullopt) << text;
    EXPECT_EQ(bytes, expected) << text;
  }
  for (const char* text : {"", "G", "4X", "-4G", "4 G", "4GG", "1.5G", "0", "1M", "99999999999999999999",
                           "9000000000000000000T", "8E"}) {
    std::int64_t bytes = 7;
    const auto error = ParseByteSize(text, bytes);
    ASSERT_TRUE(error.has_value()) << text;
    std::string quoted = "'";
    quoted += text;
    quoted += '\'';
    EXPECT_NE(error->find(quoted), std::string::npos) << *error;
    EXPECT_EQ(bytes, 7) << text;
  }
  EXPECT_EQ(FormatByteSize(std::int64_t{8} << 30), "8G");
  EXPECT_EQ(FormatByteSize(std::int64_t{1536} << 20), "1536M");
  EXPECT_EQ(FormatByteSize(100), "100");
}

TEST(MemoryBudget, TheDefaultIsHalfOfThePhysicalMemory) {
  const std::int64_t physical = PhysicalMemoryBytes();
  ASSERT_GT(physical, 0);
  EXPECT_EQ(DefaultMemoryBudget(), std::max(physical / 2, kMinimumMemoryBudget));
}

}  // namespace

#include "experiment/run_memory.h"
#include "experiment/session.h"
#include "model/history.h"

namespace {

using namespace davrel3;

TEST(RunMemory, ARunsNeedGrowsWithItsSizesAndNeverOverflows) {
  InMemoryPanel panel;
  Workbench bench(panel);
  StartUp(bench);
  const std::int64_t startUp = RunStartBytes(panel);
  EXPECT_GT(startUp, HistoryRowsBytes(246, 6));
  EXPECT_LT(startUp, std::int64_t{64} << 20);
  panel.SetText(Field::NrofAg, "600");
  EXPECT_GT(RunStartBytes(panel), startUp + HistoryRowsBytes(246, 594));
  // Texts at the ends of the integer range, or not numbers at all, give a
  // figure, not an overflow.
  for (const char* text : {"2147483647", "-2147483648", "abc"}) {
    for (Field field : {Field::NrofAg, Field::NrofSkills, Field::Cycle, Field::Action, Field::NrOfTasks}) {
      panel.SetText(field, text);
    }
    EXPECT_GT(RunStartBytes(panel), 0) << text;
  }
}

TEST(RunMemory, TheHistoryLimitKeepsTheWholeHistoryWithinTheBudget) {
  for (std::int64_t budget : {std::int64_t{16} << 20, std::int64_t{3} << 30, std::int64_t{1} << 40}) {
    const std::int64_t limit = HistoryLimitFor(budget);
    for (int agents : {1, 6, 1000}) {
      // The most rows the limit lets a run reach.
      const std::int64_t rows = limit / HistoryBytes(1, agents);
      EXPECT_LE(HistoryRowsBytes(rows, agents), budget) << budget << " " << agents;
      EXPECT_GT(HistoryRowsBytes(rows, agents), budget / 10 * 8) << "the limit wastes most of the budget";
    }
  }
}

}  // namespace
