// A scratch folder of a test's own under /tmp, removed with what it holds.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace davrel3::testing {

struct ScratchFolder {
  std::string path;
  explicit ScratchFolder(std::string pattern = "/tmp/davrel3-test-XXXXXX") {
    const char* made = mkdtemp(pattern.data());
    path = made ? made : "";
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Writes `text` to the file `name` in the folder and returns its path.
  std::string Write(const std::string& name, const std::string& text) const {
    const std::string file = path + "/" + name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
  // The whole content of the file `name` in the folder (empty when missing).
  std::string Read(const std::string& name) const {
    std::ifstream in(path + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
};

}  // namespace davrel3::testing
