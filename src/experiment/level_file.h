// Level files: skill levels as CSV, one row per agent and skill, as
// davrel3-batch --levels FILE reads them and the levels editor opens and
// saves them.
//
//   agent,skill,expertise,motivation
//   1,1,14,14
//   1,2,15,15.5
//
// Agents and skills are whole numbers from 1, levels decimal numbers with a
// point. Blank lines are passed over, spaces around a cell and a UTF-8 byte
// order mark are allowed. Reading checks the whole text and says on which
// line the first fault lies; whether the agents and skills are in the group
// is checked when the levels are applied (skill_levels.h), against the group
// then committed.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "skill_levels.h"

namespace davrel3 {

inline constexpr const char* kLevelFileHeader = "agent,skill,expertise,motivation";
// Larger than the 100000 agent-skill pairs a commit allows, written out.
inline constexpr std::size_t kLevelFileByteLimit = 16u << 20;

class LevelFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A level file as read: its entries (each with its line), the name it was
// given by and the SHA-256 of its bytes in hex.
struct LevelFile {
  std::string Name;
  std::string Sha256;
  std::vector<LevelEntry> Entries;
};

// Throws LevelFileError naming the line: a header other than
// kLevelFileHeader, a row without four cells, an agent or skill that is not
// a whole number from 1, a level that is not a finite number, an agent and
// skill given twice.
std::vector<LevelEntry> ParseLevelFile(std::string_view text);
// Reads a regular file of at most kLevelFileByteLimit bytes and parses it;
// throws LevelFileError, also when it cannot be read (input_file.h).
LevelFile ReadLevelFile(const std::string& path);
// The table as a level file, every agent and skill, numbers that read back
// exactly.
std::string LevelFileText(const LevelTable& table);
// A level in the shortest decimal form that reads back to the same double
// ("14", "15.5", "0.1").
std::string LevelText(double value);
// A decimal number with a point that is finite, as a level file's cells and
// the editor's cells take it; nullopt for anything else.
std::optional<double> ParseLevel(std::string_view text);

}  // namespace davrel3
