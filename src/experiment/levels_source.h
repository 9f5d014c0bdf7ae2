// Where the levels a run started from came from, as a manifest records it:
// the skill profile that last wrote them, the rotation pattern, a level file
// or a parameter file (by name and SHA-256 of its bytes), or the levels
// editor. A level file need not list every agent and skill: read after a
// parameter file that brings levels, it changes only the cells it lists, and
// the source names the parameter file under it too.
#pragma once

#include <string>

namespace davrel3 {

struct LevelsSource {
  std::string Kind;    // "profile", "rotation", "file", "parameters" or "editor"
  std::string Name;    // the profile's name, or the file's as it was given
  std::string Sha256;  // a file's, in hex
  // The parameter file whose levels a level file was laid over, and its
  // SHA-256; empty when there is none.
  std::string OverName{};
  std::string OverSha256{};

  bool operator==(const LevelsSource&) const = default;
};

// As a message names it: "the file levels.csv (SHA-256 1a2b3c4d...)".
inline std::string LevelsSourceText(const LevelsSource& source) {
  std::string text = "the " + source.Kind;
  if (!source.Name.empty()) text += " " + source.Name;
  if (!source.Sha256.empty()) text += " (SHA-256 " + source.Sha256.substr(0, 12) + "...)";
  if (!source.OverName.empty()) {
    text += " over the parameters " + source.OverName;
    if (!source.OverSha256.empty()) text += " (SHA-256 " + source.OverSha256.substr(0, 12) + "...)";
  }
  return text;
}

}  // namespace davrel3
