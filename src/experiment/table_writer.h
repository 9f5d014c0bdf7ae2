// The one place a results table is written: the header, then every run's
// rows as they come, each row in a single write, while it counts runs and rows
// and hashes every byte for the manifest.
#pragma once

#include <string>
#include <vector>

#include "experiment/checked_output.h"
#include "experiment/manifest.h"
#include "experiment/sha256.h"
#include "experiment/table_format.h"

namespace davrel3 {

class TableWriter {
 public:
  // `agents` is the table's agent column count (the plan's largest group).
  // Every write goes to `out` as it comes; a failing write throws
  // OutputError.
  TableWriter(OutputSink& out, int agents);

  void WriteHeader();
  void WriteRun(const std::vector<TableRow>& rows);
  // Bytes of a table written before (the kept part of a resumed one), with
  // the runs and rows they hold: hashed and counted as if written here.
  void WriteKept(std::string_view bytes);
  void CountKept(long long runs, long long rows);

  long long Runs() const { return runs_; }
  long long Rows() const { return rows_; }
  // SHA-256 of everything written so far.
  std::string Sha256Hex() const { return hash_.HexDigest(); }
  // The manifest's account of what was written: runs, rows, the table's
  // SHA-256 and the schema version; the caller adds who wrote it and when.
  TableManifest Manifest() const;

 private:
  void Write(const std::string& line);

  OutputSink& out_;
  int agents_;
  long long runs_ = 0;
  long long rows_ = 0;
  Sha256 hash_;
};

// A sink whose bytes go to a writer as a table written before (WriteKept):
// the kept part of a resumed table, the slices of a merge.
class KeptSink : public OutputSink {
 public:
  explicit KeptSink(TableWriter& writer) : writer_(writer) {}
  void Write(std::string_view data) override { writer_.WriteKept(data); }
  void Finish() override {}
  const std::string& Name() const override { return name_; }

 private:
  TableWriter& writer_;
  std::string name_ = "the table";
};

// The whole table for these rows, as the writer writes it.
std::string TableText(const std::vector<TableRow>& rows, int agents);

}  // namespace davrel3
