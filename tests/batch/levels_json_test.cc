// Levels inside a parameter file: written tables read back exactly, and any
// entry that is not a table of finite numbers of its own size is refused in
// plain words with the table left as it was.
#include <gtest/gtest.h>

#include "experiment/levels_json.h"

namespace davrel3 {
namespace {

using Json = nlohmann::ordered_json;

std::string Refusal(const std::string& text) {
  LevelTable table = RotationLevels(2, 2);
  const LevelTable before = table;
  const auto problem = LevelsFromJson(Json::parse(text), table);
  if (!problem) return "accepted";
  EXPECT_TRUE(table == before) << text;
  return *problem;
}

TEST(LevelsJson, WrittenTablesReadBackExactly) {
  LevelTable table = RotationLevels(3, 4);
  SetLevelAt(table, LevelKind::Motivation, 3, 4, 1.0 / 3);
  SetLevelAt(table, LevelKind::Expertise, 1, 2, -1e-300);
  const std::string text = LevelsJson(table).dump();
  LevelTable back;
  EXPECT_EQ(LevelsFromJson(Json::parse(text), back), std::nullopt);
  EXPECT_TRUE(back == table);
  LevelTable empty;
  EXPECT_EQ(LevelsFromJson(LevelsJson(MakeLevelTable(0, 0)), empty), std::nullopt);
  EXPECT_EQ(empty.Agents, 0);
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
}

}  // namespace
}  // namespace davrel3
