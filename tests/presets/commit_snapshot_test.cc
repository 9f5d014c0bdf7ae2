// What START takes from the panel: the texts a run reads are converted once
// and checked like a commit, so texts typed after the commit can neither
// reach a run unchecked nor change it while it goes; and the size guards of
// the commit itself, in arithmetic that cannot overflow.
#include <gtest/gtest.h>

#include "model/test_support.h"

namespace davrel3 {
namespace {

using testing::Bench;

std::string Refusal(const std::function<void()>& action) {
  try {
    action();
  } catch (const CommitRefused& refused) {
    return refused.what();
  } catch (const ConversionError& error) {
    return error.what();
  }
  return "(committed)";
}

// An observer that types into the panel while the run goes, as a user could
// between two step-through messages if nothing stopped them.
class TypingObserver : public testing::CountingObserver {
 public:
  explicit TypingObserver(ParameterPanel& panel) : panel_(panel) { indicated = {Indicator::NewTimestep}; }
  void ShowMessage(const std::string& text) override {
    CountingObserver::ShowMessage(text);
    panel_.SetText(Field::Dur, "x");
    panel_.SetText(Field::NrOfTasks, "3");
    panel_.SetText(Field::NrofSkills, "1");
    panel_.SetText(Field::Cycle, "7");
    panel_.SetItemIndex(Choice::FitNoFit, 1);
    panel_.SetItemIndex(Choice::HiLo, 2);
    indicated.clear();  // unticking the box has no effect before the next START
  }

