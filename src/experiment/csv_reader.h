// A strict reader of comma-separated tables: fields may be quoted ("" for a
// quote inside), records end at a line break outside quotes. What a careless
// reader would pass over is refused with the file, the line and the problem:
// a NUL byte, a stray quote, a file that ends inside a quoted field or (for
// tables this program wrote) inside a line, a line longer than the limit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "experiment/input_file.h"

namespace davrel3 {

struct CsvLimits {
  std::int64_t maxFileBytes = std::int64_t{1} << 40;
  std::size_t maxRecordBytes = std::size_t{1} << 20;
  // A table this program wrote always ends with a line break; a file that
  // does not was cut off while it was written.
  bool requireFinalLineBreak = true;
};

class CsvReader {
 public:
  CsvReader(const std::string& path, const CsvLimits& limits);

  // The next record's fields, and its bytes as they stand in the file
  // (line break included) if `raw` is given. False at the end of the file.
  bool Next(std::vector<std::string>& fields, std::string* raw = nullptr);

  // The line the last record read starts on, from 1.
  long long Line() const { return recordLine_; }
  const std::string& Path() const { return file_.Path(); }
  // Throws InputFileError "PATH, line N: PROBLEM" for the last record read.
  [[noreturn]] void Refuse(const std::string& problem) const;

 private:
  bool NextByte(char& c);

  InputFile file_;
  CsvLimits limits_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0, end_ = 0;
  long long line_ = 1;
  long long recordLine_ = 0;
};

}  // namespace davrel3
