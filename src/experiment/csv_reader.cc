#include "csv_reader.h"

namespace davrel3 {

CsvReader::CsvReader(const std::string& path, const CsvLimits& limits)
    : file_(path, limits.maxFileBytes), limits_(limits), buffer_(std::size_t{1} << 16) {}

bool CsvReader::NextByte(char& c) {
  if (pos_ == end_) {
    end_ = file_.Read(buffer_.data(), buffer_.size());
    pos_ = 0;
    if (end_ == 0) return false;
  }
  c = buffer_[pos_++];
  return true;
}

void CsvReader::Refuse(const std::string& problem) const {
  throw InputFileError(Path() + ", line " + std::to_string(recordLine_) + ": " + problem);
}

bool CsvReader::Next(std::vector<std::string>& fields, std::string* raw) {
  fields.clear();
  if (raw) raw->clear();
  recordLine_ = line_;
  char c;
  if (!NextByte(c)) return false;
  fields.emplace_back();
  std::size_t bytes = 0;
  // Within a field: not quoted, quoted, or just after a quote of a quoted
  // field (which either closes it or, doubled, stands for one quote).
  enum { Plain, Quoted, QuoteInQuoted } state = Plain;
  bool fieldStarted = false;
  for (;;) {
    if (++bytes > limits_.maxRecordBytes) {
      Refuse("the line is longer than " + std::to_string(limits_.maxRecordBytes >> 10) + " KiB");
    }
    if (raw) raw->push_back(c);
    if (c == '\0') Refuse("it holds a NUL byte: this is not a text table");
    if (c == '\n') ++line_;
    std::string& field = fields.back();
    if (state == Quoted) {
      if (c == '"') {
        state = QuoteInQuoted;
      } else {
        field.push_back(c);
      }
    } else if (c == ',' || c == '\n') {
      if (c == '\n') {
        // A table saved on Windows ends its lines with CR LF.
        if (state == Plain && !field.empty() && field.back() == '\r') field.pop_back();
        return true;
      }
      fields.emplace_back();
      state = Plain;
      fieldStarted = false;
    } else if (state == QuoteInQuoted) {
      if (c != '"') Refuse("a quoted field (field " + std::to_string(fields.size()) + ") is followed by more text");
      field.push_back('"');
      state = Quoted;
    } else if (c == '"') {
      if (fieldStarted) {
        Refuse("field " + std::to_string(fields.size()) + " holds a quote but does not start with one");
      }
      state = Quoted;
      fieldStarted = true;
    } else {
      field.push_back(c);
      fieldStarted = true;
    }
    if (!NextByte(c)) break;
  }
  if (state == Quoted) Refuse("the file ends inside a quoted field");
  if (limits_.requireFinalLineBreak) Refuse("the file ends inside this line: it was cut off");
  return true;
}

}  // namespace davrel3
