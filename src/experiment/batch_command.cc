#include "batch_command.h"

#include <algorithm>

#include "experiment/utf8_text.h"

namespace davrel3 {

std::vector<std::string> DefiningArguments(const std::vector<std::string>& commandLine,
                                           const std::vector<std::string>& withValue,
                                           const std::vector<std::string>& flags) {
  std::vector<std::string> kept;
  const auto named = [](const std::vector<std::string>& list, const std::string& word) {
    return std::find(list.begin(), list.end(), word) != list.end();
  };
  for (std::size_t i = 1; i < commandLine.size(); ++i) {
    const std::string& word = commandLine[i];
    const auto eq = word.find('=');
    const std::string option = eq == std::string::npos ? word : word.substr(0, eq);
    if (named(flags, option)) continue;
    if (named(withValue, option)) {
      if (eq == std::string::npos) ++i;  // the value is the next word
      continue;
    }
    // As the manifest records it: a word that is not UTF-8 is mended there.
    kept.push_back(ValidUtf8(word));
  }
  return kept;
}

std::string JoinArguments(const std::vector<std::string>& arguments) {
  std::string text;
  for (const auto& a : arguments) {
    if (!text.empty()) text += ' ';
    text += a;
  }
  return text;
}

std::vector<std::string> TableArguments(const std::vector<std::string>& commandLine, bool slices) {
  std::vector<std::string> running = {"--output", "--resume", "--threads"};
  if (slices) running.push_back("--shard");
  return DefiningArguments(commandLine, running, {"--progress"});
}

}  // namespace davrel3
