// Skill levels: tables, fills, profiles, and applying levels to a committed
// group (all or nothing, as a level file sets them).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "experiment/record.h"
#include "experiment/session.h"
#include "experiment/skill_levels.h"

namespace davrel3 {
namespace {

struct Started {
  InMemoryPanel panel;
  Workbench bench{panel};
  Started() { StartUp(bench); }
  // NrofAg and NrofSkills typed, OK pressed.
  Started(int agents, int skills) {
    StartUp(bench);
    panel.SetText(Field::NrofAg, std::to_string(agents));
    panel.SetText(Field::NrofSkills, std::to_string(skills));
    bench.OKButtonClick();
  }
  TSystem& System() { return bench.State().System; }
};

std::vector<double> InitialLevels(const TSystem& system) {
  std::vector<double> out;
  for (const auto& agent : system.Agents) {
    for (const auto& skill : agent.Skills) out.push_back(skill.InitialLevel);
  }
  return out;
}

TEST(SkillLevels, TablesReadWriteAndCompareByCell) {
  LevelTable table = MakeLevelTable(3, 4);
  EXPECT_EQ(table.Expertise.size(), 12u);
  SetLevelAt(table, LevelKind::Expertise, 2, 3, 7.5);
  SetLevelAt(table, LevelKind::Motivation, 3, 4, 9);
  SetLevelAt(table, LevelKind::Motivation, 4, 1, 99);  // outside: passed over
  EXPECT_EQ(LevelAt(table, LevelKind::Expertise, 2, 3), 7.5);
  EXPECT_EQ(LevelAt(table, LevelKind::Motivation, 2, 3), 0);
  EXPECT_EQ(table.Motivation.back(), 9);
  EXPECT_EQ(LevelAt(table, LevelKind::Expertise, 0, 1), 0);
  LevelTable other = MakeLevelTable(3, 4);
  EXPECT_FALSE(table == other);
  other = table;
  EXPECT_TRUE(table == other);
  EXPECT_FALSE(MakeLevelTable(3, 4) == MakeLevelTable(4, 3));
}

TEST(SkillLevels, HeldLevelsReadTheAgentsAndRotationMatchesTheRunnersPattern) {
  Started s;
  const LevelTable held = HeldLevels(s.System());
  ASSERT_EQ(held.Agents, 6);
  ASSERT_EQ(held.Skills, 5);
  EXPECT_EQ(LevelAt(held, LevelKind::Expertise, 1, 1), 19);  // the No Fit profile
  EXPECT_EQ(LevelAt(held, LevelKind::Motivation, 5, 2), 19);
  EXPECT_EQ(LevelAt(held, LevelKind::Expertise, 6, 3), 0);

  ApplyRotationLevels(s.bench);
  EXPECT_TRUE(HeldLevels(s.System()) == RotationLevels(6, 5));
  EXPECT_EQ(RotationLevel(1, 1), 14);
  EXPECT_EQ(RotationLevel(1, 5), 18);
  EXPECT_EQ(RotationLevel(2, 5), 14);
}

TEST(SkillLevels, EveryConfigurationsProfileFittedToItsGroupIsWhatItCommits) {
  // The editor offers each configuration's profile by the name the workbench
  // records; what a commit makes of it must be what FitLevels makes of it.
  for (const auto& configuration : Configurations()) {
    Started s;
    (s.bench.*configuration.apply)();
    const std::string name = s.bench.LevelsProfile();
    const SkillProfile* profile = nullptr;
    for (const auto& p : SkillProfiles()) {
      if (name == p.name) profile = &p;
    }
    ASSERT_NE(profile, nullptr) << configuration.name << " names '" << name << "'";
    const TSystem& system = s.System();
    const LevelTable fitted = FitLevels(ProfileLevels(profile->apply), system.NrOfAgents, CommittedSkills(system));
    EXPECT_TRUE(fitted == HeldLevels(system)) << configuration.name;
  }
  Started define;
  define.panel.SetItemIndex(Choice::FitNoFit, 1);
  define.bench.DefineButtonClick();
  EXPECT_EQ(define.bench.LevelsProfile(), "ProfileFit");
}

TEST(SkillLevels, ProfileOffersNameWhatAppliesThem) {
  const auto& offers = ProfileOffers();
  ASSERT_EQ(offers.size(), SkillProfiles().size());
  auto users = [&](const std::string& name) {
    for (const auto& offer : offers) {
      if (offer.Name == name) return offer.UsedBy;
    }
    return std::vector<std::string>{"missing"};
  };
  EXPECT_EQ(users("ProfileNoFit"), (std::vector<std::string>{"No Fit", "startup"}));
  EXPECT_EQ(users("ProfileFit"), (std::vector<std::string>{"Fit"}));
  EXPECT_EQ(users("ProfileTwoSpecialists"), (std::vector<std::string>{"rotate", "spec"}));
  EXPECT_EQ(users("ProfileAgentVariety"), (std::vector<std::string>{"default", "agentvariety"}));
  EXPECT_EQ(users("ProfileRotationHigh"), (std::vector<std::string>{"jobrot2"}));
}

TEST(SkillLevels, ProfilesHaveTheirOwnSizesAndFittingDropsOrZeroes) {
  const LevelTable fit = ProfileLevels(&Workbench::ProfileFit);
  EXPECT_EQ(fit.Agents, 5);
  EXPECT_EQ(fit.Skills, 6);
  EXPECT_EQ(LevelAt(fit, LevelKind::Expertise, 1, 1), 19.5);
  const LevelTable variety = ProfileLevels(&Workbench::ProfileVariety);
  EXPECT_EQ(variety.Agents, 2);
  EXPECT_EQ(variety.Skills, 40);

  const LevelTable fitted = FitLevels(fit, 7, 3);
  EXPECT_EQ(fitted.Agents, 7);
  EXPECT_EQ(fitted.Skills, 3);
  EXPECT_EQ(LevelAt(fitted, LevelKind::Motivation, 5, 3), LevelAt(fit, LevelKind::Motivation, 5, 3));
  EXPECT_EQ(LevelAt(fitted, LevelKind::Expertise, 6, 1), 0);  // beyond the profile's five agents
}

TEST(SkillLevels, FillsActOnTheCellsGivenOnly) {
  LevelTable table = MakeLevelTable(4, 3);
  FillLevels(table, {{1, 1, LevelKind::Expertise}, {2, 3, LevelKind::Motivation}, {9, 9, LevelKind::Expertise}}, 12.5);
  EXPECT_EQ(LevelAt(table, LevelKind::Expertise, 1, 1), 12.5);
  EXPECT_EQ(LevelAt(table, LevelKind::Motivation, 1, 1), 0);
  EXPECT_EQ(LevelAt(table, LevelKind::Motivation, 2, 3), 12.5);

  FillRotation(table, {{3, 2, LevelKind::Expertise}, {4, 3, LevelKind::Motivation}});
  EXPECT_EQ(LevelAt(table, LevelKind::Expertise, 3, 2), 17);
  EXPECT_EQ(LevelAt(table, LevelKind::Motivation, 4, 3), 14);  // 14 + (5 mod 5)
  EXPECT_EQ(LevelAt(table, LevelKind::Motivation, 3, 2), 0);

  const LevelTable profile = ProfileLevels(&Workbench::ProfileTwoSpecialists);  // 2 x 2
  FillFrom(table, {{1, 1, LevelKind::Motivation}, {2, 2, LevelKind::Expertise}, {3, 1, LevelKind::Expertise},
                   {2, 3, LevelKind::Motivation}},
           profile);
  EXPECT_EQ(LevelAt(table, LevelKind::Motivation, 1, 1), 16);
  EXPECT_EQ(LevelAt(table, LevelKind::Expertise, 2, 2), 16);
  EXPECT_EQ(LevelAt(table, LevelKind::Expertise, 3, 1), 0);   // the profile lists two agents
  EXPECT_EQ(LevelAt(table, LevelKind::Motivation, 2, 3), 0);  // and two skills
  EXPECT_EQ(LevelAt(table, LevelKind::Expertise, 1, 1), 12.5);
}

TEST(SkillLevels, CopyingAnAgentCopiesBothKindsOfEverySkill) {
  LevelTable table = RotationLevels(4, 3);
  SetLevelAt(table, LevelKind::Motivation, 2, 3, 3.25);
  const LevelTable before = table;
  CopyAgentLevels(table, 2, {1, 2, 4, 7});  // itself and one outside: harmless
  for (int agent : {1, 2, 4}) {
    for (int s = 1; s <= 3; ++s) {
      EXPECT_EQ(LevelAt(table, LevelKind::Expertise, agent, s), LevelAt(before, LevelKind::Expertise, 2, s));
      EXPECT_EQ(LevelAt(table, LevelKind::Motivation, agent, s), LevelAt(before, LevelKind::Motivation, 2, s));
    }
  }
  for (int s = 1; s <= 3; ++s) EXPECT_EQ(LevelAt(table, LevelKind::Expertise, 3, s), LevelAt(before, LevelKind::Expertise, 3, s));
  LevelTable unchanged = before;
  CopyAgentLevels(unchanged, 5, {1});
  EXPECT_TRUE(unchanged == before);
}

TEST(SkillLevels, ApplyingSetsListedSkillsAndKeepsTheRest) {
  Started s;
  const LevelTable before = HeldLevels(s.System());
  ApplyLevels(s.System(), {{2, 4, 21.5, 3, 2}, {6, 1, 11, 12, 3}});
  const TSystem& system = s.System();
  EXPECT_EQ(system.Agents[1].Skills[3].Expertise, 21.5);
  EXPECT_EQ(system.Agents[1].Skills[3].Motivation, 3);
  EXPECT_EQ(system.Agents[1].Skills[3].InitialLevel, 21.5);
  EXPECT_EQ(system.Agents[5].Skills[0].InitialLevel, 11);
  LevelTable expected = before;
  SetLevelAt(expected, LevelKind::Expertise, 2, 4, 21.5);
  SetLevelAt(expected, LevelKind::Motivation, 2, 4, 3);
  SetLevelAt(expected, LevelKind::Expertise, 6, 1, 11);
  SetLevelAt(expected, LevelKind::Motivation, 6, 1, 12);
  EXPECT_TRUE(HeldLevels(system) == expected);
  // The next commit keeps them, as it keeps a profile's.
  s.bench.OKButtonClick();
  EXPECT_TRUE(HeldLevels(s.System()) == expected);
}

TEST(SkillLevels, LevelsOutsideTheGroupOrNotFiniteAreRefusedAndChangeNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<std::pair<LevelEntry, std::string>> cases = {
      {{7, 1, 1, 1, 4}, "line 4: agent 7 is not in the group, which has agents 1 to 6 (NrofAg)"},
      {{0, 1, 1, 1, 9}, "line 9: agent 0 is not in the group, which has agents 1 to 6 (NrofAg)"},
      {{1, 6, 1, 1, 5}, "line 5: skill 6 is not in the group, which has skills 1 to 5 (NrofSkills)"},
      {{1, 0, 1, 1, 0}, "skill 0 is not in the group, which has skills 1 to 5 (NrofSkills)"},
      {{3, 3, nan, 1, 2}, "line 2: the expertise is not a finite number"},
      {{3, 3, 1, -inf, 2}, "line 2: the motivation is not a finite number"},
  };
  for (const auto& [bad, message] : cases) {
    Started s;
    const LevelTable before = HeldLevels(s.System());
    const auto initial = InitialLevels(s.System());
    // Good entries before the bad one are not applied either.
    const std::vector<LevelEntry> entries = {{1, 1, 3, 3, 1}, bad, {2, 2, 4, 4, 10}};
    EXPECT_EQ(CheckLevels(s.System(), entries), message);
    try {
      ApplyLevels(s.System(), entries);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const LevelsRefused& refusal) {
      EXPECT_EQ(refusal.what(), message);
    }
    EXPECT_TRUE(HeldLevels(s.System()) == before) << message;
    EXPECT_EQ(InitialLevels(s.System()), initial) << message;
  }
}

TEST(SkillLevels, LevelsOfALargerGroupReachTheRunAsTheRotationDoes) {
  // Entries from a table give the same run as the rotation the runner applies.
  Started byRotation(10, 7), byEntries(10, 7);
  ApplyRotationLevels(byRotation.bench);
  ApplyLevels(byEntries.System(), LevelEntries(RotationLevels(10, 7)));
  const auto parameters = ReadParameters(byRotation.panel);
  const RunOutcome a = byRotation.bench.StartButtonClick();
  const RunOutcome b = byEntries.bench.StartButtonClick();
  ASSERT_EQ(a.status, RunStatus::Finished);
  EXPECT_EQ(RunRecord(byRotation.bench, a, parameters), RunRecord(byEntries.bench, b, parameters));
  // Agents 7 to 10 worked: their levels are not the zeros the commit gives them.
  for (int i = 6; i < 10; ++i) EXPECT_GT(byEntries.System().Agents[i].RunWorkTime, 0) << i + 1;
}

}  // namespace
}  // namespace davrel3
