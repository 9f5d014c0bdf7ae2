// Runs the davrel3-batch executable the tests were built with and collects
// its standard output and exit status.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace davrel3::testing {

struct BatchResult {
  int exitCode = -1;
  std::string out;
};

// Runs a whole shell command and collects its standard output.
inline BatchResult RunShellCommand(const std::string& command) {
  BatchResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 65536> buffer;
  std::size_t got;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), got);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// `shellArgs` is passed to the shell as written; `mergeErrors` adds the
// runner's standard error to the output.
inline BatchResult RunBatchShell(const std::string& shellArgs, bool mergeErrors) {
  return RunShellCommand(std::string(DAVREL3_BATCH_EXE) + " " + shellArgs + (mergeErrors ? " 2>&1" : " 2>/dev/null"));
}

// The runner's standard error only (standard output is dropped).
inline BatchResult RunBatchErrors(const std::string& shellArgs) {
  return RunShellCommand(std::string(DAVREL3_BATCH_EXE) + " " + shellArgs + " 2>&1 >/dev/null");
}

// Each argument quoted for the shell, so that texts reach the runner as given.
inline BatchResult RunBatch(const std::vector<std::string>& args) {
  std::string line;
  for (const auto& arg : args) {
    line += " '";
    for (char c : arg) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    line += "'";
  }
  return RunBatchShell(line, false);
}

}  // namespace davrel3::testing
