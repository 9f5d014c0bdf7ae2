// Opening a file the runner reads (a table to resume or join, a file of
// points): only a regular file is read, so a FIFO cannot block the program,
// /dev/zero cannot fill its memory and a folder is not mistaken for an empty
// file. Every refusal is an InputFileError whose message names the file and
// says what is wrong in plain words.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace davrel3 {

class InputFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An open regular file; closes itself.
class InputFile {
 public:
  // Refuses what is not a regular file, and a file larger than maxBytes.
  InputFile(const std::string& path, std::int64_t maxBytes);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Up to `capacity` bytes; 0 at the end. Throws InputFileError on a read
  // error, or when the file grows past its limit while it is read.
  std::size_t Read(char* buffer, std::size_t capacity);

  const std::string& Path() const { return path_; }
  std::int64_t Size() const { return size_; }

 private:
  std::string path_;
  int fd_ = -1;
  std::int64_t size_ = 0;
  std::int64_t maxBytes_ = 0;
  std::int64_t read_ = 0;
};

// The whole of a small regular file.
std::string ReadWholeFile(const std::string& path, std::int64_t maxBytes);

}  // namespace davrel3
