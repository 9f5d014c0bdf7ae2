// Interrupts and resume: a signal becomes a flag the batch reads, and an
// interrupted table continues exactly where it stopped.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "experiment/interrupt.h"
#include "experiment/run_table.h"

namespace {

using namespace davrel3;
namespace fs = std::filesystem;

TEST(Interrupts, ASignalIsRecordedAndTheProcessGoesOn) {
  InstallInterruptHandlers();
  ClearInterrupt();
  EXPECT_FALSE(Interrupted());
  ASSERT_EQ(raise(SIGTERM), 0);
  EXPECT_EQ(InterruptSignal(), SIGTERM);
  EXPECT_EQ(InterruptExitStatus(InterruptSignal()), 143);
  EXPECT_EQ(InterruptExitStatus(SIGINT), 130);
  ClearInterrupt();
  EXPECT_FALSE(Interrupted());
}

TEST(Interrupts, ASecondInterruptEndsTheProcessAtOnce) {
  EXPECT_EXIT(
      {
        InstallInterruptHandlers();
        ClearInterrupt();
        raise(SIGINT);
        raise(SIGINT);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGINT), "");
}

class Resume : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (fs::temp_directory_path() / ("davrel3-resume-" + std::to_string(getpid()) + ".csv")).string();
  }
  void TearDown() override { fs::remove(path_); }
  RunTableScan Table(const std::string& contents) {
    std::ofstream(path_, std::ios::binary) << contents;
    return ScanRunTable(path_);
  }
  std::string path_;
};

TEST_F(Resume, APrefixOfTheSliceContinuesAfterItsLastRun) {
  const std::string header = "run,task\n";
  EXPECT_EQ(ResumePoint(Table(header), header, 1, 10), 0);
  EXPECT_EQ(ResumePoint(Table(header + "1,1\n2,1\n2,2\n3,1\n"), header, 1, 10), 3);
  EXPECT_EQ(ResumePoint(Table(header + "11,1\n12,1\n"), header, 11, 20), 2);
  EXPECT_EQ(ResumePoint(Table(header + "11,1\n12,1\n"), header, 11, 12), 2);
}

TEST_F(Resume, ATableThatIsNotAPrefixOfThisBatchIsRefused) {
  const std::string header = "run,task\n";
  auto refusal = [&](const RunTableScan& table, const std::string& expected, long long first, long long last) {
    try {
      ResumePoint(table, expected, first, last);
    } catch (const InputFileError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_NE(refusal(Table(header + "1,1\n"), "run,NrofAg,task\n", 1, 10).find("another header"),
            std::string::npos);
  EXPECT_NE(refusal(Table(header + "1,1\n3,1\n"), header, 1, 10).find("holds runs 1, 3, not the first runs of 1-10"),
            std::string::npos);
  EXPECT_NE(refusal(Table(header + "2,1\n"), header, 1, 10).find("holds runs 2,"), std::string::npos);
  EXPECT_NE(refusal(Table(header + "9,1\n10,1\n11,1\n"), header, 9, 10).find("cannot be continued"),
            std::string::npos);
}

}  // namespace
