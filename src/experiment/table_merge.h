// The slices of one sharded batch (--merge) read back with their manifests
// and checked to join into its whole table, before a byte is written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "experiment/levels_source.h"
#include "experiment/run_table.h"

namespace davrel3 {

struct SlicesToJoin {
  std::vector<RunTableScan> tables;  // in the order given
  MergePlan plan;                    // the order their runs join in
  std::optional<long long> planRuns;  // the batch's runs, from the manifests
  std::optional<LevelsSource> levels;  // the slices' levels, from the manifests
  long long runs = 0, rows = 0;        // of all slices together
};

// Reads the tables at `paths` and checks them: each matches its manifest (a
// table without one is taken as it is), none was interrupted, all were made
// by one command with the same levels for one batch, and together they hold
// each run of it once. Throws TableRefused saying why they do not join.
SlicesToJoin CheckSlices(const std::vector<std::string>& paths);

}  // namespace davrel3
