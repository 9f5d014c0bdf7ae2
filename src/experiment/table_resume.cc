#include "table_resume.h"

#include "experiment/batch_command.h"
#include "experiment/manifest.h"

namespace davrel3 {

long long CheckResume(const std::string& path, const ResumingBatch& batch, RunTableScan& scan) {
  TableManifest manifest;
  try {
    manifest = ReadManifest(path);
  } catch (const ManifestError& error) {
    throw TableRefused("--resume " + path + ": " + error.what() + " (--output writes the manifest a table needs to be "
                       "continued)");
  }
  const auto mine = TableArguments(batch.commandLine);
  const auto theirs = TableArguments(manifest.commandLine);
  if (manifest.program != batch.program || mine != theirs) {
    throw TableRefused("--resume " + path + " was made by another command: '" + JoinArguments(theirs) +
                       "'; this one is '" + JoinArguments(mine) + "'");
  }
  // The same command may name a level or parameter file that has changed.
  if (manifest.levels && *manifest.levels != batch.levels) {
    throw TableRefused("--resume " + path + " was made with the levels of " + LevelsSourceText(*manifest.levels) +
                       "; this command's come from " + LevelsSourceText(batch.levels));
  }
  try {
    scan = ScanRunTable(path);
    if (TableSha256(scan) != manifest.sha256) {
      throw TableRefused("--resume " + path + " has changed since it was written: its SHA-256 does not match its "
                         "manifest");
    }
    return ResumePoint(scan, batch.header ? *batch.header : scan.header, batch.first + 1, batch.last);
  } catch (const InputFileError& error) {
    throw TableRefused(std::string("--resume: ") + error.what());
  }
}

}  // namespace davrel3
