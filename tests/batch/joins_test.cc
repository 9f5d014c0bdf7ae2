// Joins: tables of runs read back strictly, and the slices of one batch
// joined only when they make the whole table.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "experiment/csv_reader.h"
#include "experiment/run_table.h"
#include "experiment/sweep.h"

namespace {

using namespace davrel3;
namespace fs = std::filesystem;

class Joins : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("davrel3-joins-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& contents) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << contents;
    return path.string();
  }
  std::string Refusal(const std::string& path) {
    try {
      ScanRunTable(path);
    } catch (const InputFileError& e) {
      return e.what();
    }
    return "";
  }

  fs::path folder_;
};

class StringSink : public OutputSink {
 public:
  void Write(std::string_view data) override { text.append(data); }
  void Finish() override {}
  const std::string& Name() const override { return name; }
  std::string text, name = "memory";
};

const std::string kHeader = "run,NrofAg,message,task\n";
// Runs 1..6; run 2 has two rows (two tasks), run 4's message holds a comma
// and a line break inside quotes.
const std::string kRows[] = {"1,6,,1\n", "2,6,,1\n2,6,,2\n", "3,7,,1\n", "4,7,\"a, \"\"b\"\"\nc\",1\n",
                             "5,8,,1\n", "6,8,,1\n"};

std::string Rows(int from, int to) {
  std::string rows;
  for (int r = from; r <= to; ++r) rows += kRows[r - 1];
  return rows;
}

TEST_F(Joins, ATableIsReadWithItsRunsRowsAndQuotedFields) {
  const auto scan = ScanRunTable(Write("t.csv", kHeader + Rows(1, 6)));
  EXPECT_EQ(scan.header, kHeader);
  EXPECT_EQ(scan.runs, (std::vector<RunSpan>{{1, 6}}));
  EXPECT_EQ(scan.rows, 7);
  EXPECT_EQ(scan.runCount, 6);
  CsvReader reader(Write("q.csv", "a,b\n\"x,\"\"y\"\"\nz\",2\r\n"), CsvLimits{});
  std::vector<std::string> fields;
  ASSERT_TRUE(reader.Next(fields));
  ASSERT_TRUE(reader.Next(fields));
  EXPECT_EQ(fields, (std::vector<std::string>{"x,\"y\"\nz", "2"}));
  EXPECT_FALSE(reader.Next(fields));
}

TEST_F(Joins, EveryFlawIsRefusedWithItsLineAndProblem) {
  const std::pair<std::string, std::string> cases[] = {
      {kHeader + "1,6,,1\n2,6,1\n", "line 3: the row has 3 fields, the header 4 columns"},
      {kHeader + "1,6,,1\n3,6,,1\n2,6,,1\n", "line 4: run 2 comes after run 3: the runs are not in order"},
      {kHeader + "1,6,,1\n2,6,,1", "line 3: the file ends inside this line: it was cut off"},
      {kHeader + "1,6,\"open,1\n", "line 2: the file ends inside a quoted field"},
      {kHeader + "1,6,x\"y,1\n", "line 2: field 3 holds a quote but does not start with one"},
      {kHeader + "1,6,\"x\"y,1\n", "line 2: a quoted field (field 3) is followed by more text"},
      {kHeader + "01,6,,1\n", "line 2: the run number '01' is not a whole number from 1"},
      {kHeader + "-3,6,,1\n", "line 2: the run number '-3' is not a whole number from 1"},
      {kHeader + "99999999999999999999,6,,1\n", "is not a whole number from 1"},
      {kHeader + "1,6,,1\n" + std::string("2,6,\0,1\n", 8), "line 3: it holds a NUL byte"},
      {"task,run\n", "line 1: this is not a table of runs"},
      {"", "the file is empty: there is no header line"},
  };
  int n = 0;
  for (const auto& [contents, problem] : cases) {
    const std::string path = Write("bad" + std::to_string(n++) + ".csv", contents);
    const std::string message = Refusal(path);
    EXPECT_NE(message.find(problem), std::string::npos) << "got: " << message;
    EXPECT_EQ(message.rfind(path, 0), 0u) << "does not name the file: " << message;
  }
  const std::string longLine = kHeader + "1,6," + std::string(2 << 20, 'x') + ",1\n";
  EXPECT_NE(Refusal(Write("long.csv", longLine)).find("line 2: the line is longer than 1024 KiB"),
            std::string::npos);
}

