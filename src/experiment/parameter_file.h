// A parameter set on disk: every edit's text, every up-down's position and
// the three radio items of the main window, as a small JSON file the user
// saves and opens by name. Loading writes into a ParameterPanel only; nothing
// is committed, exactly as if the user had typed the values.
//
// The file looks like
//   {"format": "davrel3-parameters", "version": 1,
//    "fields": {"NrofAg": {"text": "6", "position": 6}, ...},
//    "items": {"FitNoFit": 0, "Newcomer": 1, "HiLo": 0}}
// A saved file lists every field and item. A file written by hand may list
// fewer, and may leave out a field's position: what it leaves out stays as it
// is on the panel.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "model/parameter_panel.h"

namespace davrel3 {

inline constexpr const char* kParameterFileFormat = "davrel3-parameters";
inline constexpr int kParameterFileVersion = 1;
// A parameter file is a few kilobytes; anything past this is refused unread.
inline constexpr std::size_t kMaxParameterFileBytes = std::size_t{1} << 20;

// A file that cannot be loaded; the message says what is wrong and where.
class ParameterFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file's text: every field and item of the panel as it stands.
// The file's text. Throws ParameterFileError, naming the field, for a text
// that is not UTF-8 (JSON cannot hold it).
std::string SaveParameters(const ParameterPanel& panel);

// Checks the whole text first and throws ParameterFileError before touching
// the panel if anything is wrong; then writes every listed text, position and
// item into the panel. The text is read strictly: at most 1 MiB of UTF-8,
// nested at most 64 levels, no key twice, only whole numbers within int.
void LoadParameters(const std::string& text, ParameterPanel& panel);
// Reads the file at `path` (a regular file of at most 1 MiB: a folder, a
// device or a pipe is refused without reading or waiting) and loads it as
// LoadParameters does.
void LoadParameterFile(const std::string& path, ParameterPanel& panel);

}  // namespace davrel3
