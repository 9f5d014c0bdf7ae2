// Which command made a table: the runner's command line without the options
// that change how a batch runs but not what it computes, so a table can be
// continued (--resume) or joined (--merge) only by the command that made it.
#pragma once

#include <string>
#include <vector>

namespace davrel3 {

// `commandLine` without the program name and without the options named in
// `withValue` (with their value, written "--opt VALUE" or "--opt=VALUE") and
// in `flags`.
std::vector<std::string> DefiningArguments(const std::vector<std::string>& commandLine,
                                           const std::vector<std::string>& withValue,
                                           const std::vector<std::string>& flags);

// The arguments of `commandLine` that define its table: without the options
// that only change how a batch runs (--output, --resume, --threads,
// --progress), and with `slices` also without --shard, which the slices of
// one batch differ in.
std::vector<std::string> TableArguments(const std::vector<std::string>& commandLine, bool slices = false);

// The arguments joined with spaces, for messages.
std::string JoinArguments(const std::vector<std::string>& arguments);

}  // namespace davrel3
