// Parameter files: a saved set loads back into an equal panel, a file written
// by hand may set only some values, and a file that is wrong anywhere is
// refused with a message that names the fault before anything is written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "experiment/parameter_file.h"
#include "panel_snapshot.h"

namespace {

using davrel3::Choice;
using davrel3::Field;
using davrel3::InMemoryPanel;
using davrel3::kChoiceCount;
using davrel3::kFieldCount;
using davrel3::testing::Scramble;
using davrel3::testing::Snapshot;
using davrel3::testing::Take;
using Json = nlohmann::ordered_json;

TEST(ParameterFile, SavedSetLoadsBackIntoAnEqualPanel) {
  InMemoryPanel source;
  Scramble(source);
  source.SetText(Field::ExpMax, "");  // an empty text is a text like any other
  source.SetText(Field::Bore, "12 \"quoted\" é");
  const std::string text = davrel3::SaveParameters(source);

  InMemoryPanel target;
  ASSERT_NE(Take(target), Take(source));
  davrel3::LoadParameters(text, target);
  EXPECT_EQ(Take(target), Take(source));

  const Json file = Json::parse(text);
  EXPECT_EQ(file["format"], "davrel3-parameters");
  EXPECT_EQ(file["version"], 2);
  EXPECT_EQ(file["fields"].size(), static_cast<std::size_t>(kFieldCount));
  EXPECT_EQ(file["fields"]["NrofAg"]["text"], "t3");
  EXPECT_EQ(file["items"]["Newcomer"], 2);
}

TEST(ParameterFile, HandWrittenFileSetsOnlyWhatItLists) {
  InMemoryPanel panel;
  Scramble(panel);
  Snapshot expected = Take(panel);
  davrel3::LoadParameters(R"({"format": "davrel3-parameters", "version": 1,
                              "fields": {"Cycle": {"text": "300"}, "LearnSpeed": {"text": "40", "position": 40}},
                              "items": {"HiLo": 2}})",
                          panel);
  expected.texts[static_cast<int>(Field::Cycle)] = "300";  // its position stays
  expected.texts[static_cast<int>(Field::LearnSpeed)] = "40";
  expected.positions[static_cast<int>(Field::LearnSpeed)] = 40;
  expected.items[static_cast<int>(Choice::HiLo)] = 2;
  EXPECT_EQ(Take(panel), expected);
}

TEST(ParameterFile, FaultyFilesAreRefusedWholeWithAMessageNamingTheFault) {
  // Each file starts with valid entries, so a loader that wrote as it went
  // would change the panel before reaching the fault.
  const std::string head = R"({"format": "davrel3-parameters", "version": 1, )";
  const std::string goodFields = R"("fields": {"NrofAg": {"text": "4", "position": 4}, )";
  struct Case {
    std::string text;
    std::string named;  // what the message must mention
  };
  const std::vector<Case> cases = {
      {"not json at all", "not JSON"},
      {"[1, 2]", "no JSON object"},
      {R"({"format": "something-else", "version": 1})", "format"},
      {R"({"version": 1, "fields": {}})", "format"},
      {R"({"format": "davrel3-parameters", "version": 3})", "version"},
      {R"({"format": "davrel3-parameters", "version": "1"})", "version"},
      {head + R"("extra": 3})", "\"extra\""},
      {head + goodFields + R"("NoSuchField": {"text": "1"}}})", "NoSuchField"},
      {head + goodFields + R"("Cycle": {"text": 300}}})", "Cycle"},
      {head + goodFields + R"("Cycle": "300"}})", "Cycle"},
      {head + goodFields + R"("Cycle": {"position": 3}}})", "Cycle"},
      {head + goodFields + R"("Cycle": {"text": "3", "position": 2.5}}})", "Cycle"},
      {head + goodFields + R"("Cycle": {"text": "3", "position": 99999999999}}})", "Cycle"},
      {head + goodFields + R"("Cycle": {"text": "3", "colour": 1}}})", "colour"},
      {head + goodFields + R"("Cycle": {"text": "3"}}, "items": {"FitNoFit": 2}})", "FitNoFit"},
      {head + goodFields + R"("Cycle": {"text": "3"}}, "items": {"HiLo": -1}})", "HiLo"},
      {head + goodFields + R"("Cycle": {"text": "3"}}, "items": {"Newcomer": 1.0}})", "Newcomer"},
      {head + goodFields + R"("Cycle": {"text": "3"}}, "items": {"Size": 1}})", "Size"},
      {head + R"("fields": [1]})", "fields"},
  };
  for (const Case& c : cases) {
    InMemoryPanel panel;
    Scramble(panel);
    const Snapshot before = Take(panel);
    try {
      davrel3::LoadParameters(c.text, panel);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const davrel3::ParameterFileError& error) {
      EXPECT_NE(std::string(error.what()).find(c.named), std::string::npos)
          << "message '" << error.what() << "' does not name " << c.named;
    }
    EXPECT_EQ(Take(panel), before) << c.text;
  }
}

}  // namespace
