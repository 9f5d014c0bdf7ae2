// The experiment library's own pieces: the design's one table of conditions,
// SHA-256 against the standard test vectors, CSV cells, progress texts, sweep
// and points parsing, and plan checks.
#include <gtest/gtest.h>

#include <set>

#include "experiment/design.h"
#include "experiment/manifest.h"
#include "experiment/progress.h"
#include "experiment/sha256.h"
#include "experiment/sweep.h"
#include "experiment/table_format.h"
#include "experiment/version.h"

namespace davrel3 {
namespace {

TEST(Design, EighteenDistinctConditionsInItemOrderWithTheirWords) {
  const auto& conditions = DesignConditions();
  std::set<std::tuple<int, int, int>> seen;
  for (const auto& c : conditions) seen.insert({c.fit, c.newcomer, c.skills});
  EXPECT_EQ(seen.size(), 18u);
  EXPECT_EQ(conditions[0].fit, 0);
  EXPECT_EQ(conditions[1].skills, 1);
  EXPECT_EQ(conditions[3].newcomer, 1);
  EXPECT_EQ(conditions[9].fit, 1);
  EXPECT_EQ(conditions[17].fit + conditions[17].newcomer + conditions[17].skills, 1 + 2 + 2);
  for (int c = 0; c < kChoiceCount; ++c) {
    const Choice choice = static_cast<Choice>(c);
    for (int i = 0; i < ChoiceItemCount(choice); ++i) {
      EXPECT_EQ(ItemFromWord(choice, ItemWord(choice, i)), i);
      EXPECT_FALSE(ItemLabel(choice, i).empty());
    }
    EXPECT_EQ(ItemWord(choice, ChoiceItemCount(choice)), "");
    EXPECT_FALSE(ItemFromWord(choice, "").has_value());
    EXPECT_EQ(ChoiceFromOption(ChoiceOption(choice)), choice);
  }
  EXPECT_EQ(ItemFromWord(Choice::Newcomer, "generalist"), 2);
  EXPECT_FALSE(ItemFromWord(Choice::FitNoFit, "mod").has_value());
  EXPECT_EQ(ItemWords(Choice::HiLo), "low, mod, high");
}

TEST(Sha256, StandardTestVectors) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // A million 'a', fed in pieces: the digest depends on the bytes only.
  Sha256 hash;
  const std::string chunk(1000, 'a');
  for (int i = 0; i < 1000; ++i) hash.Update(chunk);
  EXPECT_EQ(hash.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Reading the digest does not end the hash.
  Sha256 growing;
  growing.Update("ab");
  EXPECT_EQ(growing.HexDigest(), Sha256Hex("ab"));
  growing.Update("c");
  EXPECT_EQ(growing.HexDigest(), Sha256Hex("abc"));
}

TEST(TableFormat, CellsAreQuotedOnlyWhenTheyMustBe) {
  EXPECT_EQ(CsvCell("No Fit"), "No Fit");
  EXPECT_EQ(CsvCell(""), "");
  EXPECT_EQ(CsvCell("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvCell("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvCell("two\nlines"), "\"two\nlines\"");
  const auto columns = TableColumns(2);
  ASSERT_EQ(columns.size(), 1u + 22 + 3 + 6 + 2 + 4 + 3);
  EXPECT_EQ(columns.front(), "run");
  EXPECT_EQ(columns[22], "EntTurnAgent");
  EXPECT_EQ(columns[30], "message");
  EXPECT_EQ(columns[columns.size() - 4], "mean_fit");
  EXPECT_EQ(columns[columns.size() - 3], "dol");
  EXPECT_EQ(columns[columns.size() - 2], "dol_before");
  EXPECT_EQ(columns.back(), "dol_after");

  // A row of a run without tasks keeps every column, with empty numbers.
  TableRow refused;
  refused.run = 7;
  refused.status = RunStatus::Refused;
  refused.message = "bad, very bad";
  const auto cells = TableRowCells(refused, 2);
  EXPECT_EQ(cells.size(), columns.size());
  EXPECT_EQ(cells[0], "7");
  EXPECT_EQ(TableRowText(refused, 2).find("\"bad, very bad\""), TableRowText(refused, 2).find('"'));
}

TEST(Progress, LineShowsDoneTotalPercentRateAndTimeLeft) {
  EXPECT_EQ(ProgressLine(0, 18, 0), "run 0 of 18 (0.0%)");
  EXPECT_EQ(ProgressLine(9, 18, 3), "run 9 of 18 (50.0%), 3 runs/s, about 3 s left");
  EXPECT_EQ(ProgressLine(18, 18, 6), "run 18 of 18 (100.0%), 3 runs/s");
  EXPECT_EQ(ProgressLine(13800, 27000, 10), "run 13800 of 27000 (51.1%), 1380 runs/s, about 10 s left");
  EXPECT_EQ(ProgressLine(1, 4, 4), "run 1 of 4 (25.0%), 0.25 runs/s, about 12 s left");
  EXPECT_EQ(DurationText(59.4), "59 s");
  EXPECT_EQ(DurationText(185), "3 min 05 s");
  EXPECT_EQ(DurationText(7620), "2 h 07 min");
}

TEST(Version, OneVersionWithTheCommitWhenThereIsOne) {
  EXPECT_FALSE(ProgramVersionNumber().empty());
  const std::string version = ProgramVersion();
  EXPECT_EQ(version.rfind(std::string(ProgramVersionNumber()), 0), 0u);
  if (ProgramCommit().empty()) {
    EXPECT_EQ(version, ProgramVersionNumber());
  } else {
    EXPECT_NE(version.find(std::string(ProgramCommit())), std::string::npos);
  }
  EXPECT_EQ(UtcTimestamp(std::chrono::system_clock::from_time_t(0)), "1970-01-01T00:00:00Z");
}

TEST(SweepParsing, ListsItemsAndConfigurationsAndTheirFaults) {
  Sweep s;
  ASSERT_FALSE(ParseSweep("Dur=5,10,20", s).has_value());
  EXPECT_FALSE(s.range);
  EXPECT_EQ(s.Count(), 3);
  EXPECT_EQ(s.TextAt(2), "20");
  ASSERT_FALSE(ParseSweep("fit=nofit,fit", s).has_value());
  EXPECT_EQ(s.target.kind, SweepTarget::Kind::Item);
  ASSERT_FALSE(ParseSweep("skills=high", s).has_value());
  EXPECT_EQ(s.Count(), 1);
  ASSERT_FALSE(ParseSweep("config=" + std::string(Configurations().front().name), s).has_value());
  EXPECT_EQ(s.target.kind, SweepTarget::Kind::Config);
  for (const char* bad : {"Dur=", "Dur=5,,6", "Dur=5,x", "Dur=5,5", "fit=maybe", "fit=0:1:1", "config=nothing",
                          "newcomer=none,", "Dur=99999999999", "Cycle=1:2:3:4"}) {
    EXPECT_TRUE(ParseSweep(bad, s).has_value()) << bad;
  }
}

TEST(PointsParsing, HeaderNamesTargetsAndEveryRowIsChecked) {
  PointTable points;
  ASSERT_FALSE(ParsePoints("\xEF\xBB\xBFNrofAg,Dur,fit\r\n3,5,fit\r\n\"4\",10,nofit\r\n\r\n", "p.csv", points));
  ASSERT_EQ(points.columns.size(), 3u);
  ASSERT_EQ(points.rows.size(), 2u);
  EXPECT_EQ(points.rows[1][0], "4");
  EXPECT_EQ(points.rows[1][2], "nofit");
  const std::pair<const char*, const char*> bad[] = {
      {"", "p.csv: the file is empty"},
      {"NrofAg\n", "p.csv: the file has a header but no points"},
      {"NrofAg,Wrong\n1,2\n", "p.csv line 1: 'Wrong' is not a field"},
      {"NrofAg,NrofAg\n1,2\n", "p.csv line 1: 'NrofAg' is named twice"},
      {"NrofAg,Dur\n1,2\n3\n", "p.csv line 3: the row has 1 cell, the header 2 cells"},
      {"NrofAg\nx\n", "p.csv line 2: NrofAg: 'x' is not a valid integer value"},
      {"NrofAg,Dur\n1,\n", "p.csv line 2: the cell of Dur is empty"},
      {"fit\nmaybe\n", "p.csv line 2: fit: 'maybe' is not one of nofit, fit"},
      {"NrofAg\n\"3\n", "p.csv line 2: a quoted cell is not closed"},
  };
  for (const auto& [text, message] : bad) {
    const auto error = ParsePoints(text, "p.csv", points);
    ASSERT_TRUE(error.has_value()) << text;
    EXPECT_EQ(error->rfind(message, 0), 0u) << *error;
  }
}

TEST(PlanCheck, TargetsTwiceIgnoredOptionsAndSizeAreRefused) {
  SessionOptions base;
  SweepPlan plan;
  Sweep a, b;
  ASSERT_FALSE(ParseSweep("Dur=5,10", a));
  ASSERT_FALSE(ParseSweep("Dur=1:3:1", b));
  plan.sweeps = {a, b};
  EXPECT_EQ(CheckPlan(base, plan), "Dur is swept twice (--sweep Dur and --sweep Dur)");
  plan.sweeps = {a};
  EXPECT_FALSE(CheckPlan(base, plan));
  base.sets.emplace_back(Field::Dur, "7");
  EXPECT_TRUE(CheckPlan(base, plan));
  base.sets.clear();
  PointTable points;
  ASSERT_FALSE(ParsePoints("Dur\n5\n", "p.csv", points));
  plan.points = points;
  EXPECT_EQ(CheckPlan(base, plan), "Dur is swept twice (--points and --sweep Dur)");
  plan.points.reset();
  ASSERT_FALSE(ParseSweep("fit=nofit,fit", a));
  plan.sweeps = {a};
  plan.design = true;
  EXPECT_TRUE(CheckPlan(base, plan));
  plan.design = false;
  base.fit = 1;
  EXPECT_TRUE(CheckPlan(base, plan));
  base.fit.reset();
  ASSERT_FALSE(ParseSweep("Var=0:99999:1", a));
  ASSERT_FALSE(ParseSweep("Cycle=0:99999:1", b));
  plan.sweeps = {a, b};
  EXPECT_EQ(CheckPlan(base, plan), "the plan has more than 1000000000 runs");
  // Run numbers stay right for the largest shards.
  long long first = 0, last = 0;
  ShardRange(kMaxPlanRuns * 18, 1000000000, 1000000000, first, last);
  EXPECT_EQ(last, kMaxPlanRuns * 18);
  EXPECT_GT(first, 0);
}

}  // namespace
}  // namespace davrel3
