// Hostile parameter files: what is not a regular file, too large, nested too
// deep, names a key twice, holds a number no int can hold or bytes that are
// not UTF-8 is refused at once, in plain words naming where, and the panel is
// left as it was. Texts that are not UTF-8 never break a JSON record.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "experiment/parameter_file.h"
#include "experiment/session.h"
#include "panel_snapshot.h"
#include "run_batch.h"

namespace {

using davrel3::Field;
using davrel3::InMemoryPanel;
using davrel3::testing::Scramble;
using davrel3::testing::Snapshot;
using davrel3::testing::Take;

const std::string kHead = R"({"format": "davrel3-parameters", "version": 1)";

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "davrel3-strict-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name, const std::string& content) const {
    const std::string path = (path_ / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::filesystem::path Path(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& Root() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Loads the file into a scrambled panel; returns the refusal ("" if loaded)
// and checks that a refusal left the panel untouched.
std::string Refusal(const std::string& path) {
  InMemoryPanel panel;
  Scramble(panel);
  const Snapshot before = Take(panel);
  try {
    davrel3::LoadParameterFile(path, panel);
  } catch (const davrel3::ParameterFileError& error) {
    EXPECT_EQ(Take(panel), before) << path;
    const std::string message = error.what();
    EXPECT_EQ(message.find("json.exception"), std::string::npos) << message;
    EXPECT_EQ(message.find("std::"), std::string::npos) << message;
    return message;
  }
  return "";
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(StrictParameterFile, OnlyRegularFilesWithinTheSizeLimitAreRead) {
  TempFolder folder;
  const auto started = std::chrono::steady_clock::now();

  const std::string fifo = folder.Path("pipe.json").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(Contains(Refusal(fifo), "a pipe, not a regular file")) << Refusal(fifo);
  EXPECT_TRUE(Contains(Refusal("/dev/zero"), "a device, not a regular file"));
  EXPECT_TRUE(Contains(Refusal(folder.Root().string()), "a folder, not a regular file"));
  EXPECT_TRUE(Contains(Refusal(folder.Path("missing.json").string()), "cannot read"));

  // Padding keeps the text valid JSON, so only its size can refuse it.
  const std::string fits = kHead + std::string(davrel3::kMaxParameterFileBytes - kHead.size() - 1, ' ') + "}";
  EXPECT_EQ(Refusal(folder.File("fits.json", fits)), "");
  const std::string large = kHead + std::string(davrel3::kMaxParameterFileBytes, ' ') + "}";
  EXPECT_TRUE(Contains(Refusal(folder.File("large.json", large)), "larger than 32 MiB"));
  // None of these may wait for a writer or read on without end.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST(StrictParameterFile, StructureThatNoSavedFileHasIsRefusedNamingWhere) {
  TempFolder folder;
  struct Case {
    std::string text;
    std::vector<std::string> named;  // what the message must mention
  };
  const std::string deep = std::string(60000, '[') + std::string(60000, ']');
  const std::string sixtyFour = kHead + R"(, "fields": )" + std::string(63, '[') + std::string(63, ']') + "}";
  const std::vector<Case> cases = {
      {deep, {"more than 64 levels deep", "line 1, column 65"}},
      {kHead + R"(, "version": 1})", {"\"version\" twice", "top-level"}},
      {kHead + R"(, "fields": {"NrofAg": {"text": "4"}, "NrofAg": {"text": "5"}}})", {"\"NrofAg\" twice", "\"fields\""}},
      {kHead + R"(, "fields": {"Cycle": {"text": "4", "text": "5"}}})", {"\"text\" twice", "\"fields\" > \"Cycle\""}},
      {R"({"format": "davrel3-parameters", "version": 1e400})", {"1e400", "line 1", "whole number"}},
      {R"({"format": "davrel3-parameters", "version": 1.0})", {"\"version\"", "whole number"}},
      {kHead + R"(, "items": {"HiLo": 4294967297}})", {"\"items\" > \"HiLo\"", "4294967297"}},
      {kHead + R"(, "fields": {"Cycle": {"text": "3", "position": -2147483649}}})", {"\"position\"", "-2147483649"}},
      {kHead + ",\n \"fields\": {\"Dur\": {\"text\": \"1\xff\"}}}", {"not UTF-8", "line 2"}},
      {kHead + R"(, "fields": {"Dur": {"text": "1"}})", {"not JSON", "complete"}},
      {kHead + "} trailing", {"not JSON", "line 1"}},
      {"   \n ", {"empty"}},
      {"", {"empty"}},
  };
  for (const Case& c : cases) {
    const std::string message = Refusal(folder.File("case.json", c.text));
    for (const std::string& part : c.named) {
      EXPECT_TRUE(Contains(message, part)) << "'" << message << "' does not name " << part << " for "
                                           << c.text.substr(0, 120);
    }
  }
  // 64 levels are allowed: the refusal is about what "fields" holds.
  const std::string message = Refusal(folder.File("sixtyfour.json", sixtyFour));
  EXPECT_TRUE(Contains(message, "\"fields\" is not an object")) << message;
}

TEST(StrictParameterFile, TextsThatAreNotUtf8NeverBreakARecord) {
  davrel3::SessionOptions options;
  options.sets = {{Field::Dur, "\xff"}};
  const auto runs = davrel3::RunSession(options, true);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].outcome.status, davrel3::RunStatus::Refused);
  const std::string& record = runs[0].record;
  EXPECT_TRUE(Contains(record, "\xef\xbf\xbd")) << record.substr(0, 200);  // U+FFFD in place of the byte

  // The runner prints the record and exits as for any refused run.
  const auto result = davrel3::testing::RunBatch({"--set", "Dur=\xff", "--json"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(Contains(result.out, "is not a valid integer value")) << result.out.substr(0, 200);

  // Saving such a text is refused, naming the field, rather than changed.
  InMemoryPanel panel;
  panel.SetText(Field::Bore, "7\xfe");
  try {
    davrel3::SaveParameters(panel);
    ADD_FAILURE() << "saved a text that is not UTF-8";
  } catch (const davrel3::ParameterFileError& error) {
    EXPECT_EQ(std::string(error.what()), "The text of field \"Bore\" is not UTF-8 text and cannot be saved");
  }
}

}  // namespace
