// Level files: what is read, which line a fault is told on, what may not be
// read at all, and that a written table reads back exactly.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "experiment/level_file.h"
#include "experiment/sha256.h"
#include "scratch_folder.h"

namespace davrel3 {
namespace {

std::string Message(std::string_view text) {
  try {
    ParseLevelFile(text);
  } catch (const LevelFileError& error) {
    return error.what();
  }
  return "accepted";
}

struct Folder : testing::ScratchFolder {
  Folder() : ScratchFolder("/tmp/davrel3-levels-XXXXXX") {}
};

TEST(LevelFile, ReadsRowsWithTheirLines) {
  const auto entries = ParseLevelFile(
      "\xEF\xBB\xBF"
      "agent,skill,expertise,motivation\r\n"
      "1,1,14,15.5\r\n"
      "\r\n"
      " 10 , 3 , 1e1 , \"-0.25\"\n"
      "2,7,0.1,12\n");  // no newline needed at the end either
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Agent, 1);
  EXPECT_EQ(entries[0].Motivation, 15.5);
  EXPECT_EQ(entries[0].Line, 2);
  EXPECT_EQ(entries[1].Agent, 10);
  EXPECT_EQ(entries[1].Skill, 3);
  EXPECT_EQ(entries[1].Expertise, 10);
  EXPECT_EQ(entries[1].Motivation, -0.25);
  EXPECT_EQ(entries[1].Line, 4);
  EXPECT_EQ(entries[2].Expertise, 0.1);
  EXPECT_EQ(entries[2].Line, 5);
  EXPECT_TRUE(ParseLevelFile("agent,skill,expertise,motivation").empty());
}

TEST(LevelFile, FaultsAreToldWithTheirLine) {
  const std::string h = "agent,skill,expertise,motivation\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "the file is empty: its first line must be agent,skill,expertise,motivation"},
      {"\n\n  \n", "the file is empty: its first line must be agent,skill,expertise,motivation"},
      {"agent;skill;expertise;motivation\n", "line 1: the first line must be agent,skill,expertise,motivation"},
      {"1,1,14,14\n", "line 1: the first line must be agent,skill,expertise,motivation"},
      {h + "1,1,14\n", "line 2: 3 cells where there must be 4 (agent,skill,expertise,motivation)"},
      {h + "1,1,14,5,14\n", "line 2: 5 cells where there must be 4 (agent,skill,expertise,motivation)"},
      {h + "1,1,14,14\n\n0,1,14,14\n", "line 4: the agent '0' is not a whole number from 1"},
      {h + "1.5,1,14,14\n", "line 2: the agent '1.5' is not a whole number from 1"},
      {h + "-2,1,14,14\n", "line 2: the agent '-2' is not a whole number from 1"},
      {h + "99999999999,1,14,14\n", "line 2: the agent '99999999999' is not a whole number from 1"},
      {h + "1,,14,14\n", "line 2: the skill '' is not a whole number from 1"},
      {h + "1,x,14,14\n", "line 2: the skill 'x' is not a whole number from 1"},
      {h + "1,1,nan,14\n", "line 2: the expertise 'nan' is not a finite number"},
      {h + "1,1,14,inf\n", "line 2: the motivation 'inf' is not a finite number"},
      {h + "1,1,14,-infinity\n", "line 2: the motivation '-infinity' is not a finite number"},
      {h + "1,1,1e999,14\n", "line 2: the expertise '1e999' is not a finite number"},
      {h + "1,1,,14\n", "line 2: the expertise '' is not a number (write decimals with a point)"},
      {h + "1,1,14abc,14\n", "line 2: the expertise '14abc' is not a number (write decimals with a point)"},
      {h + "1,1,+14,14\n", "line 2: the expertise '+14' is not a number (write decimals with a point)"},
      {h + "1,1,1\x01\xff,14\n", "line 2: the expertise '1?" "?' is not a number (write decimals with a point)"},
      {h + "1,1,14,14\n2,1,1,1\n1,1,15,15\n", "line 4: agent 1, skill 1 is already given on line 2"},
  };
  for (const auto& [text, message] : cases) EXPECT_EQ(Message(text), message) << text;
  // A long cell is cut short in the message.
  EXPECT_EQ(Message(h + "1,1," + std::string(100, 'x') + ",1\n"),
            "line 2: the expertise 'xxxxxxxxxxxxxxxxxxxxxxxx...' is not a number (write decimals with a point)");
}

