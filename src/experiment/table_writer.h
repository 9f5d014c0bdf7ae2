// The one place a results table is written: the header, then every run's
// rows as they come, each row in a single write, while it counts runs and rows
// and hashes every byte for the manifest.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "experiment/sha256.h"
#include "experiment/table_format.h"

namespace davrel3 {

class TableWriter {
 public:
  // `agents` is the table's agent column count (the plan's largest group).
  TableWriter(std::ostream& out, int agents);

  void WriteHeader();
  void WriteRun(const std::vector<TableRow>& rows);

  long long Runs() const { return runs_; }
  long long Rows() const { return rows_; }
  // SHA-256 of everything written so far.
  std::string Sha256Hex() const { return hash_.HexDigest(); }
  // False once a write has failed.
  bool Good() const { return out_.good(); }
  std::ostream& Stream() { return out_; }

 private:
  void Write(const std::string& line);

  std::ostream& out_;
  int agents_;
  long long runs_ = 0;
  long long rows_ = 0;
  Sha256 hash_;
};

// The whole table for these rows, as the writer writes it.
std::string TableText(const std::vector<TableRow>& rows, int agents);

}  // namespace davrel3
