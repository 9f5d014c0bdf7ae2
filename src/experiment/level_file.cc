#include "level_file.h"

#include <charconv>
#include <cmath>
#include <map>
#include <utility>

#include "experiment/input_file.h"
#include "experiment/sha256.h"
#include "model/int_text.h"

namespace davrel3 {

namespace {

std::string_view Trim(std::string_view cell) {
  while (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t')) cell.remove_prefix(1);
  while (!cell.empty() && (cell.back() == ' ' || cell.back() == '\t')) cell.remove_suffix(1);
  // Spreadsheets may quote a cell.
  if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') cell = cell.substr(1, cell.size() - 2);
  return cell;
}

// A cell as a message shows it: short, and only printable ASCII.
std::string Shown(std::string_view cell) {
  std::string out;
  for (char c : cell.substr(0, 24)) {
    const auto u = static_cast<unsigned char>(c);
    out += (u < 0x20 || u >= 0x7f) ? '?' : c;
  }
  if (cell.size() > 24) out += "...";
  return "'" + out + "'";
}

std::vector<std::string_view> Cells(std::string_view line) {
  std::vector<std::string_view> cells;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    cells.push_back(Trim(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return cells;
}

[[noreturn]] void Fail(int line, const std::string& message) {
  throw LevelFileError("line " + IntToStr(line) + ": " + message);
}

int WholeNumber(std::string_view cell, int line, const char* what) {
  int value = 0;
  const char* end = cell.data() + cell.size();
  const auto [ptr, error] = std::from_chars(cell.data(), end, value);
  if (cell.empty() || error != std::errc() || ptr != end || value < 1) {
    Fail(line, std::string("the ") + what + " " + Shown(cell) + " is not a whole number from 1");
  }
  return value;
}

double Level(std::string_view cell, int line, const char* what) {
  double value = 0;
  const char* end = cell.data() + cell.size();
  const auto [ptr, error] = std::from_chars(cell.data(), end, value);
  if (error == std::errc::result_out_of_range) {
    Fail(line, std::string("the ") + what + " " + Shown(cell) + " is not a finite number");
  }
  if (cell.empty() || error != std::errc() || ptr != end) {
    Fail(line, std::string("the ") + what + " " + Shown(cell) + " is not a number (write decimals with a point)");
  }
  if (!std::isfinite(value)) Fail(line, std::string("the ") + what + " " + Shown(cell) + " is not a finite number");
  return value;
}

bool Blank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

}  // namespace

std::vector<LevelEntry> ParseLevelFile(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<LevelEntry> entries;
  std::map<std::pair<int, int>, int> seen;  // agent and skill -> line
  bool header = false;
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = text.find('\n', start);
    std::string_view line = text.substr(start, newline == std::string_view::npos ? std::string_view::npos
                                                                                 : newline - start);
    start = newline == std::string_view::npos ? text.size() : newline + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (Blank(line)) continue;
    const auto cells = Cells(line);
    if (!header) {
      const bool matches = cells.size() == 4 && cells[0] == "agent" && cells[1] == "skill" &&
                           cells[2] == "expertise" && cells[3] == "motivation";
      if (!matches) Fail(number, std::string("the first line must be ") + kLevelFileHeader);
      header = true;
      continue;
    }
    if (cells.size() != 4) {
      Fail(number, IntToStr(static_cast<long long>(cells.size())) + " cells where there must be 4 (" +
                       kLevelFileHeader + ")");
    }
    LevelEntry entry;
    entry.Line = number;
    entry.Agent = WholeNumber(cells[0], number, "agent");
    entry.Skill = WholeNumber(cells[1], number, "skill");
    entry.Expertise = Level(cells[2], number, "expertise");
    entry.Motivation = Level(cells[3], number, "motivation");
    const auto [at, fresh] = seen.emplace(std::make_pair(entry.Agent, entry.Skill), number);
    if (!fresh) {
      Fail(number, "agent " + IntToStr(entry.Agent) + ", skill " + IntToStr(entry.Skill) +
                       " is already given on line " + IntToStr(at->second));
    }
    entries.push_back(entry);
  }
  if (!header) throw LevelFileError(std::string("the file is empty: its first line must be ") + kLevelFileHeader);
  return entries;
}

LevelFile ReadLevelFile(const std::string& path) {
  std::string bytes;
  try {
    bytes = ReadWholeFile(path, static_cast<std::int64_t>(kLevelFileByteLimit));
  } catch (const InputFileError& error) {
    throw LevelFileError(error.what());
  }
  LevelFile file;
  file.Name = path;
  file.Sha256 = Sha256Hex(bytes);
  try {
    file.Entries = ParseLevelFile(bytes);
  } catch (const LevelFileError& error) {
    throw LevelFileError("The level file " + path + ", " + error.what());
  }
  return file;
}

std::string LevelFileText(const LevelTable& table) {
  std::string text = kLevelFileHeader;
  text += '\n';
  for (const LevelEntry& entry : LevelEntries(table)) {
    text += IntToStr(entry.Agent);
    text += ',';
    text += IntToStr(entry.Skill);
    text += ',';
    text += LevelText(entry.Expertise);
    text += ',';
    text += LevelText(entry.Motivation);
    text += '\n';
  }
  return text;
}

std::string LevelText(double value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) return "0";  // cannot happen: 64 characters hold any double
  return std::string(buffer, end);
}

std::optional<double> ParseLevel(std::string_view text) {
  text = Trim(text);
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace davrel3
