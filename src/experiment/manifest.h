// The manifest written beside a saved table (TABLE.manifest.json): what made
// the table and how to check it. The runner writes it for --output FILE, the
// window's design results for "Save CSV...".
//   {"format": "davrel3-table-manifest", "schema_version": 1,
//    "program": "davrel3-batch", "version": "1.0 (commit ...)",
//    "command_line": ["davrel3-batch", "--design", ...],
//    "started": "2026-05-04T10:00:00Z", "ended": "...",
//    "runs": 18, "rows": 18, "table": "design.csv", "sha256": "...",
//    "levels": {"kind": "file", "name": "levels.csv", "sha256": "..."}}
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "experiment/levels_source.h"

namespace davrel3 {

inline constexpr const char* kManifestFormat = "davrel3-table-manifest";

struct TableManifest {
  std::string program;
  std::string version;
  std::vector<std::string> commandLine;
  std::string started, ended;  // UTC, as UtcTimestamp writes them
  long long runs = 0, rows = 0;
  std::string table;  // the table's file name, without its folder
  std::string sha256;  // of the table file's bytes
  int schemaVersion = 0;  // of the table's columns
  // False for a table an interrupt ended early: its runs are the first ones
  // of the batch, and --resume can add the rest.
  bool complete = true;
  // The runner's batch: every run of the plan, the runs first..last (from 1)
  // this table is meant to hold (a slice with --shard), and the memory
  // budget in bytes. 0 where the writer has no batch (the window).
  long long planRuns = 0, firstRun = 0, lastRun = 0;
  std::int64_t memoryBudget = 0;
  std::optional<LevelsSource> levels;  // where the runs' levels came from
};

class ManifestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the manifest of the table at `tablePath` (a regular file of at most
// 1 MiB, written by this program); throws ManifestError saying what is wrong.
TableManifest ReadManifest(const std::string& tablePath);

// "2026-05-04T10:00:00Z".
std::string UtcTimestamp(std::chrono::system_clock::time_point when);

std::string ManifestText(const TableManifest& manifest);

// TABLE.manifest.json for the table at `tablePath`.
std::string ManifestPath(const std::string& tablePath);

// Writes the manifest of the table at `tablePath` beside it, replacing the
// old one only once the new one is on disk; the reason when it cannot be
// written.
std::optional<std::string> WriteManifest(const std::string& tablePath, const TableManifest& manifest);

// The file name of a path, without its folders.
std::string FileNameOf(const std::string& path);

}  // namespace davrel3
