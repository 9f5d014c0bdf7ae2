// Tables of runs as the runner writes them (a header line whose first column
// is "run", then rows whose first field is the run number, from 1, the rows
// of one run together, runs ascending), read back to join the slices of a
// sharded batch and to continue an interrupted one. The tables are checked
// line by line before anything is written, so a refused table changes
// nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "experiment/checked_output.h"
#include "experiment/input_file.h"

namespace davrel3 {

// A table that --resume or --merge cannot use, and why: nothing was run and
// nothing written.
class TableRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Run numbers first..last, both included.
struct RunSpan {
  long long first = 0, last = 0;
  bool operator==(const RunSpan&) const = default;
};

struct RunTableScan {
  std::string path;
  std::string header;  // the header line as in the file, line break included
  std::vector<RunSpan> runs;  // ascending, adjacent spans joined
  long long rows = 0;
  long long runCount = 0;
  std::int64_t bytes = 0;  // the whole file
};

// Reads and checks a table; throws InputFileError naming the line and the
// problem.
RunTableScan ScanRunTable(const std::string& path);

// "3", "5-9, 12"; after `limit` spans, "and N more".
std::string DescribeRuns(const std::vector<RunSpan>& spans, std::size_t limit = 20);
// The runs of first..last that `present` lacks.
std::vector<RunSpan> MissingRuns(const std::vector<RunSpan>& present, long long first, long long last);
long long CountRuns(const std::vector<RunSpan>& spans);

struct MergePlan {
  std::vector<std::size_t> order;  // the tables in the order of their runs
  std::string error;  // why the tables do not join; empty if they do
  bool ok() const { return error.empty(); }
};

// Checks that the tables join into one table of runs 1..totalRuns (or
// 1..the highest run, without a total): the same header in each, no run in
// two tables, none missing.
MergePlan PlanMerge(const std::vector<RunTableScan>& tables, std::optional<long long> totalRuns);

// Writes the joined table: the header once, then every table's rows in
// plan order, byte for byte. Throws InputFileError if a table changed since
// it was scanned, OutputError if the output fails.
void WriteMerge(const std::vector<RunTableScan>& tables, const MergePlan& plan, OutputSink& out);

// How many runs of the slice first..last (run numbers) `table` already
// holds: it must hold exactly the runs first..first+k-1 under `header` (a
// table without runs may have another header: it holds none).
// Throws InputFileError saying why the table cannot be continued.
long long ResumePoint(const RunTableScan& table, const std::string& header, long long first, long long last);

// Copies the whole of a scanned table to `out` (the kept part of a resumed
// table); throws InputFileError if it changed since it was scanned.
void CopyTable(const RunTableScan& table, OutputSink& out);

// The SHA-256 of a scanned table's bytes, as its manifest gives it; throws
// InputFileError if it changed since it was scanned.
std::string TableSha256(const RunTableScan& table);

}  // namespace davrel3
