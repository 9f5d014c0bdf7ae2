// A parameter set on disk: every edit's text, every up-down's position and
// the three radio items of the main window, as a small JSON file the user
// saves and opens by name. Loading writes into a ParameterPanel only; nothing
// is committed, exactly as if the user had typed the values.
//
// The file looks like
//   {"format": "davrel3-parameters", "version": 2,
//    "fields": {"NrofAg": {"text": "6", "position": 6}, ...},
//    "items": {"FitNoFit": 0, "Newcomer": 1, "HiLo": 0},
//    "levels": {"agents": 6, "skills": 5, "expertise": [[...], ...], ...}}
// A saved file lists every field and item, and (version 2) what the committed
// group's agents hold of their skills (levels_json.h) when the saver has a
// group. A file written by hand may list fewer, and may leave out a field's
// position: what it leaves out stays as it is on the panel. Version 1 files
// (no "levels") still load, exactly as before.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

#include "experiment/skill_levels.h"
#include "model/parameter_panel.h"

namespace davrel3 {

inline constexpr const char* kParameterFileFormat = "davrel3-parameters";
inline constexpr int kParameterFileVersion = 2;
// The first version: fields and items only.
inline constexpr int kParameterFileFirstVersion = 1;
// A parameter file is a few kilobytes, with the levels of the largest group
// (100000 agents times skills) some 15 MB; anything past this is refused
// unread.
inline constexpr std::size_t kMaxParameterFileBytes = std::size_t{32} << 20;

// A file that cannot be loaded; the message says what is wrong and where.
class ParameterFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file's text: every field and item of the panel as it stands, and the
// levels when given. Throws ParameterFileError, naming the field, for a text
// that is not UTF-8 (JSON cannot hold it).
std::string SaveParameters(const ParameterPanel& panel, const SkillState* levels = nullptr);

// Checks the whole text first and throws ParameterFileError before touching
// the panel if anything is wrong; then writes every listed text, position and
// item into the panel, and into *levels the file's levels (none for a file
// without them). The text is read strictly: at most 32 MiB of UTF-8, nested
// at most 64 levels, no key twice, only whole numbers within int except the
// finite numbers of the levels.
void LoadParameters(const std::string& text, ParameterPanel& panel, std::optional<SkillState>* levels = nullptr);
// The levels a parameter text holds, checked as LoadParameters checks them.
std::optional<SkillState> ParameterFileLevels(const std::string& text);
// Reads the file at `path` (a regular file of at most 32 MiB: a folder, a
// device or a pipe is refused without reading or waiting) and loads it as
// LoadParameters does.
void LoadParameterFile(const std::string& path, ParameterPanel& panel, std::optional<SkillState>* levels = nullptr);

}  // namespace davrel3
