// The table --resume continues: read back with its manifest and checked
// against the command that continues it, before anything runs or is written.
#pragma once

#include <string>
#include <vector>

#include "experiment/levels_source.h"
#include "experiment/run_table.h"

namespace davrel3 {

// What the continuing command is: the program and its whole command line,
// the header its table has (none: not known, the table's own stands), the
// runs [first, last) of its slice and where its levels come from.
struct ResumingBatch {
  std::string program;
  std::vector<std::string> commandLine;
  const std::string* header = nullptr;
  long long first = 0, last = 0;
  LevelsSource levels;
};

// Checks the table at `path` against `batch`: its manifest (made by the same
// command, with the same levels), its SHA-256 and its runs; `scan` receives
// the table. Returns how many runs of the slice it holds. Throws TableRefused
// saying why it cannot be continued.
long long CheckResume(const std::string& path, const ResumingBatch& batch, RunTableScan& scan);

}  // namespace davrel3