TEST(LevelFile, AWrittenTableReadsBackExactly) {
  LevelTable table = MakeLevelTable(3, 2);
  const double values[] = {14, 0.1, 1.0 / 3, -2.5e-300, 1e300, 19.5};
  for (int i = 0; i < 6; ++i) {
    table.Expertise[static_cast<std::size_t>(i)] = values[i];
    table.Motivation[static_cast<std::size_t>(i)] = -values[5 - i];
  }
  const std::string text = LevelFileText(table);
  EXPECT_EQ(text.substr(0, text.find('\n')), kLevelFileHeader);
  const auto entries = ParseLevelFile(text);
  ASSERT_EQ(entries.size(), 6u);
  LevelTable back = MakeLevelTable(3, 2);
  for (const auto& e : entries) {
    SetLevelAt(back, LevelKind::Expertise, e.Agent, e.Skill, e.Expertise);
    SetLevelAt(back, LevelKind::Motivation, e.Agent, e.Skill, e.Motivation);
  }
  EXPECT_TRUE(back == table);
}

TEST(LevelFile, LevelTextsAreShortAndExact) {
  EXPECT_EQ(LevelText(14), "14");
  EXPECT_EQ(LevelText(15.5), "15.5");
  EXPECT_EQ(LevelText(0.1), "0.1");
  EXPECT_EQ(LevelText(-0.0), "-0");
  EXPECT_EQ(ParseLevel(LevelText(1.0 / 3)), 1.0 / 3);
  EXPECT_EQ(ParseLevel(" 12.25 "), 12.25);
  EXPECT_EQ(ParseLevel("12,25"), std::nullopt);
  EXPECT_EQ(ParseLevel("nan"), std::nullopt);
  EXPECT_EQ(ParseLevel("1e400"), std::nullopt);
  EXPECT_EQ(ParseLevel(""), std::nullopt);
}

TEST(LevelFile, ReadsOnlyRegularFilesOfBoundedSize) {
  Folder folder;
  const std::string good = folder.Write("good.csv", "agent,skill,expertise,motivation\n1,2,3,4\n");
  const LevelFile file = ReadLevelFile(good);
  EXPECT_EQ(file.Name, good);
  EXPECT_EQ(file.Sha256, Sha256Hex("agent,skill,expertise,motivation\n1,2,3,4\n"));
  ASSERT_EQ(file.Entries.size(), 1u);
  EXPECT_EQ(file.Entries[0].Motivation, 4);

  auto message = [](const std::string& path) -> std::string {
    try {
      ReadLevelFile(path);
    } catch (const LevelFileError& error) {
      return error.what();
    }
    return "accepted";
  };
  EXPECT_EQ(message(folder.path + "/none.csv"), "cannot read " + folder.path + "/none.csv: No such file or directory");
  EXPECT_EQ(message(folder.path), "cannot read " + folder.path + ": it is a folder, not a regular file");
  const std::string fifo = folder.path + "/pipe.csv";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(message(fifo), "cannot read " + fifo + ": it is a pipe, not a regular file");
  const std::string big = folder.Write("big.csv", "");
  ASSERT_EQ(truncate(big.c_str(), static_cast<off_t>(kLevelFileByteLimit) + 1), 0);
  EXPECT_EQ(message(big), "cannot read " + big + ": it is larger than 16 MiB");
  const std::string bad = folder.Write("bad.csv", "agent,skill,expertise,motivation\n1,1,x,1\n");
  EXPECT_EQ(message(bad), "The level file " + bad + ", line 2: the expertise 'x' is not a number (write decimals "
                          "with a point)");
}

TEST(LevelFile, Sha256OfKnownTexts) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace davrel3