 private:
  ParameterPanel& panel_;
};

TEST(StartSnapshot, TextsTypedAfterTheCommitAreCheckedBeforeTheRun) {
  const std::vector<std::tuple<Field, std::string, std::string>> cases = {
      {Field::Dur, "1O", "'1O' is not a valid integer value"},
      {Field::NrOfTasks, "20000", "The number of tasks (NrOfTasks) must not exceed 10000"},
      {Field::NrOfTasks, "-1", "The number of tasks (NrOfTasks) must not be negative"},
      {Field::Cycle, "99999999", "Cycles times skills (Cycle x NrofSkills) must not exceed 10000000"},
      {Field::NrofSkills, "0", "The number of skills (NrofSkills) must be at least 1"},
      {Field::NrofAg, "", "'' is not a valid integer value"},
      {Field::Action, "2147483647", "The number of actions (Action) must not exceed 100000"},
  };
  for (const auto& [field, text, message] : cases) {
    SCOPED_TRACE(std::string(FieldName(field)) + "=" + text);
    Bench b;
    b.panel.SetText(field, text);
    const RunOutcome outcome = b.bench.StartButtonClick();
    EXPECT_EQ(outcome.status, RunStatus::Refused);
    EXPECT_EQ(outcome.message, message);
    // Nothing has begun: START stays enabled, the newcomer is still there.
    EXPECT_TRUE(b.bench.StartEnabled());
    EXPECT_TRUE(b.System().Agents[kNewcomerIndex].Present);
    EXPECT_EQ(b.State().Task.PerformedCount, 0);
    // Once the text is put right the run goes through.
    b.bench.CancelButtonClick();
    b.panel.Write(Field::NrOfTasks, 1);
    EXPECT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  }
}

TEST(StartSnapshot, TheRunAndItsDrawUseTheValuesOfStart) {
  Bench quiet;
  ASSERT_EQ(quiet.bench.StartButtonClick().status, RunStatus::Finished);

  Bench typed;
  TypingObserver typing(typed.panel);
  typed.bench.SetObserver(&typing);
  const RunOutcome outcome = typed.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Finished) << outcome.message;
  // The box was ticked at START: a message for every timestep of the run.
  EXPECT_EQ(typing.Count("New Round"), outcome.timesteps.at(0));
  EXPECT_EQ(typed.History().ExpertiseHistory, quiet.History().ExpertiseHistory);
  EXPECT_EQ(typed.History().TaskWorkHistory, quiet.History().TaskWorkHistory);
  EXPECT_EQ(typed.State().WorkTimeGrid.RowMajor(), quiet.State().WorkTimeGrid.RowMajor());
  EXPECT_EQ(typed.State().AllocationGrid.RowMajor(), quiet.State().AllocationGrid.RowMajor());
  // A later draw of the grids keeps the values of that START.
  typed.bench.DrawGrids();
  EXPECT_EQ(typed.State().WorkTimeGrid.RowMajor(), quiet.State().WorkTimeGrid.RowMajor());
}

TEST(CommitSizes, OkRefusesAWindowWiderThanTheGroup) {
  Bench b;
  // Var -5 passes the first two checks; ten actions on five skills would wrap
  // onto the same five columns and the task could never be finished.
  b.panel.Write(Field::Action, 10);
  b.panel.Write(Field::Var, -5);
  EXPECT_EQ(Refusal([&] { b.bench.OKButtonClick(); }),
            "The system does not have enough skills to perform the task");
  EXPECT_EQ(b.State().Task.Actions, 5);
  // The first check still comes first.
  b.panel.Write(Field::Var, 11);
  EXPECT_EQ(Refusal([&] { b.bench.OKButtonClick(); }), "Task variation exceeds number of actions");
  // Equal values pass.
  b.panel.Write(Field::Action, 5);
  b.panel.Write(Field::Var, 0);
  EXPECT_EQ(Refusal([&] { b.bench.OKButtonClick(); }), "(committed)");
}

TEST(CommitSizes, ExtremeTextsAreRefusedWithoutOverflow) {
  Bench b;
  b.bench.StartButtonClick();
  const bool startBefore = b.bench.StartEnabled();
  b.panel.SetText(Field::Var, "-2147483648");
  b.panel.SetText(Field::Action, "2147483647");
  b.panel.SetText(Field::Cycle, "0");
  EXPECT_EQ(Refusal([&] { b.bench.OKButtonClick(); }),
            "The system does not have enough skills to perform the task");
  // The commits that skip OK's checks meet the size guard instead.
  EXPECT_EQ(Refusal([&] { b.bench.SetSystem(); }), "The number of actions (Action) must not exceed 100000");
  EXPECT_EQ(b.bench.StartEnabled(), startBefore);
  EXPECT_EQ(b.State().Task.Actions, 5);

  b.panel.SetText(Field::Action, "5");
  for (const auto& [agents, skills] : std::vector<std::pair<const char*, const char*>>{
           {"2147483647", "2147483647"}, {"-2147483648", "5"}, {"100001", "1"}}) {
    b.panel.SetText(Field::NrofAg, agents);
    b.panel.SetText(Field::NrofSkills, skills);
    EXPECT_NE(Refusal([&] { b.bench.SetSystem(); }), "(committed)") << agents << " x " << skills;
  }
  b.panel.SetText(Field::NrofAg, "6");
  b.panel.SetText(Field::NrofSkills, "5");
  b.panel.SetText(Field::Cycle, "2147483647");
  b.panel.SetText(Field::NrOfTasks, "2147483647");
  EXPECT_EQ(Refusal([&] { b.bench.SetSystem(); }), "The number of tasks (NrOfTasks) must not exceed 10000");
  EXPECT_EQ(b.System().NrOfAgents, 6);
}

TEST(CommitSizes, LongTextsAreConvertedOncePerOperation) {
  // A text of 131,072 characters that stands for 10: converted once by the
  // commit and once by START, not at every unit the run performs.
  Bench b;
  const std::string longTen = std::string(131070, '0') + "10";
  b.panel.SetText(Field::Dur, longTen);
  b.bench.SetSystem();
  EXPECT_EQ(TaskUnit(b.State().Task, 0, 0).Duration, 10);
  const RunOutcome outcome = b.bench.StartButtonClick();
  EXPECT_EQ(outcome.status, RunStatus::Finished);
  Bench reference;
  reference.bench.StartButtonClick();
  EXPECT_EQ(b.History().TaskWorkHistory, reference.History().TaskWorkHistory);
}

}  // namespace
}  // namespace davrel3
