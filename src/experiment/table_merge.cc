#include "table_merge.h"

#include <sys/stat.h>

#include "experiment/batch_command.h"
#include "experiment/manifest.h"

namespace davrel3 {

SlicesToJoin CheckSlices(const std::vector<std::string>& paths) {
  SlicesToJoin slices;
  std::vector<std::string> command;
  std::string commandFrom;
  std::string levelsFrom;
  for (const auto& path : paths) {
    try {
      slices.tables.push_back(ScanRunTable(path));
    } catch (const InputFileError& error) {
      throw TableRefused(std::string("--merge: ") + error.what());
    }
    struct stat info{};
    if (::stat(ManifestPath(path).c_str(), &info) != 0) continue;
    TableManifest manifest;
    try {
      manifest = ReadManifest(path);
    } catch (const ManifestError& error) {
      throw TableRefused(std::string("--merge: ") + error.what());
    }
    if (TableSha256(slices.tables.back()) != manifest.sha256) {
      throw TableRefused("--merge: " + path + " has changed since it was written: its SHA-256 does not match its "
                         "manifest");
    }
    if (!manifest.complete) {
      throw TableRefused("--merge: " + path + " was interrupted (its manifest says it is not complete): --resume " +
                         path + " with the command that made it completes it");
    }
    const auto defining = TableArguments(manifest.commandLine, true);
    if (commandFrom.empty()) {
      command = defining;
      commandFrom = path;
    } else if (defining != command) {
      throw TableRefused("--merge: " + path + " and " + commandFrom + " were made by different commands");
    }
    if (manifest.levels) {
      if (slices.levels && *slices.levels != *manifest.levels) {
        throw TableRefused("--merge: " + path + " was made with the levels of " + LevelsSourceText(*manifest.levels) +
                           ", " + levelsFrom + " with those of " + LevelsSourceText(*slices.levels));
      }
      slices.levels = manifest.levels;
      levelsFrom = path;
    }
    if (manifest.planRuns > 0) {
      if (slices.planRuns && *slices.planRuns != manifest.planRuns) {
        throw TableRefused("--merge: " + path + " belongs to a batch of " + std::to_string(manifest.planRuns) +
                           " runs, " + commandFrom + " to one of " + std::to_string(*slices.planRuns));
      }
      slices.planRuns = manifest.planRuns;
    }
  }
  slices.plan = PlanMerge(slices.tables, slices.planRuns);
  if (!slices.plan.ok()) throw TableRefused("--merge: " + slices.plan.error);
  for (const auto& table : slices.tables) {
    slices.runs += table.runCount;
    slices.rows += table.rows;
  }
  return slices;
}

}  // namespace davrel3
