// Levels inside a parameter file: written tables read back exactly, and any
// entry that is not a table of finite numbers of its own size is refused in
// plain words with the table left as it was.
#include <gtest/gtest.h>

#include "experiment/levels_json.h"

namespace davrel3 {
namespace {

using Json = nlohmann::ordered_json;

// A state of the given size: levels, initial levels and choices all apart.
SkillState StateOf(const LevelTable& levels) {
  SkillState state;
  state.Levels = levels;
  state.InitialLevel = levels.Motivation;
  state.HasChoices = true;
  for (std::size_t cell = 0; cell < levels.Expertise.size(); ++cell) {
    state.Chosen.push_back(cell % 3 == 1);
    state.IValue.push_back(0.125 * static_cast<double>(cell));
    state.YouValue.push_back(1.0 / static_cast<double>(cell + 3));
  }
  return state;
}

std::string Refusal(const std::string& text) {
  SkillState state = StateOf(RotationLevels(2, 2));
  const SkillState before = state;
  const auto problem = LevelsFromJson(Json::parse(text), state);
  if (!problem) return "accepted";
  EXPECT_TRUE(state == before) << text;
  return *problem;
}

TEST(LevelsJson, WrittenTablesReadBackExactly) {
  LevelTable table = RotationLevels(3, 4);
  SetLevelAt(table, LevelKind::Motivation, 3, 4, 1.0 / 3);
  SetLevelAt(table, LevelKind::Expertise, 1, 2, -1e-300);
  SkillState state = StateOf(table);
  state.InitialLevel[5] = 2.0 / 7;
  const std::string text = LevelsJsonText(state, 2);
  // Each agent's skills on a line of their own.
  EXPECT_NE(text.find("\n      [14.0,-1e-300,16.0,17.0],\n"), std::string::npos) << text;
  SkillState back;
  EXPECT_EQ(LevelsFromJson(Json::parse(text), back), std::nullopt);
  EXPECT_TRUE(back == state);
  SkillState empty;
  EXPECT_EQ(LevelsFromJson(Json::parse(LevelsJsonText(StateOf(MakeLevelTable(0, 0)), 0)), empty), std::nullopt);
  EXPECT_EQ(empty.Levels.Agents, 0);

  // Written by hand with levels only: the initial level is the expertise and
  // the agents keep their choices.
  SkillState plain;
  EXPECT_EQ(LevelsFromJson(Json::parse(R"({"agents": 1, "skills": 2, "expertise": [[1.5, 2]],
                                           "motivation": [[3, 4]]})"),
                           plain),
            std::nullopt);
  EXPECT_EQ(plain.InitialLevel, (std::vector<double>{1.5, 2}));
  EXPECT_FALSE(plain.HasChoices);
}

TEST(LevelsJson, EntriesThatAreNoTableOfFiniteNumbersAreRefused) {
  const std::string ok2 = R"("expertise": [[1, 2]], "motivation": [[3, 4]])";
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 2, )" + ok2 + "}"), "accepted");
  EXPECT_EQ(Refusal("[]"), "The parameter file's \"levels\" is not an object");
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 2, "extra": 1, )" + ok2 + "}"),
            "The parameter file's \"levels\" has an unknown entry \"extra\"");
  EXPECT_EQ(Refusal(R"({"skills": 2, )" + ok2 + "}"), "The parameter file's \"levels\" has no \"agents\"");
  EXPECT_EQ(Refusal(R"({"agents": -1, "skills": 2, )" + ok2 + "}"),
            "The parameter file's \"levels\": \"agents\" must be a whole number from 0 to 100000");
  EXPECT_EQ(Refusal(R"({"agents": 1.5, "skills": 2, )" + ok2 + "}"),
            "The parameter file's \"levels\": \"agents\" must be a whole number from 0 to 100000");
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 99999999999999999999, )" + ok2 + "}"),
            "The parameter file's \"levels\": \"skills\" must be a whole number from 0 to 100000");
  EXPECT_EQ(Refusal(R"({"agents": 1000, "skills": 1000, )" + ok2 + "}"),
            "The parameter file's \"levels\" hold more than 100000 agents times skills");
  EXPECT_EQ(Refusal(R"({"agents": 2, "skills": 2, )" + ok2 + "}"),
            "The parameter file's \"levels\": \"expertise\" must hold one list per agent, 2 lists");
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 2, "expertise": [[1, 2]], "motivation": [[3]]})"),
            "The parameter file's \"levels\": the motivation of agent 1 must list 2 numbers, one per skill");
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 2, "expertise": [[1, "2"]], "motivation": [[3, 4]]})"),
            "The parameter file's \"levels\": the expertise of agent 1, skill 2 is not a finite number: \"2\"");
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 2, "expertise": [[1, null]], "motivation": [[3, 4]]})"),
            "The parameter file's \"levels\": the expertise of agent 1, skill 2 is not a finite number: null");
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 2, "initial_level": [[1]], )" + ok2 + "}"),
            "The parameter file's \"levels\": the initial_level of agent 1 must list 2 numbers, one per skill");
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 2, "chosen": [[true, false]], )" + ok2 + "}"),
            "The parameter file's \"levels\" must give \"chosen\", \"i_value\" and \"you_value\" together, or "
            "none of them");
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 2, "chosen": [[true, 1]], "i_value": [[0, 0]],
                        "you_value": [[0, 0]], )" + ok2 + "}"),
            "The parameter file's \"levels\": the chosen of agent 1, skill 2 is not true or false: 1");
  EXPECT_EQ(Refusal(R"({"agents": 1, "skills": 2, "chosen": [[true, false]], "i_value": [[0, 0]],
                        "you_value": [[0, "x"]], )" + ok2 + "}"),
            "The parameter file's \"levels\": the you_value of agent 1, skill 2 is not a finite number: \"x\"");
}

}  // namespace
}  // namespace davrel3