TEST_F(Joins, OnlyRegularFilesAreRead) {
  const std::string fifo = (folder_ / "fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Opening a FIFO for reading would wait for a writer: refusing it must not.
  EXPECT_NE(Refusal(fifo).find("it is a pipe, not a regular file"), std::string::npos);
  EXPECT_NE(Refusal("/dev/zero").find("/dev/zero: it is a device, not a regular file"), std::string::npos);
  EXPECT_NE(Refusal(folder_.string()).find("it is a folder, not a regular file"), std::string::npos);
  EXPECT_NE(Refusal((folder_ / "none.csv").string()).find("No such file or directory"), std::string::npos);
}

TEST_F(Joins, SlicesJoinByteForByteInRunOrderWhateverTheOrderGiven) {
  std::vector<RunTableScan> tables = {ScanRunTable(Write("c.csv", kHeader + Rows(5, 6))),
                                      ScanRunTable(Write("a.csv", kHeader + Rows(1, 2))),
                                      ScanRunTable(Write("empty.csv", kHeader)),
                                      ScanRunTable(Write("b.csv", kHeader + Rows(3, 4)))};
  const MergePlan plan = PlanMerge(tables, 6);
  ASSERT_TRUE(plan.ok()) << plan.error;
  StringSink out;
  WriteMerge(tables, plan, out);
  EXPECT_EQ(out.text, kHeader + Rows(1, 6));
}

TEST_F(Joins, AGapNamesTheMissingRunsAndJoinsNothing) {
  std::vector<RunTableScan> tables = {ScanRunTable(Write("a.csv", kHeader + Rows(1, 1))),
                                      ScanRunTable(Write("c.csv", kHeader + Rows(4, 4)))};
  EXPECT_EQ(PlanMerge(tables, 6).error, "4 runs are missing: 2-3, 5-6");
  // Without the batch's total, the runs up to the highest one must be there.
  EXPECT_EQ(PlanMerge(tables, std::nullopt).error, "2 runs are missing: 2-3");
  tables.push_back(ScanRunTable(Write("b.csv", kHeader + Rows(2, 3))));
  EXPECT_EQ(PlanMerge(tables, 5).error, "1 run is missing: 5");
  EXPECT_EQ(PlanMerge(tables, 3).error, "run 4 is beyond the 3 runs of the batch");
  EXPECT_TRUE(PlanMerge(tables, 4).ok());
}

TEST_F(Joins, ARunTwiceOrAnotherHeaderIsRefused) {
  const std::string a = Write("a.csv", kHeader + Rows(1, 3));
  const std::string b = Write("b.csv", kHeader + Rows(3, 4));
  EXPECT_EQ(PlanMerge({ScanRunTable(a), ScanRunTable(b)}, 4).error,
            "run 3 is in " + a + " and in " + b + ": a run may be joined only once");
  EXPECT_NE(PlanMerge({ScanRunTable(a), ScanRunTable(a)}, 3).error.find("twice"), std::string::npos);
  const std::string other = Write("o.csv", "run,NrofSkills,message,task\n" + Rows(4, 4));
  EXPECT_EQ(PlanMerge({ScanRunTable(a), ScanRunTable(other)}, 4).error,
            other + " has another header than " + a + ": they are not slices of the same batch");
  const std::string odd = Write("odd.csv", kHeader + Rows(1, 1) + Rows(3, 3));
  const std::string even = Write("even.csv", kHeader + Rows(2, 2) + Rows(4, 4));
  EXPECT_NE(PlanMerge({ScanRunTable(odd), ScanRunTable(even)}, 4).error.find("interleave"), std::string::npos);
}

TEST_F(Joins, ALongListOfMissingRunsIsCut) {
  std::vector<RunSpan> spans;
  for (long long r = 1; r <= 60; r += 2) spans.push_back({r, r});
  EXPECT_EQ(DescribeRuns(spans, 3), "1, 3, 5 and 27 more");
  EXPECT_EQ(MissingRuns({{1, 2}, {5, 5}}, 1, 1000000000000LL),
            (std::vector<RunSpan>{{3, 4}, {6, 1000000000000LL}}));
}

TEST_F(Joins, ATableChangedAfterItWasCheckedIsNotCopied) {
  const std::string path = Write("a.csv", kHeader + Rows(1, 2));
  const auto scan = ScanRunTable(path);
  Write("a.csv", kHeader + Rows(1, 3));
  StringSink out;
  EXPECT_THROW(CopyTable(scan, out), InputFileError);
}

TEST(Shards, SlicesOfHugeBatchesTileTheRunsWithoutOverflow) {
  for (const long long runs : {18LL, 1000000000LL, 18000000000LL, 999999999999LL}) {
    for (const long long n : {1LL, 7LL, 1000000000LL, 2147483647LL}) {
      long long previousLast = 0;
      for (const long long k : std::set<long long>{1, 2, n / 2, n - 1, n}) {
        if (k < 1 || k > n) continue;
        long long first = -1, last = -1;
        ShardRange(runs, k, n, first, last);
        const auto exact = [&](long long kk) {
          return static_cast<long long>(static_cast<__int128>(runs) * kk / n);
        };
        EXPECT_EQ(first, exact(k - 1)) << runs << " " << k << "/" << n;
        EXPECT_EQ(last, exact(k)) << runs << " " << k << "/" << n;
        EXPECT_GE(first, previousLast);
        EXPECT_LE(first, last);
        previousLast = last;
      }
      EXPECT_EQ(previousLast, runs);
    }
  }
}

}  // namespace
