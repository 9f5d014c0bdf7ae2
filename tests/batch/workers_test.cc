// Workers: threads the system will not start mean fewer workers.
#include <gtest/gtest.h>

#include <atomic>
#include <system_error>

#include "experiment/thread_start.h"

namespace {

using namespace davrel3;

TEST(Workers, AThreadThatCannotBeStartedMeansFewerThreads) {
  std::atomic<int> ran{0};
  int launched = 0;
  auto launch = [&](const std::function<void()>& body) {
    if (launched == 3) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    ++launched;
    return std::thread(body);
  };
  auto threads = StartThreads(1024, [&] { ++ran; }, launch);
  EXPECT_EQ(threads.size(), 3u);
  for (auto& t : threads) t.join();
  EXPECT_EQ(ran, 3);
}

TEST(Workers, NoThreadAtAllIsReportedAsNone) {
  auto launch = [](const std::function<void()>&) -> std::thread { throw std::bad_alloc(); };
  EXPECT_TRUE(StartThreads(4, [] {}, launch).empty());
}

}  // namespace
