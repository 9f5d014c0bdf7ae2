#include "version.h"

#include "davrel3_commit.h"

namespace davrel3 {

std::string_view ProgramVersionNumber() { return DAVREL3_VERSION; }

std::string_view ProgramCommit() { return DAVREL3_GIT_COMMIT; }

std::string ProgramVersion() {
  std::string version(ProgramVersionNumber());
  if (!ProgramCommit().empty()) version += " (commit " + std::string(ProgramCommit()) + ")";
  return version;
}

}  // namespace davrel3
